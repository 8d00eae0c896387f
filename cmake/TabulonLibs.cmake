# tabulon_core_library(NAME FOLDER DEPS...)
# A static library of the .cpp/.h files directly in FOLDER (not its ui/ subfolder).
# A folder without sources yet gives an interface library, so that the dependency graph
# stays the same while subsystems are filled in.
function(tabulon_core_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  tabulon_check_ui_includes("${sources}" "")
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

# tabulon_ui_library(NAME SUBSYSTEM UI_DEPS...)
# The widgets of SUBSYSTEM/ui (app/ui/main.cpp aside) as a static library over the core.
# Its sources may include the ui headers of the subsystems named by UI_DEPS and of no other:
# configuring fails when one reaches elsewhere, so that the families stay free of cycles.
function(tabulon_ui_library name subsystem)
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/${subsystem}/ui/*.cpp ${CMAKE_SOURCE_DIR}/${subsystem}/ui/*.h
    ${CMAKE_SOURCE_DIR}/${subsystem}/ui/*.qrc)
  list(FILTER sources EXCLUDE REGEX "/app/ui/main\\.cpp$")
  set(cpp ${sources})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN} tabulon_core Qt6::Widgets Qt6::PrintSupport)
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARGN} tabulon_core Qt6::Widgets Qt6::PrintSupport)
  endif()
  set(allowed ${subsystem})
  foreach(dep ${ARGN})
    string(REGEX REPLACE "^tabulon_(.*)_ui$" "\\1" dep_subsystem ${dep})
    list(APPEND allowed ${dep_subsystem})
  endforeach()
  tabulon_check_ui_includes("${sources}" "${allowed}")
endfunction()

# Fails the configuration when one of FILES includes a ui header of a subsystem that is not
# in ALLOWED ("" for the core, which includes none).
function(tabulon_check_ui_includes files allowed)
  foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^#include \"[a-z]+/ui/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z]+)/ui/.*" "\\1" target "${line}")
      if(NOT target IN_LIST allowed)
        message(FATAL_ERROR "${file}: ${line} reaches a window layer it must not know")
      endif()
    endforeach()
  endforeach()
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
