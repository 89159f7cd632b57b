# Windows test programs run under Wine in a private prefix below the build folder. Their sources
# (tests/win32/) call the OS directly, like the Win32 backend they test.
find_program(XVS_WINE wine REQUIRED)
find_program(XVS_WINEBOOT wineboot REQUIRED)
# Cached, so tests added in other folders (the tools') find it too.
set(XVS_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE INTERNAL "the Wine prefix of the tests")

add_test(NAME wine_prefix
    COMMAND ${CMAKE_COMMAND} -DPREFIX=${XVS_WINEPREFIX} -DWINE=${XVS_WINE}
            -DWINEBOOT=${XVS_WINEBOOT} -P ${CMAKE_CURRENT_LIST_DIR}/PrepareWinePrefix.cmake)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)

# Every test that runs under Wine: the private prefix, quiet, headless, and a time limit well
# below CTest's default so a hang shows within minutes.
function(xvs_wine_test name timeout)
    set_tests_properties(${name} PROPERTIES
        FIXTURES_REQUIRED wine_prefix
        TIMEOUT ${timeout}
        ENVIRONMENT "WINEPREFIX=${XVS_WINEPREFIX};WINEARCH=win64;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml="
        ENVIRONMENT_MODIFICATION "DISPLAY=unset:")
endfunction()

add_test(NAME xvs_tests COMMAND xvs_tests)
xvs_wine_test(xvs_tests 600)

# The Win32 backends against the OS.
add_executable(xvs_win32_tests ${PROJECT_SOURCE_DIR}/tests/win32/win32_backend_test.cpp)
target_link_libraries(xvs_win32_tests PRIVATE xvs_backend_win32 gtest_main)
target_link_options(xvs_win32_tests PRIVATE -static)
add_test(NAME xvs_win32_tests COMMAND xvs_win32_tests)
xvs_wine_test(xvs_win32_tests 120)
# The code page of a Polish, a Russian and a Japanese system (Wine takes it from the locale).
foreach(locale pl_PL ru_RU ja_JP)
    add_test(NAME xvs_win32_tests.${locale} COMMAND xvs_win32_tests --gtest_filter=Win32CodePage.*)
    xvs_wine_test(xvs_win32_tests.${locale} 120)
    set_property(TEST xvs_win32_tests.${locale} APPEND PROPERTY ENVIRONMENT LC_ALL=${locale}.UTF-8)
    set_tests_properties(xvs_win32_tests.${locale} PROPERTIES FAIL_REGULAR_EXPRESSION "SKIPPED")
endforeach()

# The shipped module's image: exports and imported DLLs (no Wine needed).
add_test(NAME win_xpl_image
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DMODULE=$<TARGET_FILE:win_xpl>
            -P ${CMAKE_CURRENT_LIST_DIR}/CheckModuleImage.cmake)

# A stand-in simulator that loads win.xpl and drives its entry points. It sits beside the
# stand-in XPLM_64.dll so that the loader finds that DLL for win.xpl too.
add_executable(plugin_host ${PROJECT_SOURCE_DIR}/tests/win32/plugin_host.cpp)
target_link_libraries(plugin_host PRIVATE XPLM_64 xvs_options)
target_link_options(plugin_host PRIVATE -static)
set_target_properties(plugin_host PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin)
add_dependencies(plugin_host win_xpl)
add_test(NAME plugin_host COMMAND plugin_host $<TARGET_FILE:win_xpl>)
xvs_wine_test(plugin_host 120)
