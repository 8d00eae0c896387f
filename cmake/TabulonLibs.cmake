# tabulon_core_library(NAME FOLDER DEPS...)
# A static library of the .cpp/.h files directly in FOLDER (not its ui/ subfolder).
# A folder without sources yet gives an interface library, so that the dependency graph
# stays the same while subsystems are filled in.
function(tabulon_core_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  set(cpp ${sources})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# One test executable per source file; its name is the file's base name.
# TIMEOUT (seconds, default 300) bounds a whole test executable, so that a hang fails the run
# instead of stalling it. A single test function gets three quarters of that before QtTest
# stops it, naming the function that hung.
function(tabulon_tests folder)
  cmake_parse_arguments(T "" "TIMEOUT" "LIBS;ENV" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  math(EXPR function_ms "${T_TIMEOUT} * 750")
  list(APPEND T_ENV "QTEST_FUNCTION_TIMEOUT=${function_ms}")
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  foreach(src ${tests})
    get_filename_component(base ${src} NAME_WE)
    add_executable(${base} ${src})
    target_link_libraries(${base} PRIVATE ${T_LIBS} Qt6::Test tabulon_testsupport)
    add_test(NAME ${base} COMMAND ${base})
    set_tests_properties(${base} PROPERTIES
      ENVIRONMENT "${T_ENV}" TIMEOUT ${T_TIMEOUT})
  endforeach()
endfunction()
