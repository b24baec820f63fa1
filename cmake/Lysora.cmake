# Project-wide build helpers shared by the host and win32 builds.

# lysora_test(NAME SOURCES... [LIBS libs...] [SERIAL]): one GoogleTest executable, one CTest
# test. Each run writes a GoogleTest XML report that scripts/test sums up.
function(lysora_test name)
  cmake_parse_arguments(T "SERIAL" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  # A relative report path: Windows programs under Wine read it the same way.
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:../reports/${name}.xml
           WORKING_DIRECTORY ${LYSORA_OUTPUT_DIR})
  if(T_SERIAL)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# lysora_fuzz_target(NAME SOURCES... [LIBS libs...]): a libFuzzer program, built only in a
# fuzz build (LYSORA_FUZZ, see scripts/fuzz). Its entry point should also run over a fixed
# corpus in an ordinary test, so that every build exercises it.
function(lysora_fuzz_target name)
  if(NOT LYSORA_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES} ${F_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()

# lysora_tool_command(OUT_COMMAND OUT_DEPENDS PROGRAM OVERRIDE): how a custom command runs
# PROGRAM, a tool target of this build: PROGRAM itself (CMake puts the emulator, Wine, in
# front of a cross-built one), or the command line OVERRIDE when it is set (another build's
# copy that runs on this machine), whose last element is the program it depends on.
function(lysora_tool_command out_command out_depends program override)
  if(override)
    list(GET override -1 last)
    set(${out_command} ${override} PARENT_SCOPE)
    set(${out_depends} ${last} PARENT_SCOPE)
  else()
    set(${out_command} ${program} PARENT_SCOPE)
    set(${out_depends} ${program} PARENT_SCOPE)
  endif()
endfunction()

# lysora_ship(FILES...): files that go onto the user's disk beside the programs (full paths,
# generator expressions allowed). The installer packs exactly these and its uninstaller
# removes exactly these.
function(lysora_ship)
  set_property(GLOBAL APPEND PROPERTY LYSORA_SHIPPED_FILES ${ARGN})
endfunction()

# lysora_ship_folder(FOLDER STAMP): a whole folder (full path) that goes onto the user's disk
# beside the programs, written by a custom command whose output STAMP says it is up to date.
# The installer packs it whole and its uninstaller removes it whole.
function(lysora_ship_folder folder stamp)
  set_property(GLOBAL APPEND PROPERTY LYSORA_SHIPPED_FOLDERS ${folder})
  set_property(GLOBAL APPEND PROPERTY LYSORA_SHIPPED_STAMPS ${stamp})
endfunction()

# lysora_reader_test(NAME PYTHON SCRIPT): a Python script that drives the build's Windows
# tools under Wine and checks what they write with independent programs, reporting like
# the GoogleTest programs (reports/NAME.xml). One at a time: they share the display.
function(lysora_reader_test name python script)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(arch win64)
  else()
    set(arch win32)
  endif()
  add_test(NAME ${name}
           COMMAND ${python} ${script} --wine ${CMAKE_SOURCE_DIR}/scripts/wine-exec --arch ${arch}
                   --report ../reports/${name}.xml
           WORKING_DIRECTORY ${LYSORA_OUTPUT_DIR})
  set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 600)
endfunction()
