# Runs "orvanta-cli plot" (through the emulator when cross-compiled) in a
# fresh directory DIR: the same graph as PNG and as BMP, compared by the
# CHECK program; the extension in capitals; and a write into a missing
# folder, which must print "Error saving image", exit 1 and write nothing.
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
set(graph --size 301x207 --background 203040 --color 2 00ff80 x*x/3-4 "3*sin(x)" -x)

function(run expected_exit)
  execute_process(COMMAND ${EMULATOR} ${ARGN} WORKING_DIRECTORY ${DIR}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  string(REPLACE "\r\n" "\n" err "${err}")
  if(NOT status STREQUAL expected_exit)
    message(FATAL_ERROR "${ARGN}\nexit ${status}, expected ${expected_exit}\n${out}${err}")
  endif()
  set(err "${err}" PARENT_SCOPE)
endfunction()

run(0 ${CLI} plot ${graph} -o graph.png)
run(0 ${CLI} plot ${graph} -o graph.bmp)
run(0 ${CHECK} graph.png graph.bmp)

run(0 ${CLI} plot --size 5x4 -o SMALL.PNG x)
file(READ ${DIR}/SMALL.PNG signature LIMIT 8 HEX)
if(NOT signature STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "SMALL.PNG is no PNG file: ${signature}")
endif()

run(1 ${CLI} plot -o missing/graph.png x)
if(NOT err STREQUAL "Error saving image\n")
  message(FATAL_ERROR "standard error \"${err}\", expected \"Error saving image\"")
endif()
if(EXISTS ${DIR}/missing)
  message(FATAL_ERROR "a folder was created for the failed write")
endif()
