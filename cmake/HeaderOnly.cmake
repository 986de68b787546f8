# The two header-only libraries: nlohmann-json (graph documents) and CLI11
# (orvanta-cli's options), as the targets orvanta_json and orvanta_cli11.
# A build that finds their CMake packages uses them (Debian's on the host,
# vcpkg's or any other on Windows); the mingw cross build takes the folder
# scripts/setup fills with just their headers, so that the cross compiler
# never sees the host's /usr/include.

add_library(orvanta_json INTERFACE)
add_library(orvanta_cli11 INTERFACE)

set(_orvanta_header_only "${ORVANTA_MINGW_DEPS}/header-only")
if(CMAKE_CROSSCOMPILING AND EXISTS "${_orvanta_header_only}/nlohmann/json.hpp"
   AND EXISTS "${_orvanta_header_only}/CLI/CLI.hpp")
  target_include_directories(orvanta_json SYSTEM INTERFACE "${_orvanta_header_only}")
  target_include_directories(orvanta_cli11 SYSTEM INTERFACE "${_orvanta_header_only}")
else()
  find_package(nlohmann_json 3.10 CONFIG REQUIRED)
  find_package(CLI11 2.1 CONFIG REQUIRED)
  target_link_libraries(orvanta_json INTERFACE nlohmann_json::nlohmann_json)
  target_link_libraries(orvanta_cli11 INTERFACE CLI11::CLI11)
endif()
