# Creates the private Wine prefix of the Windows tests once, and sets its graphics driver to
# "null" so message-only windows work without a display. Fast when the prefix is already there.
#   cmake -DPREFIX=<dir> -DWINE=<wine> -DWINEBOOT=<wineboot> -P PrepareWinePrefix.cmake
cmake_minimum_required(VERSION 3.25)

set(ENV{WINEPREFIX} "${PREFIX}")
set(ENV{WINEARCH} "win64")
set(ENV{WINEDEBUG} "-all")
# No Mono or Gecko installer dialogs.
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
unset(ENV{DISPLAY})

if(NOT EXISTS "${PREFIX}/system.reg")
    message(STATUS "creating Wine prefix ${PREFIX}")
    # A first boot can fail at once while another Wine session is still shutting down: try a
    # few times before giving up, and show what Wine said.
    foreach(attempt RANGE 1 3)
        execute_process(COMMAND ${WINEBOOT} -i RESULT_VARIABLE result
                        OUTPUT_VARIABLE boot_output ERROR_VARIABLE boot_output)
        if(result EQUAL 0 AND EXISTS "${PREFIX}/system.reg")
            break()
        endif()
        message(STATUS "wineboot -i attempt ${attempt} failed (${result}): ${boot_output}")
        execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 2)
    endforeach()
    if(NOT result EQUAL 0 OR NOT EXISTS "${PREFIX}/system.reg")
        message(FATAL_ERROR "wineboot -i failed (${result}) for ${PREFIX}")
    endif()
endif()

set(graphics_set FALSE)
if(EXISTS "${PREFIX}/user.reg")
    file(READ "${PREFIX}/user.reg" user_reg)
    if(user_reg MATCHES "\\[Software\\\\\\\\Wine\\\\\\\\Drivers\\][^[]*\"Graphics\"=\"null\"")
        set(graphics_set TRUE)
    endif()
endif()
if(NOT graphics_set)
    execute_process(
        COMMAND ${WINE} reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d null /f
        RESULT_VARIABLE result OUTPUT_QUIET)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "setting the null graphics driver failed (${result})")
    endif()
endif()
