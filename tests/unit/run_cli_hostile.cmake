# Runs "orvanta-cli analyze --at 0.3 --integral -1 2" on the eight equations
# of DOCUMENT (through the emulator when cross-compiled): curves whose every
# evaluation costs a thousand plain steps. The command must end normally
# with a line for every item: the curves it could not finish say "more yN",
# and the first integral, which needs seconds, says it was stopped.
file(READ ${DOCUMENT} text)
set(equations "")
foreach(i RANGE 7)
  string(JSON equation GET "${text}" equations ${i})
  list(APPEND equations "${equation}")
endforeach()
execute_process(COMMAND ${EMULATOR} ${CLI} analyze --at 0.3 --integral -1 2 ${equations}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" out "${out}")
set(problems "")
if(NOT status STREQUAL 0)
  string(APPEND problems "exit code ${status}, expected 0\n${err}")
endif()
set(expected "integral y1 a=-1 b=2 stopped\n")
foreach(n RANGE 1 8)
  list(APPEND expected "value y${n} x=0.29999999999999999 (y=[^ ]+ slope=[^ ]+|stopped)\n"
                       "integral y${n} a=-1 b=2 (value=[^ ]+ error=[^ ]+|diverges|stopped)\n")
  if(n LESS 8)
    list(APPEND expected "more y${n}\n")
  endif()
endforeach()
foreach(line IN LISTS expected)
  if(NOT out MATCHES "${line}")
    string(APPEND problems "no line matches \"${line}\"\n")
  endif()
endforeach()
if(problems)
  message(FATAL_ERROR "${problems}standard output:\n${out}")
endif()
