# Runs tarnwick-sim once and checks how it ended.
#   PROGRAM        the program to run
#   ARGS           its arguments, separated by '|' (they may hold spaces)
#   EXPECT_STATUS  the exit status it must return
#   EXPECT_STDOUT, EXPECT_STDERR  optional regular expressions the output must match
#   EMULATOR       optional: how a cross-built program runs here, words separated by '|'
string(REPLACE "|" ";" arguments "${ARGS}")
string(REPLACE "|" ";" emulator "${EMULATOR}")
execute_process(COMMAND ${emulator} "${PROGRAM}" ${arguments}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err)
# Windows writes text with CR LF line ends; the expectations are written with LF.
string(REPLACE "\r\n" "\n" out "${out}")
string(REPLACE "\r\n" "\n" err "${err}")

string(REPLACE "|" " " shown "${ARGS}")
set(report "tarnwick-sim ${shown}\n--- exit status: ${status}\n--- stdout:\n${out}\n--- stderr:\n${err}")
if(NOT status STREQUAL EXPECT_STATUS)
    message(FATAL_ERROR "expected exit status ${EXPECT_STATUS}\n${report}")
endif()
if(EXPECT_STDOUT AND NOT out MATCHES "${EXPECT_STDOUT}")
    message(FATAL_ERROR "stdout does not match '${EXPECT_STDOUT}'\n${report}")
endif()
if(EXPECT_STDERR AND NOT err MATCHES "${EXPECT_STDERR}")
    message(FATAL_ERROR "stderr does not match '${EXPECT_STDERR}'\n${report}")
endif()
