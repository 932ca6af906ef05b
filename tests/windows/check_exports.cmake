# Compares a DLL's export table (objdump -p) with its module-definition file: the same
# names, none decorated. With STDCALL (32-bit builds) each export must also be a function
# of the standard calling convention.
execute_process(COMMAND "${OBJDUMP}" -p "${LIBRARY}" OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump -p ${LIBRARY} failed")
endif()

# The names of the export table: the lines "[ n] name" after "[Ordinal/Name Pointer] Table".
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
if(at LESS 0)
  message(FATAL_ERROR "${LIBRARY} has no export table")
endif()
string(SUBSTRING "${dump}" ${at} -1 table)
string(REGEX MATCHALL "\n[\t ]+\\[ *[0-9]+\\] [^\n]+" lines "${table}")
set(exported)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^\n[\t ]+\\[ *[0-9]+\\] " "" name "${line}")
  list(APPEND exported "${name}")
endforeach()

# The names the .def file lists under EXPORTS.
file(STRINGS "${DEF}" def_lines)
set(wanted)
set(in_exports FALSE)
foreach(line IN LISTS def_lines)
  string(STRIP "${line}" line)
  if(line MATCHES "^;" OR line STREQUAL "")
    continue()
  elseif(line STREQUAL "EXPORTS")
    set(in_exports TRUE)
  elseif(in_exports)
    list(APPEND wanted "${line}")
  endif()
endforeach()

list(SORT exported)
list(SORT wanted)
if(NOT exported STREQUAL wanted)
  message(FATAL_ERROR "${LIBRARY} exports [${exported}], its .def file names [${wanted}]")
endif()
message(STATUS "${LIBRARY}: ${exported}")

if(STDCALL)
  # The symbol table names each standard-call function "_name@bytes"; the export must be
  # that very function, not a plain C one of the same name.
  execute_process(COMMAND "${OBJDUMP}" -t "${LIBRARY}" OUTPUT_VARIABLE symbols)
  foreach(name IN LISTS wanted)
    if(NOT symbols MATCHES "(0x[0-9a-f]+) _${name}@[0-9]+\n")
      message(FATAL_ERROR "${name} in ${LIBRARY} is not a standard-call function")
    endif()
    set(address "${CMAKE_MATCH_1}")
    if(NOT symbols MATCHES "${address} _${name}\n")
      message(FATAL_ERROR "the export ${name} of ${LIBRARY} is not _${name}@n")
    endif()
  endforeach()
endif()
