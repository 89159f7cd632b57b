# Runs one scenario through skydeck-sim and checks its exit status.
# -DSIM=program -DSCENARIO=file -DEXPECTED=status
execute_process(COMMAND ${SIM} --quiet ${SCENARIO} RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT "${status}" STREQUAL "${EXPECTED}")
    message(FATAL_ERROR "exit ${status}, expected ${EXPECTED}\n${out}${err}")
endif()
if(NOT EXPECTED EQUAL 0 AND NOT err MATCHES "${SCENARIO_NAME}:[0-9]+: ")
    message(FATAL_ERROR "the failure does not name the file and line:\n${err}")
endif()
message("${err}")
