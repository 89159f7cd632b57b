# Fails when a source file includes a header of a folder that is not below its own. The layers,
# from the bottom: each may include its own folder and any folder of a lower rank. platform/
# holds only the seam headers; the seams' implementations (backends/: win32 with the module's
# and programs' entry points, virtual, pugixml, posix) and the virtual simulator (vsim/, the
# simulator SDK's implementation for host builds) stand above the shell, so nothing in the core
# includes them: the link alone decides which implementation runs. Every file below src/ is
# checked, subfolders included; an include of a folder that has no rank is a violation too.
# Usage: cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
set(ranks xplm=0 platform=1 trace=2 sim=3 panels=4 glasslink=4 gauge=5 screen=6 hotas=6
          devices=7 shell=8 backends=9 vsim=9)
foreach(entry IN LISTS ranks)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 folder)
    list(GET pair 1 rank)
    set(rank_${folder} ${rank})
endforeach()

set(violations "")
file(GLOB_RECURSE sources ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
foreach(source IN LISTS sources)
    file(RELATIVE_PATH shown ${SOURCE_DIR} ${source})
    string(REGEX REPLACE "/.*" "" folder "${shown}")
    if(NOT DEFINED rank_${folder})
        string(APPEND violations "  ${shown}: a folder without a layer\n")
        continue()
    endif()
    file(STRINGS ${source} includes REGEX "^#include \"[a-z_0-9]+/")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"([a-z_0-9]+)/.*" "\\1" target "${line}")
        if(target STREQUAL folder)
            continue()
        endif()
        if(NOT DEFINED rank_${target} OR NOT rank_${target} LESS rank_${folder})
            string(APPEND violations "  ${shown}: ${line}\n")
        endif()
    endforeach()
endforeach()
if(violations)
    message(FATAL_ERROR "Includes that do not point to a lower layer:\n${violations}")
endif()
