# Runs orvanta-cli twice in a fresh directory DIR (through the emulator when
# cross-compiled), with the arguments FIRST and then SECOND ("|"-separated);
# both must exit 0 with the same standard output, and when FILE is given
# both must have written FILE with the same bytes.
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
foreach(run FIRST SECOND)
  string(REPLACE "|" ";" args "${${run}}")
  execute_process(COMMAND ${EMULATOR} ${CLI} ${args} WORKING_DIRECTORY ${DIR}
                  OUTPUT_VARIABLE out_${run} ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${args}\nexit ${status}\n${out_${run}}${err}")
  endif()
  if(DEFINED FILE)
    file(READ ${DIR}/${FILE} bytes_${run} HEX)
    file(REMOVE ${DIR}/${FILE})
  endif()
endforeach()
if(NOT out_FIRST STREQUAL out_SECOND)
  message(FATAL_ERROR "standard output differs:\n${out_FIRST}\n---\n${out_SECOND}")
endif()
if(DEFINED FILE AND NOT bytes_FIRST STREQUAL bytes_SECOND)
  message(FATAL_ERROR "${FILE} differs")
endif()
