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

# kv_add_test(NAME name SOURCES ... LIBS ... [SERIAL] [TIMEOUT s])
# Builds a test program and registers it with ctest; the registry and named objects are shared by
# every process of one Wine prefix, so tests that touch them run one at a time (SERIAL).
function(kv_add_test)
  cmake_parse_arguments(T "SERIAL" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest gtest_main)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY $<TARGET_FILE_DIR:${T_NAME}>)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_SERIAL)
    set_tests_properties(${T_NAME} PROPERTIES RUN_SERIAL TRUE)
  endif()
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
