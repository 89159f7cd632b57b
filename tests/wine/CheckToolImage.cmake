# Checks a tool's PE image: it sits in the plug-in's tools folder beside data, and imports only
# Windows system DLLs, so it runs on a machine with Windows alone.
#   cmake -DOBJDUMP=<objdump> -DPROGRAM=<tool.exe> -P CheckToolImage.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT EXISTS "${PROGRAM}")
    message(FATAL_ERROR "no program at ${PROGRAM}")
endif()
get_filename_component(folder "${PROGRAM}" DIRECTORY)
get_filename_component(folder_name "${folder}" NAME)
get_filename_component(plugin "${folder}" DIRECTORY)
if(NOT folder_name STREQUAL "tools" OR NOT IS_DIRECTORY "${plugin}/data")
    message(FATAL_ERROR "${PROGRAM} is not in a tools folder beside the data folder")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM}
    OUTPUT_VARIABLE dump RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p failed (${result}): ${errors}")
endif()

# DLLs that every Windows installation carries (matched without case).
set(system_dll_pattern
    "^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|setupapi|hid|msimg32|msvcrt|ntdll|\
shlwapi|comctl32|comdlg32|cfgmgr32|version|ws2_32|mswsock|bcrypt|crypt32|winmm|imm32|msxml6|uxtheme|\
api-ms-win-.*|ext-ms-win-.*)\\.dll$")

string(REPLACE ";" "\\;" dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")
set(imports)
foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*DLL Name:[ \t]*([^ \t]+)")
        list(APPEND imports "${CMAKE_MATCH_1}")
    endif()
endforeach()
if(NOT imports)
    message(FATAL_ERROR "${PROGRAM} imports nothing: not a PE image?")
endif()
foreach(dll IN LISTS imports)
    string(TOLOWER "${dll}" lower)
    if(NOT lower MATCHES "${system_dll_pattern}")
        message(FATAL_ERROR "${PROGRAM} imports ${dll}, which is no Windows system DLL")
    endif()
endforeach()
message(STATUS "imports: ${imports}")
