# Every test's limit (its TIMEOUT) stretches at ctest time with the suite's time factor,
# KV_TEST_SCALE in ctest's environment (tools/test measures it; 1 when unset), as every deadline
# inside the tests does: a machine that runs the suite slower gets a longer limit without a new
# configure.
#
# CMake cannot read a test's properties outside the test's directory, so each directory that
# registers tests collects its own limits once it is processed (kv_scale_test_limits, called by
# kv_add_test and by the directories that call add_test themselves). kv_write_test_limits then writes
# one script that sets each limit again, times the factor; ctest runs it from the last directory it
# reads, after every test is known. A test without a TIMEOUT of its own has ctest's --timeout, which
# tools/test scales itself.

# The tests of the current directory get their limits scaled; once per directory is enough.
function(kv_scale_test_limits)
  get_property(scheduled DIRECTORY PROPERTY KV_TEST_LIMITS_SCALED)
  if(scheduled)
    return()
  endif()
  set_property(DIRECTORY PROPERTY KV_TEST_LIMITS_SCALED ON)
  cmake_language(DEFER CALL _kv_collect_test_limits)
endfunction()

# At the end of a directory: each of its tests that has a limit, as a line of the script.
function(_kv_collect_test_limits)
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(test IN LISTS tests)
    get_test_property(${test} TIMEOUT limit)
    if(NOT limit)
      continue()
    endif()
    if(NOT limit MATCHES "^[0-9]+$")
      message(FATAL_ERROR "test ${test}: its TIMEOUT (${limit}) must be whole seconds to be scaled")
    endif()
    string(CONCAT lines "math(EXPR kv_limit \"${limit} * \${kv_scale}\")\n"
      "set_tests_properties([==[${test}]==] PROPERTIES TIMEOUT \${kv_limit})\n")
    set_property(GLOBAL APPEND_STRING PROPERTY KV_TEST_LIMIT_LINES "${lines}")
  endforeach()
endfunction()

# The directories below `dir` (itself included) that register tests.
function(_kv_directories_with_tests dir out)
  set(found "")
  get_property(tests DIRECTORY ${dir} PROPERTY TESTS)
  if(tests)
    list(APPEND found ${dir})
  endif()
  get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    _kv_directories_with_tests(${subdirectory} below)
    list(APPEND found ${below})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# Called from a directory added after every other (cmake/test-limits): the script, run by ctest
# from that directory. A directory whose tests would keep fixed limits stops the configure.
function(kv_write_test_limits)
  _kv_directories_with_tests(${PROJECT_SOURCE_DIR} directories)
  foreach(dir IN LISTS directories)
    get_property(scheduled DIRECTORY ${dir} PROPERTY KV_TEST_LIMITS_SCALED)
    if(NOT scheduled)
      message(FATAL_ERROR "${dir} registers tests without kv_add_test: call kv_scale_test_limits() there "
                          "so that their limits follow KV_TEST_SCALE")
    endif()
  endforeach()
  get_property(lines GLOBAL PROPERTY KV_TEST_LIMIT_LINES)
  set(script "${CMAKE_CURRENT_BINARY_DIR}/KvTestLimits.cmake")
  file(CONFIGURE OUTPUT "${script}" @ONLY CONTENT [==[
# Written by cmake/KvTestLimits.cmake: each test's limit times the suite's time factor.
# KV_TEST_SCALE may have a fraction (rounded up here); unset, empty or below 1 counts as 1.
set(kv_scale 1)
if("$ENV{KV_TEST_SCALE}" MATCHES "^0*([0-9]+)(\\.([0-9]*))?$")
  set(kv_scale "${CMAKE_MATCH_1}")
  set(kv_fraction "${CMAKE_MATCH_3}")
  if(kv_fraction MATCHES "[1-9]")
    math(EXPR kv_scale "${kv_scale} + 1")
  endif()
  if(kv_scale LESS 1)
    set(kv_scale 1)
  endif()
endif()
@lines@]==])
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()
