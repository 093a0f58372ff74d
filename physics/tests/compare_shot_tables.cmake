# Runs tarnwick_shot_table built for this machine and built for the target
# (through the emulator), and fails unless both wrote the same bytes. The two
# files stay in the working folder for a closer look.
#   REFERENCE         tarnwick_shot_table built for this machine
#   PROGRAM           tarnwick_shot_table built for the target
#   EMULATOR          how the target's programs run here, words separated by '|'
#   REFERENCE_OUTPUT, OUTPUT   the files the two write
cmake_minimum_required(VERSION 3.22)
string(REPLACE "|" ";" emulator "${EMULATOR}")

function(write_table file)
    file(REMOVE ${file})
    execute_process(COMMAND ${ARGN} ${file} RESULT_VARIABLE status ERROR_VARIABLE err)
    if(NOT status EQUAL 0 OR NOT EXISTS ${file})
        message(FATAL_ERROR "${ARGN} ${file} failed (${status}): ${err}")
    endif()
endfunction()

write_table(${REFERENCE_OUTPUT} ${REFERENCE})
write_table(${OUTPUT} ${emulator} ${PROGRAM})

file(STRINGS ${REFERENCE_OUTPUT} expected)
file(STRINGS ${OUTPUT} actual)
list(LENGTH expected expected_count)
list(LENGTH actual actual_count)
file(SHA256 ${REFERENCE_OUTPUT} expected_hash)
file(SHA256 ${OUTPUT} actual_hash)
if(expected_hash STREQUAL actual_hash)
    message(STATUS "${expected_count} entries, byte for byte the same (${OUTPUT})")
    return()
endif()

# Show the first few entries that differ, as pairs of lines.
set(report "")
set(differing 0)
math(EXPR last "${expected_count} - 1")
if(actual_count LESS expected_count)
    math(EXPR last "${actual_count} - 1")
endif()
if(last GREATER_EQUAL 0)
    foreach(i RANGE ${last})
        list(GET expected ${i} a)
        list(GET actual ${i} b)
        if(NOT a STREQUAL b)
            math(EXPR differing "${differing} + 1")
            if(differing LESS_EQUAL 5)
                string(APPEND report "\n  ${REFERENCE_OUTPUT}:\n    ${a}\n  ${OUTPUT}:\n    ${b}")
            endif()
        endif()
    endforeach()
endif()
message(FATAL_ERROR "${differing} of ${expected_count} entries differ "
                    "(the files have ${expected_count} and ${actual_count} lines):${report}")
