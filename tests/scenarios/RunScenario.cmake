# Runs one scenario through skydeck-sim in the scenario's folder and checks its exit status.
# -DSIM=program -DSCENARIO=file -DEXPECTED=status [-DARGS="more options"] [-DEMULATOR=wine]
separate_arguments(extra UNIX_COMMAND "${ARGS}")
get_filename_component(folder ${SCENARIO} DIRECTORY)
execute_process(COMMAND ${EMULATOR} ${SIM} --quiet ${extra} ${SCENARIO} RESULT_VARIABLE status
                WORKING_DIRECTORY ${folder} OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT "${status}" STREQUAL "${EXPECTED}")
    message(FATAL_ERROR "exit ${status}, expected ${EXPECTED}\n${out}${err}")
endif()
if(NOT EXPECTED EQUAL 0 AND NOT err MATCHES "${SCENARIO_NAME}:[0-9]+: ")
    message(FATAL_ERROR "the failure does not name the file and line:\n${err}")
endif()
message("${err}")
