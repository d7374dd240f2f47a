# Runs plendra-report check on DRAWING with the rounding index 2 (10 mm) and
# compares its output with EXPECTED; the check must exit 1 (findings found),
# and the takeoff of the same drawing must exit 0.
execute_process(COMMAND ${PROGRAM} check ${DRAWING} --marume 2
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
if(NOT status EQUAL 1)
  message(FATAL_ERROR "check exited ${status}, not 1: ${err}")
endif()
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "check printed:\n${out}\nexpected:\n${expected}")
endif()
execute_process(COMMAND ${PROGRAM} takeoff ${DRAWING} --marume 2
                OUTPUT_VARIABLE sheet ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "takeoff exited ${status}, not 0: ${err}")
endif()
