# Imaging: the EXIF reader, JPEG loading through KvImage with rotation, the average colour, both
# resamplers, the drawing canvas and the bitmap helpers.
list(APPEND ENGINE_SOURCES
  src/Uexif.cpp
  src/Ujpegload.cpp
  src/CoverImageLoad.cpp
  src/Urotate.cpp
  src/Ubmpfile.cpp
  src/Uaverage.cpp
  src/Uresample.cpp
  src/Udibhelpers.cpp
  src/Upaintabledib.cpp
)

list(APPEND ENGINE_TEST_SOURCES
  tests/imaging_testutil.cpp
  tests/imaging_exif_tests.cpp
  tests/imaging_jpegload_tests.cpp
  tests/imaging_rotate_average_tests.cpp
  tests/imaging_bmpfile_tests.cpp
  tests/imaging_resample_tests.cpp
  tests/imaging_paintabledib_tests.cpp
)

# The JPEG fixtures go beside the test program, which runs in its own folder.
kv_copy_fixtures(${CMAKE_CURRENT_SOURCE_DIR}/tests/fixtures ${CMAKE_CURRENT_BINARY_DIR}/imaging_fixtures)

# engine_core and engine_tests are defined after this file is read; the test program loads
# KvImage.dll from its own folder.
cmake_language(DEFER CALL target_link_libraries engine_core PUBLIC kvimage_import)
cmake_language(DEFER CALL kvimage_copy_beside engine_tests)

# The benchmark program (not a test): engine/bench/run-imaging-bench runs it beside native djpeg.
add_executable(imaging_bench bench/imaging_bench.cpp)
target_link_libraries(imaging_bench PRIVATE engine_core)
kvimage_copy_beside(imaging_bench)
