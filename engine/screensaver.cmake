# The screen saver's step behind its export: its own cycle through the image database, the image
# fitted to the saver's window (decoded no larger than it shows, as the composition does), and the
# transitions that bring it in.
target_sources(engine_core PRIVATE
  src/ScreenSaverSelection.cpp
  src/ScreenSaverPaint.cpp
  src/ScreenSaverOperation.cpp
  src/TransitionRects.cpp
  src/TransitionPaint.cpp
)

target_sources(engine_tests PRIVATE
  tests/saver_transition_tests.cpp
  tests/saver_selection_tests.cpp
  tests/saver_window_support.cpp
  tests/saver_paint_tests.cpp
)

# The benchmark program (not a test): engine/bench/run-saver-bench builds and runs it.
add_executable(saver_bench EXCLUDE_FROM_ALL bench/saver_bench.cpp)
target_link_libraries(saver_bench PRIVATE engine_core)
kvimage_copy_beside(saver_bench)

# A thumbnail cache in an image folder for the selection test: 15,000 tiny images dated before two
# photos. Made once by the build, natively; under the emulator the test would spend far longer
# writing and deleting them than selecting.
find_program(KV_PYTHON3 python3 REQUIRED)
set(kv_thumbnail_cache ${CMAKE_CURRENT_BINARY_DIR}/thumbnail_cache)
set(kv_thumbnail_fixtures ${CMAKE_CURRENT_SOURCE_DIR}/tests/selection_fixtures)
add_custom_command(OUTPUT ${kv_thumbnail_cache}/complete.stamp
  COMMAND ${KV_PYTHON3} ${kv_thumbnail_fixtures}/make_thumbnail_cache.py ${kv_thumbnail_fixtures}/tiny_16x12.jpg
          ${kv_thumbnail_fixtures}/good_a.jpg ${kv_thumbnail_fixtures}/good_b.jpg ${kv_thumbnail_cache}
  DEPENDS ${kv_thumbnail_fixtures}/make_thumbnail_cache.py ${kv_thumbnail_fixtures}/tiny_16x12.jpg
          ${kv_thumbnail_fixtures}/good_a.jpg ${kv_thumbnail_fixtures}/good_b.jpg
  COMMENT "Making the thumbnail cache of the screen saver's selection test"
  VERBATIM)
add_custom_target(kv_thumbnail_cache DEPENDS ${kv_thumbnail_cache}/complete.stamp)
add_dependencies(engine_tests kv_thumbnail_cache)
