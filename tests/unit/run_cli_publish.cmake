# orvanta-cli plot's SVG and smooth output, in a fresh directory DIR
# (through the emulator when cross-compiled): with the arguments ARGS
# ("|"-separated) it writes the document g.orv and G.SVG; --smooth changes
# nothing in an SVG; CHECK (publish_check) holds the SVG to the writer's text
# of the document, and the BMPs with and without --smooth to the exact and
# smooth renders, which must differ. On the host, xmllint (XMLLINT) must
# find the SVG well-formed.
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${DIR}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN}\nexit ${status}\n${out}${err}")
  endif()
endfunction()

string(REPLACE "|" ";" args "${ARGS}")
run(${EMULATOR} ${CLI} plot ${args} --save g.orv -o G.SVG)
run(${EMULATOR} ${CLI} plot --smooth ${args} -o smooth.svg)
run(${EMULATOR} ${CLI} plot ${args} --smooth -o smooth.bmp)
run(${EMULATOR} ${CLI} plot ${args} -o plain.bmp)
file(READ ${DIR}/G.SVG svg HEX)
file(READ ${DIR}/smooth.svg smoothSvg HEX)
if(NOT svg STREQUAL smoothSvg)
  message(FATAL_ERROR "--smooth changed the SVG")
endif()
file(READ ${DIR}/plain.bmp plain HEX)
file(READ ${DIR}/smooth.bmp smooth HEX)
if(plain STREQUAL smooth)
  message(FATAL_ERROR "--smooth drew the exact curves")
endif()
run(${EMULATOR} ${CHECK} g.orv ${SIZE} G.SVG svg)
run(${EMULATOR} ${CHECK} g.orv ${SIZE} plain.bmp plain)
run(${EMULATOR} ${CHECK} g.orv ${SIZE} smooth.bmp smooth)
if(XMLLINT)
  run(${XMLLINT} --noout G.SVG)
endif()
