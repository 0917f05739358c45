# The image database: folders, images, scans, change detection and the three database files.
target_sources(common PRIVATE
  src/Ucrc.cpp
  src/DbBytes.cpp
  src/DbDecode.cpp
  src/DbText.cpp
  src/DbReplace.cpp
  src/DbPairReplace.cpp
  src/DbLock.cpp
  src/DbFolderWalk.cpp
  src/UImageFolder.cpp
  src/UImageFile.cpp
  src/UFileCollection.cpp
  src/UFileCollectionFiles.cpp
  src/UFolderCollection.cpp
  src/UFolderCollectionFiles.cpp
)
target_sources(common_tests PRIVATE
  tests/database_support.cpp
  tests/database_scan_tests.cpp
  tests/database_file_tests.cpp
  tests/database_record_tests.cpp
  tests/database_crash_tests.cpp
  tests/database_lock_tests.cpp
  tests/database_golden_tests.cpp
  tests/database_text_tests.cpp
)
# The text tests check the database's internal comparison directly.
target_include_directories(common_tests PRIVATE src)

# The second process of the sharing and crash tests; it must sit beside the test program.
add_executable(database_helper tests/database_helper.cpp tests/database_support.cpp)
target_link_libraries(database_helper PRIVATE common testsupport)
add_dependencies(common_tests database_helper)
# It stops saves at the steps the crash tests name.
target_include_directories(database_helper PRIVATE src)

# The independent reader checks the files that the golden test of common_tests wrote into
# C:\kvtest_golden of that test's Wine prefix (the share of the tests not named in its split), so it
# runs after it, in its prefix.
find_program(KV_PYTHON3 python3 REQUIRED)
kv_add_test(NAME database_golden_reader PREFIX common_tests.rest TIMEOUT 60
  COMMAND ${KV_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/tests/database_reader.py)
set_tests_properties(database_golden_reader PROPERTIES FIXTURES_REQUIRED database_golden)
set_tests_properties(common_tests.rest PROPERTIES FIXTURES_SETUP database_golden)

# The benchmark is built, never run by the tests.
add_executable(database_bench bench/database_bench.cpp)
target_link_libraries(database_bench PRIVATE common)
