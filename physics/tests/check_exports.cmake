# Fails unless the shared library exports exactly the given entry points, under
# their plain C names, and (for a Windows DLL) loads no DLL but the system's.
#   LIBRARY   the shared library: an ELF object, or a DLL when OBJDUMP is given
#   EXPECTED  the entry points, separated by '|'
#   OBJDUMP   the objdump of the DLL's target, which reads its export and
#             import tables
string(REPLACE "|" ";" expected "${EXPECTED}")
list(SORT expected)

if(OBJDUMP)
    execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY}
                    OUTPUT_VARIABLE table RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${OBJDUMP} -p failed on ${LIBRARY}")
    endif()
    # Export names are listed as "[   0] Name", one a line, from the line
    # "[Ordinal/Name Pointer] Table" to the next empty line.
    string(REPLACE "\n" ";" lines "${table}")
    set(names "")
    set(in_names FALSE)
    foreach(line IN LISTS lines)
        if(line STREQUAL "[Ordinal/Name Pointer] Table")
            set(in_names TRUE)
        elseif(in_names AND line MATCHES "^\t\\[ *[0-9]+\\] (.+)$")
            list(APPEND names "${CMAKE_MATCH_1}")
        else()
            set(in_names FALSE)
        endif()
    endforeach()

    # Every import must come from Windows itself: a mingw runtime DLL
    # (libstdc++-6.dll, libgcc_s_*.dll, libwinpthread-1.dll) would have to be
    # shipped beside the DLL.
    string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${table}")
    set(dlls "")
    set(foreign "")
    foreach(entry IN LISTS imports)
        string(SUBSTRING "${entry}" 10 -1 dll)
        list(APPEND dlls "${dll}")
        string(TOLOWER "${dll}" lower)
        if(NOT lower MATCHES "^(kernel32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\\.dll$")
            list(APPEND foreign "${dll}")
        endif()
    endforeach()
    message(STATUS "imports: ${dlls}")
    if(foreign)
        message(FATAL_ERROR "imports DLLs that are not part of Windows: ${foreign}")
    endif()
else()
    execute_process(COMMAND nm -D --defined-only ${LIBRARY}
                    OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "nm failed on ${LIBRARY}")
    endif()
    string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
    set(names "")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] +" "" name "${line}")
        list(APPEND names "${name}")
    endforeach()
endif()

list(SORT names)
message(STATUS "exports: ${names}")
if(NOT names STREQUAL expected)
    message(FATAL_ERROR "exported symbols: ${names}; expected: ${expected}")
endif()
