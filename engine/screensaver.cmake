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
