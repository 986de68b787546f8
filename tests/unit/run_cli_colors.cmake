# Colours read by orvanta-cli plot in its two places: a document's
# "background" "#TEXT" (--graph) and the option --background TEXT. For every
# TEXT of the table both are accepted, drawing the same 1 x 1 image whose
# pixel is the colour, or both are refused with their own message.
#   CLI, EMULATOR  the program and what runs it (Wine when cross-compiled)
#   DIR            a fresh working directory
cmake_minimum_required(VERSION 3.20)

# "TEXT=RRGGBB" for a text read as that colour, "TEXT" for a refused one.
set(table
  "000000=000000" "FFFFFF=ffffff" "ffffff=ffffff" "aBcDeF=abcdef" "123456=123456"
  "0a0B0c=0a0b0c" "9f9F90=9f9f90"
  "" "fff" "12345" "1234567" "12345g" "#123456" "0x1234" "+12345" "-12345"
  " 12345" "12345 " "12 456" "/00000" ":00000" "@00000" "G00000" "`00000" "g00000"
  "ééé")

file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
set(problems "")
foreach(entry IN LISTS table)
  if(entry MATCHES "^(.*)=([0-9a-f]+)$")
    set(text "${CMAKE_MATCH_1}")
    set(expected "${CMAKE_MATCH_2}")
  else()
    set(text "${entry}")
    set(expected "")
  endif()
  file(REMOVE ${DIR}/document.bmp ${DIR}/option.bmp)
  file(WRITE ${DIR}/g.orv "{\"orvanta\": 1, \"background\": \"#${text}\"}\n")
  execute_process(COMMAND ${EMULATOR} ${CLI} plot --graph g.orv --size 1x1 --no-axes
                          -o document.bmp
                  WORKING_DIRECTORY ${DIR} ERROR_VARIABLE documentErr
                  RESULT_VARIABLE documentStatus)
  execute_process(COMMAND ${EMULATOR} ${CLI} plot --background ${text} --size 1x1 --no-axes
                          -o option.bmp
                  WORKING_DIRECTORY ${DIR} ERROR_VARIABLE optionErr
                  RESULT_VARIABLE optionStatus)
  string(REPLACE "\r\n" "\n" documentErr "${documentErr}")
  string(REPLACE "\r\n" "\n" optionErr "${optionErr}")
  if(expected STREQUAL "")
    if(NOT documentStatus EQUAL 2 OR NOT documentErr STREQUAL
       "orvanta-cli: g.orv: \"background\" is not #RRGGBB\n")
      string(APPEND problems "\"#${text}\" in a document: exit ${documentStatus}, ${documentErr}\n")
    endif()
    if(NOT optionStatus EQUAL 2 OR NOT optionErr MATCHES
       "^orvanta-cli plot: --background: \"[^\n]*\" is not a colour RRGGBB\nusage:")
      string(APPEND problems "--background \"${text}\": exit ${optionStatus}, ${optionErr}\n")
    endif()
  elseif(NOT documentStatus EQUAL 0 OR NOT optionStatus EQUAL 0)
    string(APPEND problems "\"${text}\" refused: exits ${documentStatus} and ${optionStatus}\n")
  else()
    # The one pixel of a 24-bit BMP follows the 54 bytes of its headers,
    # blue first.
    string(REGEX REPLACE "^(..)(..)(..)$" "\\3\\2\\1" pixel "${expected}")
    foreach(image document option)
      file(READ ${DIR}/${image}.bmp bytes OFFSET 54 LIMIT 3 HEX)
      if(NOT bytes STREQUAL pixel)
        string(APPEND problems "\"${text}\" drawn by the ${image} as ${bytes}, expected ${pixel}\n")
      endif()
    endforeach()
  endif()
endforeach()
if(problems)
  message(FATAL_ERROR "${problems}")
endif()
