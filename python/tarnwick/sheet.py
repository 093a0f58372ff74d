"""The sheet's numbers and the library's limits, in metres, seconds and m/s.

x runs across the sheet, y along it from the scoring end; a delivered stone
travels from the delivery point towards smaller y. The values are those of
tarnwick.h (and of the library's own table of the sheet); the library works in
single precision, so compare with float32(value) where a bit matters.
"""

SIDE_LINE_LEFT = 0.0
SIDE_LINE_RIGHT = 4.75
CENTRE_LINE_X = 2.375
BACK_LINE_Y = 3.05
TEE_X = 2.375
TEE_Y = 4.88
HOUSE_RADIUS = 1.83
"""The house: the circle of this radius about the tee; its back edge lies on the back line."""
FRONT_OF_HOUSE_Y = 6.71
COUNTING_RADIUS = 1.98
"""A stone counts in the end's score only while its centre is nearer than this to the tee."""
HOG_LINE_Y = 11.28
DELIVERY_X = 2.375
DELIVERY_Y = 41.28
"""Every delivered stone starts at (DELIVERY_X, DELIVERY_Y)."""
FAR_LIMIT_Y = 42.5
STONE_RADIUS = 0.145

# A stone stays in play during a shot while its centre lies within these
# limits (a stone on a limit stays).
PLAY_MIN_X, PLAY_MAX_X = SIDE_LINE_LEFT, SIDE_LINE_RIGHT
PLAY_MIN_Y, PLAY_MAX_Y = BACK_LINE_Y, FAR_LIMIT_Y

# A stone of a stored position is put on the sheet for the next shot only
# strictly inside these limits: a stone short of the hog line (y >= 11.135)
# stays in the record after its shot and is dropped when the next one starts.
STORED_MIN_X, STORED_MAX_X = 0.145, 4.605
STORED_MIN_Y, STORED_MAX_Y = 2.905, 11.135

ICE_DECELERATION = 0.12009216
"""m/s^2: how fast a stone on its own slows down."""
TIME_STEP = 1.0 / 60.0
"""Seconds per engine step; the `steps` of simulate count these."""

# The library's limits (tarnwick.h): what it refuses, and where it stops.
MAX_SHOT_SPEED = 100.0
"""m/s: a delivery (asked for, or played with its error) faster than this is refused."""
MIN_STONE_DISTANCE = 0.145
"""Two stones in play with centres closer than this make a position the library refuses."""
TARGET_MIN_X, TARGET_MAX_X = -4.75, 9.5
TARGET_MIN_Y, TARGET_MAX_Y = -42.5, 85.0
MAX_STEPS_PER_SHOT = 6000
"""A shot ends after this many steps (100 s) even if stones still move."""

# CreateHitShot's weights: where a delivery of that weight would stop on an
# empty sheet (a stone struck full on goes about as far).
WEIGHT_HOG_LINE = 0.0
WEIGHT_FRONT_OF_HOUSE = 4.0
WEIGHT_TEE_LINE = 7.0
WEIGHT_BACK_LINE = 10.0
