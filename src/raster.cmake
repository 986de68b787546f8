# The raster image library, its file classes, the PNG writer and the BMP
# encoder: part of the portable core.
target_sources(orvanta_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/zr_memory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_buffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_buffer_memory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_32bit_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_rgb_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_grayscale_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_indexed_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_color_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_image_converter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_file_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_replacement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_image_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zr_png_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/utf16_text.cpp
)

# The file calls: each system compiles its own half.
if(WIN32)
  target_sources(orvanta_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/zr_file_calls_windows.cpp)
else()
  target_sources(orvanta_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/zr_file_calls_posix.cpp)
endif()

# libpng (with zlib) writes the PNG files. The mingw build comes from
# build/mingw-deps, found through CMAKE_PREFIX_PATH.
find_package(PNG REQUIRED)
target_link_libraries(orvanta_core PUBLIC PNG::PNG)
