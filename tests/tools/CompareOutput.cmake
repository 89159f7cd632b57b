# Runs a program in a folder and compares its standard output with a file of what it must print.
# -DPROGRAM=program -DFOLDER=folder -DEXPECTED=file [-DARGS="options"] [-DSTATUS=exit status]
separate_arguments(extra UNIX_COMMAND "${ARGS}")
execute_process(COMMAND ${PROGRAM} ${extra} WORKING_DIRECTORY ${FOLDER}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/actual.txt "${out}")
    message(FATAL_ERROR "the output differs from ${EXPECTED}:\n${out}${err}")
endif()
if(DEFINED STATUS AND NOT status STREQUAL STATUS)
    message(FATAL_ERROR "exit ${status}, expected ${STATUS}\n${err}")
endif()
