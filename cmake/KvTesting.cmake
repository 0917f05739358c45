# Test programs are GoogleTest executables run by ctest under Wine.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
if(NOT TARGET gtest)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest's own sources are not held to our warning level.
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)
endif()

# Every test runs in a Wine prefix of its own, with a wineserver of its own (tools/wine-run makes the
# prefix from the build tree's template the first time and keeps its server warm), so test programs
# run side by side: the registry, the named objects and drive C: belong to one prefix. Tests that
# must see what another wrote there name one PREFIX; the tests of one prefix run one at a time.
set(KV_WINE_RUN ${PROJECT_SOURCE_DIR}/tools/wine-run)
include(${CMAKE_CURRENT_LIST_DIR}/KvTestLimits.cmake)

# kv_add_test(NAME name (SOURCES ... LIBS ... | COMMAND command args...) [PREFIX prefix]
#             [SPLIT filter...] [SERIAL] [TIMEOUT s])
# With SOURCES, builds a GoogleTest program and registers it with ctest; with COMMAND, registers a
# command that runs with WINEPREFIX naming the prefix (a script that calls wine or reads the prefix).
# PREFIX: the prefix's name, the test's own name unless given.
# SPLIT: the program runs as several tests, each in a prefix of its own and side by side: one per
# GoogleTest filter given (test "name.1", "name.2", ...), and "name.rest" with every other test, so a
# test added later runs too. Shares of one program must not depend on one another.
# SERIAL: the test is alone in its prefix while it runs, as every test is; kept for the tests that say
# so.
# TIMEOUT: the test's limit in whole seconds on an idle native machine, 300 unless given; ctest makes
# it KV_TEST_SCALE times as long (cmake/KvTestLimits.cmake).
function(kv_add_test)
  cmake_parse_arguments(T "SERIAL" "NAME;TIMEOUT;PREFIX" "SOURCES;LIBS;COMMAND;SPLIT" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(T_COMMAND)
    if(NOT T_PREFIX)
      set(T_PREFIX ${T_NAME})
    endif()
    add_test(NAME ${T_NAME} COMMAND ${KV_WINE_RUN} ${CMAKE_BINARY_DIR} ${T_PREFIX} ${T_COMMAND})
    kv_test_in_prefix(${T_NAME} ${T_PREFIX} ${T_TIMEOUT})
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest gtest_main)
  if(NOT T_SPLIT)
    if(NOT T_PREFIX)
      set(T_PREFIX ${T_NAME})
    endif()
    kv_add_gtest(${T_NAME} ${T_NAME} ${T_PREFIX} ${T_TIMEOUT} "")
    return()
  endif()
  set(index 0)
  set(others "")
  foreach(filter ${T_SPLIT})
    math(EXPR index "${index} + 1")
    kv_add_gtest(${T_NAME} ${T_NAME}.${index} ${T_NAME}.${index} ${T_TIMEOUT} "--gtest_filter=${filter}")
    string(APPEND others ":${filter}")
  endforeach()
  string(SUBSTRING "${others}" 1 -1 others)
  kv_add_gtest(${T_NAME} ${T_NAME}.rest ${T_NAME}.rest ${T_TIMEOUT} "--gtest_filter=-${others}")
endfunction()

# One ctest test of a GoogleTest program `target`, run by Wine in `prefix`.
function(kv_add_gtest target test prefix timeout filter)
  add_test(NAME ${test}
    COMMAND ${KV_WINE_RUN} ${CMAKE_BINARY_DIR} ${prefix} wine $<TARGET_FILE:${target}> ${filter}
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>)
  kv_test_in_prefix(${test} ${prefix} ${timeout})
endfunction()

# The test runs through tools/wine-run, which names the prefix in WINEPREFIX; ctest runs the tests
# of one prefix one at a time. Its limit, `timeout` seconds, is stretched by KV_TEST_SCALE at ctest
# time.
function(kv_test_in_prefix test prefix timeout)
  set_property(TEST ${test} PROPERTY TIMEOUT ${timeout})
  kv_scale_test_limits()
  set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK wine_prefix_${prefix})
endfunction()

# kv_copy_beside(target folder built-target...)
# Keeps copies of other targets' files (programs, DLLs) in a folder that `target` runs from, as an
# installation would lay them out. The copies follow their originals on every build, not only when
# `target` itself is relinked.
function(kv_copy_beside target folder)
  set(outputs "")
  foreach(source ${ARGN})
    get_target_property(name ${source} OUTPUT_NAME)
    if(NOT name)
      set(name ${source})
    endif()
    get_target_property(type ${source} TYPE)
    if(type STREQUAL "EXECUTABLE")
      set(name "${name}.exe")
    else()
      set(name "${name}.dll")
    endif()
    set(copy "${folder}/${name}")
    add_custom_command(OUTPUT "${copy}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${folder}"
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${source}> "${copy}"
      DEPENDS ${source}
      VERBATIM)
    list(APPEND outputs "${copy}")
  endforeach()
  string(MAKE_C_IDENTIFIER "copy_${target}_${folder}_${ARGN}" id)
  add_custom_target(${id} DEPENDS ${outputs})
  add_dependencies(${target} ${id})
endfunction()

# kv_copy_fixtures(source-folder destination-folder)
# The JPEG fixtures of a source folder, copied beside a test program that runs in its own folder.
function(kv_copy_fixtures source destination)
  file(GLOB fixtures CONFIGURE_DEPENDS ${source}/*.jpg)
  foreach(fixture ${fixtures})
    get_filename_component(name ${fixture} NAME)
    configure_file(${fixture} ${destination}/${name} COPYONLY)
  endforeach()
endfunction()
