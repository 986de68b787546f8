# Runs orvanta-cli once (through the emulator when cross-compiled) and
# checks its exit code and output.
#   ARGS          the arguments, separated by "|"
#   INPUT         a file given as standard input (optional)
#   OUTPUT_FILE   where standard output goes (optional; /dev/full to make
#                 every write fail)
#   EXIT          the expected exit code
#   STDOUT        the exact expected standard output (line ends normalised)
#   STDERR_REGEX  a pattern standard error must match
string(REPLACE "|" ";" args "${ARGS}")
set(redirect "")
if(DEFINED INPUT)
  list(APPEND redirect INPUT_FILE ${INPUT})
endif()
if(DEFINED OUTPUT_FILE)
  list(APPEND redirect OUTPUT_FILE ${OUTPUT_FILE})
else()
  list(APPEND redirect OUTPUT_VARIABLE out)
endif()
execute_process(COMMAND ${EMULATOR} ${CLI} ${args} ${redirect}
                ERROR_VARIABLE err RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" err "${err}")
string(REPLACE "\r\n" "\n" out "${out}")
set(problems "")
if(NOT status STREQUAL EXIT)
  string(APPEND problems "exit code ${status}, expected ${EXIT}\n")
endif()
if(DEFINED STDOUT AND NOT out STREQUAL STDOUT)
  string(APPEND problems "standard output \"${out}\", expected \"${STDOUT}\"\n")
endif()
if(DEFINED STDERR_REGEX AND NOT err MATCHES "${STDERR_REGEX}")
  string(APPEND problems "standard error \"${err}\" does not match \"${STDERR_REGEX}\"\n")
endif()
if(problems)
  message(FATAL_ERROR "${problems}")
endif()
