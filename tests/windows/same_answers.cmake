# Runs lexq_answers of the Linux build and of the Windows build (under Wine) on the
# Linux build's dictionaries, each from a folder that holds it with its lexqapi and crypt
# libraries, and requires the two outputs to be the same byte for byte.
set(linux_answers "${LINUX_BUILD}/tests/lexq_answers")
file(GLOB dictionaries "${LINUX_BUILD}/product/data/*.idx")
if(NOT EXISTS "${linux_answers}" OR NOT dictionaries)
  message("Skipped: no Linux build with lexq_answers and dictionaries in ${LINUX_BUILD}")
  return()
endif()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/linux" "${WORK}/windows")
file(COPY "${linux_answers}" "${LINUX_BUILD}/product/lexqapi.so" "${LINUX_BUILD}/product/crypt.so"
     DESTINATION "${WORK}/linux")
file(COPY "${WINDOWS_ANSWERS}" "${WINDOWS_PRODUCT}/lexqapi.dll" "${WINDOWS_PRODUCT}/crypt.dll"
     DESTINATION "${WORK}/windows")
get_filename_component(windows_program "${WINDOWS_ANSWERS}" NAME)

execute_process(COMMAND "${WORK}/linux/lexq_answers" "${WORK}/linux.txt" ${dictionaries}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "lexq_answers of the Linux build failed: ${failed}")
endif()
# Wine reaches this system's files through drive Z:.
set(windows_dictionaries)
foreach(dictionary IN LISTS dictionaries)
  list(APPEND windows_dictionaries "Z:${dictionary}")
endforeach()
execute_process(COMMAND "${WINE}" "${WORK}/windows/${windows_program}" "Z:${WORK}/windows.txt"
                        ${windows_dictionaries} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "lexq_answers of the Windows build failed under Wine: ${failed}")
endif()

file(READ "${WORK}/linux.txt" linux HEX)
file(READ "${WORK}/windows.txt" windows HEX)
if(NOT linux STREQUAL windows)
  message(FATAL_ERROR "the Windows libraries answer otherwise: compare ${WORK}/linux.txt "
                      "and ${WORK}/windows.txt")
endif()
# The same, and not the same failure: every dictionary opened (the enciphered one too),
# and found words among the answers.
file(READ "${WORK}/linux.txt" text)
string(REGEX MATCHALL "\ninit 0\n" opened "${text}")
string(REGEX MATCHALL "\nsearch [^\n]*\n0 <table>" found "${text}")
list(LENGTH opened opened)
list(LENGTH found found)
list(LENGTH dictionaries books)
math(EXPR enough "100 * ${books}")
if(NOT opened EQUAL books OR found LESS enough)
  message(FATAL_ERROR "${opened} of ${books} dictionaries opened, ${found} words found")
endif()
message(STATUS "${books} dictionaries, ${found} words found: the same answers byte for byte")
