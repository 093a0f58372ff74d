"""The exceptions of the package: every refusal says what was refused and why."""


class TarnwickError(Exception):
    """Base of every error this package raises."""


class LibraryNotFoundError(TarnwickError, OSError):
    """The Tarnwick library could not be loaded from any place tried.

    ``tried`` lists (path, how it was chosen, why it failed) for each place.
    """

    def __init__(self, tried):
        self.tried = list(tried)
        lines = ["the Tarnwick library could not be loaded; tried:"]
        for path, how, why in self.tried:
            lines.append("  %s (%s): %s" % (path, how, why))
        lines.append(
            "Build it (scripts/play, or cmake --build build), or set TARNWICK_LIBRARY "
            "to the path of libTarnwick.so (Tarnwick.dll on Windows)."
        )
        super().__init__("\n".join(lines))


class RefusedError(TarnwickError, ValueError):
    """The library cannot play or plan what it was given.

    ``field`` names what is wrong ("shot_number", "stones[3]", "shot", "random",
    "x", "weight", ...); ``entry`` is the index in a batch, None for a single call.
    """

    def __init__(self, field, reason, entry=None):
        self.field = field
        self.reason = reason
        self.entry = entry
        where = "" if entry is None else "entry %d: " % entry
        super().__init__("%s%s: %s" % (where, field, reason))


class WeightTooSmallError(RefusedError):
    """create_hit_shot: the trial stone stopped before reaching the target.

    ``untuned`` is the first, untuned delivery that the library planned.
    """

    def __init__(self, weight, untuned):
        self.untuned = untuned
        super().__init__(
            "weight",
            "%r is too small: the trial stone comes to rest before the target's distance "
            "(0 stops on the hog line, 7 on the tee line, 10 on the back line)" % weight,
        )


class ProtocolError(TarnwickError, ValueError):
    """A protocol message that does not have the form its command word asks for."""

    def __init__(self, message, reason):
        self.protocol_message = message
        self.reason = reason
        shown = message if len(message) <= 80 else message[:77] + "..."
        super().__init__("%s: %r" % (reason, shown))
