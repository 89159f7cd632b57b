# Checks the shipped module's PE image: it exports exactly the five plug-in entry points and
# imports only Windows system DLLs and the simulator's XPLM_64.dll, so X-Plane can load it on a
# machine without a MinGW runtime.
#   cmake -DOBJDUMP=<objdump> -DMODULE=<win.xpl> -P CheckModuleImage.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT EXISTS "${MODULE}")
    message(FATAL_ERROR "no module at ${MODULE}")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${MODULE}
    OUTPUT_VARIABLE dump RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p failed (${result}): ${errors}")
endif()

set(expected_exports XPluginDisable XPluginEnable XPluginReceiveMessage XPluginStart XPluginStop)
# DLLs that every Windows installation carries (matched without case).
set(system_dll_pattern
    "^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|setupapi|hid|msimg32|msvcrt|ntdll|\
shlwapi|comctl32|comdlg32|cfgmgr32|version|ws2_32|bcrypt|crypt32|winmm|imm32|msxml6|uxtheme|\
api-ms-win-.*|ext-ms-win-.*)\\.dll$")

string(REPLACE ";" "\\;" dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")

set(imports)
set(exports)
set(address_count "")
set(in_names FALSE)
foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*DLL Name:[ \t]*([^ \t]+)")
        list(APPEND imports "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^[ \t]*Export Address Table[ \t]+([0-9a-fA-F]+)[ \t]*$"
           AND address_count STREQUAL "")
        math(EXPR address_count "0x${CMAKE_MATCH_1}")
    elseif(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
        set(in_names TRUE)
    elseif(in_names)
        if(line MATCHES "^[ \t]*\\[ *[0-9]+\\].* ([^ \t]+)[ \t]*$")
            list(APPEND exports "${CMAKE_MATCH_1}")
        else()
            set(in_names FALSE)
        endif()
    endif()
endforeach()

set(failures)
list(SORT exports)
if(NOT exports STREQUAL expected_exports)
    list(APPEND failures "exports are [${exports}], expected [${expected_exports}]")
endif()
list(LENGTH expected_exports expected_count)
if(NOT address_count STREQUAL expected_count)
    list(APPEND failures
         "export address table has ${address_count} entries, expected ${expected_count}")
endif()
if(NOT "XPLM_64.dll" IN_LIST imports)
    list(APPEND failures "XPLM_64.dll is not imported")
endif()
foreach(dll IN LISTS imports)
    string(TOLOWER "${dll}" lower)
    if(NOT dll STREQUAL "XPLM_64.dll" AND NOT lower MATCHES "${system_dll_pattern}")
        list(APPEND failures "imports ${dll}, which is not a Windows system DLL")
    endif()
endforeach()

message(STATUS "exports: ${exports}")
message(STATUS "imports: ${imports}")
if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "${MODULE}:\n  ${text}")
endif()
