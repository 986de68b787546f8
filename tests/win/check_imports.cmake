# Fails when a program imports a DLL that Windows does not ship, such as the
# C++ runtime, winpthread, libpng or zlib: both programs must run from a
# folder holding nothing but themselves. Fails too for a system DLL that is
# not one of the known DLLs (wininet, for one): a DLL of that name beside
# the program would be loaded instead. Fails too when it imports a math
# function from msvcrt.dll whose last bits would then depend on the
# machine's msvcrt: the programs carry their own.
#   cmake -DOBJDUMP=... -DPROGRAM=... -P check_imports.cmake
cmake_policy(SET CMP0057 NEW) # IN_LIST
# The system's known DLLs, which are loaded from the system folder whatever
# lies beside the program, and comctl32, which the manifest binds.
set(system_dlls advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt shell32 user32)
set(own_math acos asin atan atan2 cos cosh exp log log10 pow sin sinh sqrt tan tanh)

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

# The names imported from msvcrt.dll: the lines after its "DLL Name" up to
# the next blank line, each "<vma> <hint> <name>".
string(REGEX MATCH "DLL Name: [Mm][Ss][Vv][Cc][Rr][Tt]\\.[Dd][Ll][Ll][^\n]*\n[^\n]*\n([^\n]+\n)*"
       msvcrt "${dump}")
string(REGEX MATCHALL "\n[\t ]*[0-9a-fA-F]+[\t ]+[0-9]+[\t ]+[A-Za-z0-9_]+" lines "${msvcrt}")
set(imported_math "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE ".*[\t ]([A-Za-z0-9_]+)$" "\\1" name "${line}")
  if(name IN_LIST own_math)
    list(APPEND imported_math "${name}")
  endif()
endforeach()
list(LENGTH lines count)
message(STATUS "${count} functions from msvcrt.dll")
if(imported_math)
  message(FATAL_ERROR "${PROGRAM} imports math functions from msvcrt.dll: ${imported_math}")
endif()
