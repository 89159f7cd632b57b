# Fails when a source folder includes a header of a folder that is not below it. The layers, from
# the bottom: each may include its own folder and any folder of a lower rank. The virtual
# simulator and the platform backends (platform/win32, platform/virtual, platform/pugixml) sit
# beside the layers and are not checked.
# Usage: cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
set(ranks xplm=0 platform=1 trace=2 sim=3 panels=4 glasslink=4 gauge=5 screen=6 hotas=6
          devices=7 shell=8)
foreach(entry IN LISTS ranks)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 folder)
    list(GET pair 1 rank)
    set(rank_${folder} ${rank})
    list(APPEND folders ${folder})
endforeach()

set(violations "")
foreach(folder IN LISTS folders)
    file(GLOB sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    foreach(source IN LISTS sources)
        file(STRINGS ${source} includes REGEX "^#include \"[a-z_0-9]+/")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^#include \"([a-z_0-9]+)/.*" "\\1" target "${line}")
            if(target STREQUAL folder)
                continue()
            endif()
            if(NOT DEFINED rank_${target} OR NOT rank_${target} LESS rank_${folder})
                file(RELATIVE_PATH shown ${SOURCE_DIR} ${source})
                string(APPEND violations "  ${shown}: ${line}\n")
            endif()
        endforeach()
    endforeach()
endforeach()
if(violations)
    message(FATAL_ERROR "Includes that do not point to a lower layer:\n${violations}")
endif()
