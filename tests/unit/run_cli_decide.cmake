# Runs "orvanta-cli decide ARGS -o map.png" once (through the emulator when
# cross-compiled) in a fresh directory DIR; it must exit 0 and print one
# counts line matching COUNTS_REGEX, and CHECK (decide_map_check) must find
# map.png of size SIZE with those counts and the levels CELLS ("C,R=LEVEL",
# separated by "|").
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
string(REPLACE "|" ";" args "${ARGS}")
string(REPLACE "|" ";" cells "${CELLS}")
execute_process(COMMAND ${EMULATOR} ${CLI} decide ${args} -o map.png WORKING_DIRECTORY ${DIR}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" out "${out}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit ${status}\n${out}${err}")
endif()
if(NOT out MATCHES "^(holds [0-9]+ nowhere [0-9]+ undecided [0-9]+)\n$")
  message(FATAL_ERROR "standard output \"${out}\" is no counts line")
endif()
set(line "${CMAKE_MATCH_1}")
if(NOT line MATCHES "${COUNTS_REGEX}")
  message(FATAL_ERROR "\"${line}\" does not match \"${COUNTS_REGEX}\"")
endif()
execute_process(COMMAND ${EMULATOR} ${CHECK} map.png ${SIZE} "${line}" ${cells}
                WORKING_DIRECTORY ${DIR} OUTPUT_VARIABLE out ERROR_VARIABLE err
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${out}${err}")
endif()
