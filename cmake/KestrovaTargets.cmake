# kestrova_library(<name> [PUBLIC_INCLUDE <dir>...] [LIBS <lib>...])
#
# Builds one static library from every C++ source in the calling folder (and
# its src/ subfolder). New files are picked up without editing any list.
function(kestrova_library name)
  cmake_parse_arguments(ARG "" "" "PUBLIC_INCLUDE;LIBS;SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp)
  add_library(${name} STATIC ${sources} ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${ARG_PUBLIC_INCLUDE})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# kestrova_test(<name> DIR <folder> LIBS <lib>...)
#
# One GoogleTest executable per library, so a failing run names its area.
# Every test executable links the shared test support (temporary C: drive,
# the local tools server, temporary folders).
function(kestrova_test name)
  cmake_parse_arguments(ARG "" "DIR" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE kestrova_test_support ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()
