# Month calendar, background textures and the composition of the desktop bitmap; and the tests of
# the desktop hand-over (wallpaper, desktop colour, icon captions) that the desktop library does.
target_sources(engine_core PRIVATE
  src/Uenvironment.cpp
  src/Ucalendar.cpp
  src/Utexture.cpp
  src/Ufit.cpp
  src/Ucompose.cpp
)

target_sources(engine_tests PRIVATE
  tests/composition_support.cpp
  tests/composition_fit_tests.cpp
  tests/composition_golden_tests.cpp
  tests/composition_reduced_tests.cpp
  tests/composition_caption_tests.cpp
  tests/composition_texture_tests.cpp
  tests/calendar_layout_tests.cpp
  tests/desktop_helpers_tests.cpp
  tests/desktop_handover_tests.cpp
)
# The goldens are read from (and, with KV_UPDATE_GOLDEN=1, written to) the source tree.
set_source_files_properties(tests/composition_golden_tests.cpp PROPERTIES
  COMPILE_DEFINITIONS "KV_ENGINE_TESTS_DIR=\"${CMAKE_CURRENT_SOURCE_DIR}/tests\"")

# The caption tests run this helper once per case: the icon view and the shadow setting are cached
# per process. It links the desktop routines as the Agent does, without entry and exit log lines.
add_executable(desktop_captions_probe tests/desktop_captions_probe.cpp)
target_link_libraries(desktop_captions_probe PRIVATE desktop comctl32)
add_dependencies(engine_tests desktop_captions_probe)
# KvImage.dll without the reduced-scale decode, for the tests of a change beside it.
kv_copy_beside(engine_tests "${CMAKE_CURRENT_BINARY_DIR}/kvimage_fullsizeonly" KvImageFullSizeOnly)

# Whole composition on a photo-sized image (not a test; tools/bench runs it beside native tools).
add_executable(compose_bench bench/compose_bench.cpp)
target_link_libraries(compose_bench PRIVATE engine_core psapi)
if(COMMAND kvimage_copy_beside)
  kvimage_copy_beside(compose_bench)
endif()

# Background textures: generated at build time and placed in a "Textures" folder beside every
# program that composes wallpapers (and beside the test and benchmark programs), as the installer
# places its own beside the installed programs.
find_program(KV_PYTHON3 python3 REQUIRED)
set(kv_texture_names texture001.bmp texture002.bmp texture003.bmp texture004.bmp)
set(kv_texture_files "")
foreach(name ${kv_texture_names})
  list(APPEND kv_texture_files "${CMAKE_BINARY_DIR}/textures/${name}")
endforeach()
add_custom_command(OUTPUT ${kv_texture_files}
  COMMAND ${KV_PYTHON3} "${CMAKE_CURRENT_SOURCE_DIR}/texturegen/make_textures.py" "${CMAKE_BINARY_DIR}/textures"
  DEPENDS texturegen/make_textures.py
  COMMENT "Generating background textures"
  VERBATIM)
add_custom_target(kv_texture_files DEPENDS ${kv_texture_files})

# The folders of the programs in a directory and below: a program without its own output folder
# lies in its directory's binary folder.
function(kv_collect_program_folders dir out)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  get_property(binary DIRECTORY "${dir}" PROPERTY BINARY_DIR)
  set(folders "")
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      get_target_property(own ${target} RUNTIME_OUTPUT_DIRECTORY)
      if(own)
        list(APPEND folders "$<TARGET_FILE_DIR:${target}>")
      else()
        list(APPEND folders "${binary}")
      endif()
    endif()
  endforeach()
  get_property(children DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(child ${children})
    kv_collect_program_folders("${child}" more)
    list(APPEND folders ${more})
  endforeach()
  set(${out} ${folders} PARENT_SCOPE)
endfunction()

# The engine looks for textures beside the program of the calling process, so every program of the
# folders that call the engine (the engine's own tests and benchmarks, the Agent, the Manager, the
# screen saver and the system tests) gets a copy. The top folder calls it once every folder is
# read, so that programs defined after the engine are seen too.
function(kv_place_textures)
  set(folders "")
  foreach(folder engine agent manager screensaver tests)
    if(EXISTS "${CMAKE_SOURCE_DIR}/${folder}/CMakeLists.txt")
      kv_collect_program_folders("${CMAKE_SOURCE_DIR}/${folder}" more)
      list(APPEND folders ${more})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES folders)
  set(copies "")
  foreach(folder ${folders})
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_directory "${CMAKE_BINARY_DIR}/textures" "${folder}/Textures")
  endforeach()
  add_custom_target(kv_textures ALL ${copies} VERBATIM)
  add_dependencies(kv_textures kv_texture_files)
endfunction()
