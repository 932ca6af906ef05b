# Project-wide compiler settings and helpers.

add_compile_options(-Wall -Wextra -Wshadow -Wno-unused-parameter)

if(TK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Coverage instrumentation for libFuzzer; the fuzz programs link the fuzzer itself.
if(TK_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Windows programs and libraries carry their compiler's run-time libraries inside, so
# that they run with nothing beside them but the system's own DLLs.
if(WIN32)
  add_link_options(-static)
endif()

# A library that is loaded at run time by its Windows name: "X.dll" is the file
# "X.so" elsewhere, without the "lib" prefix, next to the programs.
function(tk_runtime_library name)
  add_library(${name} SHARED ${ARGN})
  set_target_properties(${name} PROPERTIES PREFIX "" C_VISIBILITY_PRESET hidden
                                           CXX_VISIBILITY_PRESET hidden
                                           VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# Restricts a runtime library's exported symbols to those named in a version script; on
# Windows to those of the module-definition file of the same name (X.def beside X.map),
# undecorated: --kill-at drops the "@n" that the standard calling convention adds to the
# names of 32-bit functions.
function(tk_export_map target mapfile)
  if(WIN32)
    string(REGEX REPLACE "\\.map$" ".def" deffile "${mapfile}")
    target_sources(${target} PRIVATE "${deffile}")
    target_link_options(${target} PRIVATE "-Wl,--kill-at")
    # The .def names the functions without "@n": that is meant, not to be warned about.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      target_link_options(${target} PRIVATE "-Wl,--enable-stdcall-fixup")
    endif()
  else()
    target_link_options(${target} PRIVATE "-Wl,--version-script=${mapfile}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${mapfile}")
  endif()
endfunction()

# Adds every folder below the current one that has a CMakeLists.txt: each is one unit.
function(tk_add_unit_folders)
  file(GLOB units LIST_DIRECTORIES true RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}"
       "${CMAKE_CURRENT_SOURCE_DIR}/*")
  list(SORT units)
  foreach(unit IN LISTS units)
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${unit}/CMakeLists.txt")
      add_subdirectory(${unit})
    endif()
  endforeach()
endfunction()
