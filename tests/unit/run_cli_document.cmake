# Runs "orvanta-cli plot" three times in a fresh directory DIR (through the
# emulator when cross-compiled) and compares what they drew:
#   SAVE    arguments of a run that writes the document g.orv, and maybe an
#           image too
#   GRAPH   arguments of a run that draws g.orv (with its overrides) as
#           graph.png
#   DIRECT  arguments that give the same graph without a document, drawn as
#           direct.png
#   CHECK   a program that holds g.orv to the writer's text of the document
#           it holds
#   EXPECTED  (optional) the text g.orv must have
# Each list is separated by "|". Every PNG written must equal direct.png
# byte for byte.
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})

function(run)
  execute_process(COMMAND ${EMULATOR} ${ARGN} WORKING_DIRECTORY ${DIR}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN}\nexit ${status}\n${out}${err}")
  endif()
endfunction()

foreach(step SAVE GRAPH DIRECT)
  string(REPLACE "|" ";" ${step} "${${step}}")
endforeach()
run(${CLI} plot ${SAVE})
run(${CHECK} g.orv)
if(DEFINED EXPECTED)
  file(READ ${DIR}/g.orv saved)
  file(READ ${EXPECTED} expected)
  if(NOT saved STREQUAL expected)
    message(FATAL_ERROR "g.orv:\n${saved}\nexpected:\n${expected}")
  endif()
endif()
run(${CLI} plot ${GRAPH} -o graph.png)
run(${CLI} plot ${DIRECT} -o direct.png)

file(GLOB images RELATIVE ${DIR} ${DIR}/*.png)
list(LENGTH images count)
if(count LESS 2)
  message(FATAL_ERROR "too few images: ${images}")
endif()
file(SHA256 ${DIR}/direct.png expected)
foreach(image ${images})
  file(SHA256 ${DIR}/${image} actual)
  if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "${image} differs from direct.png")
  endif()
endforeach()
