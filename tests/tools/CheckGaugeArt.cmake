# Draws the sample bitmaps afresh and compares them with the files kept in the data folder.
# -DART=skydeck-art -DKEPT=data/gauges/1024 -DOUT=scratch folder
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${ART} ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "skydeck-art failed: ${status}")
endif()
file(GLOB drawn RELATIVE ${OUT} ${OUT}/*.bmp)
if(drawn STREQUAL "")
    message(FATAL_ERROR "skydeck-art drew nothing")
endif()
foreach(name IN LISTS drawn)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${name} ${KEPT}/${name}
                    RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "${KEPT}/${name} is not what skydeck-art draws: run skydeck-art ${KEPT}")
    endif()
endforeach()
