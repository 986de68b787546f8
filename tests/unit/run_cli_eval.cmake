# Runs "orvanta-cli eval INPUT" (through the emulator when cross-compiled)
# and compares its standard output with EXPECTED byte for byte.
execute_process(COMMAND ${EMULATOR} ${CLI} eval ${INPUT}
                OUTPUT_VARIABLE actual RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "orvanta-cli eval exited with ${status}")
endif()
string(REPLACE "\r\n" "\n" actual "${actual}")
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "unexpected output:\n${actual}\nexpected:\n${expected}")
endif()
