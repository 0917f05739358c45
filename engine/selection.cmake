# Wallpaper selection and the wallpaper operations: candidate keys and order, the engine's own
# record updates, FindNextBackgroundImage, and SetWallpaper, SetRandomWallpaper,
# UpdateCurrentWallpaper, ExcludeCurrentFromList and the database refresh behind the exports.
target_sources(engine_core PRIVATE
  src/FileSort.cpp
  src/ImageFileStore.cpp
  src/SelectionKeys.cpp
  src/SelectionPasses.cpp
  src/WallpaperSelection.cpp
  src/DatabaseRefresh.cpp
  src/WallpaperOperations.cpp
)

target_sources(engine_tests PRIVATE
  tests/selection_support.cpp
  tests/selection_sort_tests.cpp
  tests/selection_keys_tests.cpp
  tests/selection_find_tests.cpp
  tests/operations_tests.cpp
  tests/operations_end_to_end_tests.cpp
)

# The fixture images go beside the test program, which runs in its own folder.
kv_copy_fixtures(${CMAKE_CURRENT_SOURCE_DIR}/tests/selection_fixtures ${CMAKE_CURRENT_BINARY_DIR}/selection_fixtures)

# The end-to-end tests call each export from this helper, which loads KvApi.dll as the Agent does.
add_executable(operations_agent_probe tests/operations_agent_probe.cpp)
add_dependencies(engine_tests operations_agent_probe)

# The benchmark program (not a test): engine/bench/run-selection-bench makes its data and runs it.
add_executable(selection_bench bench/selection_bench.cpp)
target_link_libraries(selection_bench PRIVATE engine_core psapi)
kvimage_copy_beside(selection_bench)
add_dependencies(selection_bench KvApi)

# The benchmark of both selections behind a thumbnail cache (not a test):
# engine/bench/run-thumbnail-bench builds and runs it.
add_executable(thumbnail_bench EXCLUDE_FROM_ALL bench/thumbnail_bench.cpp)
target_link_libraries(thumbnail_bench PRIVATE engine_core)
kvimage_copy_beside(thumbnail_bench)
