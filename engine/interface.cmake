# The engine's interface: the lock, the progress texts and window, and the exports of KvApi.dll.
target_sources(engine_core PRIVATE
  src/Usync.cpp
  src/ProgressTexts.cpp
  src/FormProgress.cpp
  src/Fprogress.cpp
  src/WpApiExports.cpp
)

target_sources(engine_tests PRIVATE
  tests/interface_log_settings.cpp
  tests/interface_support.cpp
  tests/interface_lock_test.cpp
  tests/interface_texts_test.cpp
  tests/interface_progress_test.cpp
  tests/interface_forms_test.cpp
  tests/interface_dll_test.cpp
)
