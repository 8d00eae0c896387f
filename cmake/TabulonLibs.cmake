# tabulon_core_library(NAME FOLDER DEPS...)
# A static library of the .cpp/.h files directly in FOLDER (not its ui/ subfolder), linking
# DEPS. Its sources include headers of FOLDER and of the Tabulon libraries in DEPS, and no
# others (tabulon_check_includes). A folder without sources yet gives an interface library,
# so that the dependency graph stays the same while subsystems are filled in.
function(tabulon_core_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  tabulon_check_includes(${name} "${sources}" ${folder} ${ARGN})
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

# tabulon_ui_library(NAME SUBSYSTEM DEPS...)
# The widgets of SUBSYSTEM/ui (app/ui/main.cpp aside) as a static library linking DEPS (its
# own core library among them, other window libraries, the cores below) and Qt Widgets.
# Its sources include headers of SUBSYSTEM/ui and of the libraries in DEPS, and no others:
# configuring fails when one reaches elsewhere, so that the families stay free of cycles.
function(tabulon_ui_library name subsystem)
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/${subsystem}/ui/*.cpp ${CMAKE_SOURCE_DIR}/${subsystem}/ui/*.h
    ${CMAKE_SOURCE_DIR}/${subsystem}/ui/*.qrc)
  list(FILTER sources EXCLUDE REGEX "/app/ui/main\\.cpp$")
  set(headers ${sources})
  list(FILTER headers EXCLUDE REGEX "\\.qrc$")
  tabulon_check_includes(${name} "${headers}" ${subsystem}/ui ${ARGN})
  set(cpp ${sources})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN} Qt6::Widgets Qt6::PrintSupport)
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARGN} Qt6::Widgets Qt6::PrintSupport)
  endif()
endfunction()

# tabulon_check_includes(NAME FILES OWN DEPS...)
# The layers, proven when configuring. A header of the program is included by its folder:
# "store/dbstatus.h" lies in the core library tabulon_store, "browse/ui/browseviews.h" in
# the window library tabulon_browse_ui. FILES, the sources of library NAME, may include
# headers of their own folder OWN (also without the folder's name) and of the Tabulon
# libraries in DEPS, which NAME links. Configuring fails on an include of any other
# folder (a core library reaching a window, a family reaching a sibling, a layer reaching
# upward), and on a Tabulon library in DEPS of which no file includes a header, so that
# each link list says exactly what its library uses.
function(tabulon_check_includes name files own)
  set(linked)
  foreach(dep ${ARGN})
    if(dep MATCHES "^tabulon_([a-z]+)_ui$")
      list(APPEND linked "${CMAKE_MATCH_1}/ui")
    elseif(dep MATCHES "^tabulon_([a-z]+)$")
      list(APPEND linked "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(used)
  foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^#include \"[^\"]*/")
    foreach(line ${includes})
      if(NOT line MATCHES "^#include \"([a-z]+)/(ui/)?[^/\"]+\"")
        message(FATAL_ERROR "${file}: ${line} names no library's folder")
      endif()
      set(folder ${CMAKE_MATCH_1})
      if(CMAKE_MATCH_2)
        set(folder ${folder}/ui)
      endif()
      if(NOT folder STREQUAL own AND NOT folder IN_LIST linked)
        message(FATAL_ERROR
          "${file}: ${line} reaches ${folder}/, which ${name} does not link: a layer it must not know")
      endif()
      list(APPEND used ${folder})
    endforeach()
  endforeach()
  foreach(folder ${linked})
    if(NOT folder IN_LIST used)
      message(FATAL_ERROR "${name} links the library of ${folder}/ but includes none of its headers")
    endif()
  endforeach()
endfunction()

# The locale of every test run. LANGUAGE is emptied: Qt, like gettext, lets it override
# LANG and LC_ALL when these do not say "C" exactly.
set(tabulon_test_locale "LANG=C.UTF-8" "LC_ALL=C.UTF-8" "LANGUAGE=")

# One test executable per source file; its name is the file's base name.
# TIMEOUT (seconds, default 300) bounds a whole test executable, so that a hang fails the run
# instead of stalling it. A single test function gets three quarters of that before QtTest
# stops it, naming the function that hung. Every test runs in a locale that selects English
# (tabulon_test_locale), whatever the machine's: the program's texts and its guide follow
# the locale, and the tests find widgets and messages by their English texts.
function(tabulon_tests folder)
  cmake_parse_arguments(T "" "TIMEOUT" "LIBS;ENV" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  math(EXPR function_ms "${T_TIMEOUT} * 750")
  list(APPEND T_ENV "QTEST_FUNCTION_TIMEOUT=${function_ms}" ${tabulon_test_locale})
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
