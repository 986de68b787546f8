# Fails when a program imports a DLL that Windows does not ship, such as the
# C++ runtime, winpthread, libpng or zlib: both programs must run from a
# folder holding nothing but themselves.
#   cmake -DOBJDUMP=... -DPROGRAM=... -P check_imports.cmake
cmake_policy(SET CMP0057 NEW) # IN_LIST
set(system_dlls advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt shell32 user32 wininet)

execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" entries "${dump}")
if(NOT entries)
  message(FATAL_ERROR "no import table found in ${PROGRAM}")
endif()
set(foreign "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^DLL Name: " "" dll "${entry}")
  string(TOLOWER "${dll}" name)
  string(REGEX REPLACE "\\.dll$" "" name "${name}")
  if(name IN_LIST system_dlls)
    message(STATUS "${dll}")
  else()
    list(APPEND foreign "${dll}")
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${PROGRAM} needs DLLs that Windows does not ship: ${foreign}")
endif()
