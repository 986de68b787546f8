# Runs "orvanta-cli plot ARGS" once (through the emulator when
# cross-compiled) in a fresh directory DIR and checks what it did.
#   ARGS          the arguments after "plot", separated by "|"
#   EXIT          the expected exit code
#   STDERR        the exact expected standard error (line ends normalised)
#   STDERR_REGEX  or a pattern standard error must match
#   OUTPUT        the file named by -o, relative to DIR
#   SIZE          WxH: OUTPUT must be a 24-bit BMP of this size; without
#                 SIZE, DIR must still be empty afterwards
#   PIXELS        the expected pixel data of OUTPUT in hex, bottom row first
#   IDENTIFY      ImageMagick's identify: it must read OUTPUT back with the
#                 size SIZE and find the colour ff0000 in it ("SKIPPED" when
#                 the program is not there)
#   INPUT         a file copied into DIR before the run, which may stay
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
set(inputName "")
if(DEFINED INPUT)
  file(COPY ${INPUT} DESTINATION ${DIR})
  get_filename_component(inputName ${INPUT} NAME)
endif()
string(REPLACE "|" ";" args "${ARGS}")
execute_process(COMMAND ${EMULATOR} ${CLI} plot ${args}
                WORKING_DIRECTORY ${DIR}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" err "${err}")

set(problems "")
if(NOT status STREQUAL EXIT)
  string(APPEND problems "exit code ${status}, expected ${EXIT}\n")
endif()
if(DEFINED STDERR AND NOT err STREQUAL "${STDERR}\n")
  string(APPEND problems "standard error differs, expected \"${STDERR}\"\n")
endif()
if(DEFINED STDERR_REGEX AND NOT err MATCHES "${STDERR_REGEX}")
  string(APPEND problems "standard error does not match \"${STDERR_REGEX}\"\n")
endif()

set(file ${DIR}/${OUTPUT})
if(DEFINED SIZE)
  string(REGEX MATCH "^([0-9]+)x([0-9]+)$" ignored "${SIZE}")
  set(width ${CMAKE_MATCH_1})
  set(height ${CMAKE_MATCH_2})
  math(EXPR rowSize "(3 * ${width} + 3) / 4 * 4")
  math(EXPR expectedSize "54 + ${rowSize} * ${height}")
  if(NOT EXISTS ${file})
    string(APPEND problems "${OUTPUT} was not written\n")
  else()
    file(SIZE ${file} actualSize)
    if(NOT actualSize EQUAL expectedSize)
      string(APPEND problems "${OUTPUT} has ${actualSize} bytes, expected ${expectedSize}\n")
    endif()
    # Width and height fields of the information header, little-endian.
    file(READ ${file} header LIMIT 26 HEX)
    string(SUBSTRING "${header}" 36 16 fields)
    foreach(value ${width} ${height})
      math(EXPR value "${value}" OUTPUT_FORMAT HEXADECIMAL)
      string(REGEX REPLACE "^0x" "" value "${value}")
      string(LENGTH "${value}" length)
      math(EXPR fill "8 - ${length}")
      string(REPEAT "0" ${fill} zeros)
      set(value "${zeros}${value}")
      string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" bytes "${value}")
      string(APPEND expectedFields "${bytes}")
    endforeach()
    if(NOT fields STREQUAL expectedFields)
      string(APPEND problems "header size fields ${fields}, expected ${expectedFields}\n")
    endif()
    if(DEFINED PIXELS)
      file(READ ${file} data OFFSET 54 HEX)
      if(NOT data STREQUAL PIXELS)
        string(APPEND problems "pixel data ${data}, expected ${PIXELS}\n")
      endif()
    endif()
  endif()
else()
  file(GLOB written RELATIVE ${DIR} ${DIR}/*)
  list(REMOVE_ITEM written "${inputName}")
  if(written)
    string(APPEND problems "files were written although the command failed: ${written}\n")
  endif()
endif()

if(problems)
  message(FATAL_ERROR "orvanta-cli plot ${args}\n${problems}standard error:\n${err}")
endif()

if(DEFINED IDENTIFY)
  if(NOT IDENTIFY OR NOT EXISTS "${IDENTIFY}")
    message("SKIPPED: ImageMagick's identify is not installed")
    return()
  endif()
  execute_process(COMMAND ${IDENTIFY} -format "%m %w %h" ${file}
                  OUTPUT_VARIABLE identified RESULT_VARIABLE identifyStatus)
  if(NOT identifyStatus EQUAL 0 OR NOT identified MATCHES "^BMP3? ${width} ${height}$")
    message(FATAL_ERROR "identify read \"${identified}\" (exit ${identifyStatus})")
  endif()
  # The histogram of an image with few colours lists each of them.
  execute_process(COMMAND ${IDENTIFY} -verbose ${file} OUTPUT_VARIABLE verbose)
  if(NOT verbose MATCHES "#FF0000")
    message(FATAL_ERROR "identify finds no ff0000 pixel in ${OUTPUT}")
  endif()
endif()
