# Imaging: the EXIF reader, JPEG loading through KvImage with rotation, the average colour, both
# resamplers, the drawing canvas and the bitmap helpers.
target_sources(engine_core PRIVATE
  src/Uexif.cpp
  src/ExifParse.cpp
  src/Ujpegload.cpp
  src/CoverImageLoad.cpp
  src/Urotate.cpp
  src/Ubmpfile.cpp
  src/BmpHeader.cpp
  src/Uaverage.cpp
  src/Uresample.cpp
  src/Udibhelpers.cpp
  src/Upaintabledib.cpp
)

target_sources(engine_tests PRIVATE
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

# The benchmark program (not a test): engine/bench/run-imaging-bench runs it beside native djpeg.
add_executable(imaging_bench bench/imaging_bench.cpp)
target_link_libraries(imaging_bench PRIVATE engine_core)
kvimage_copy_beside(imaging_bench)
