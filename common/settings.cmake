# The settings record, its registry sections and the small shared utilities.
target_sources(common PRIVATE
  src/SettingsValues.cpp
  src/SettingsSection.cpp
  src/SettingsRegistry.cpp
  src/SettingsDefaults.cpp
  src/RegUtils.cpp
  src/LanguageTexts.cpp
  src/CommonUtils.cpp
)
target_sources(common_tests PRIVATE
  tests/test_main_settings.cpp
  tests/settings_support.cpp
  tests/settings_defaults_tests.cpp
  tests/settings_registry_tests.cpp
  tests/settings_utils_tests.cpp
  tests/settings_values_tests.cpp
  tests/language_texts_tests.cpp
)

# Writes the defaults to a clean settings key; `reg query` of the key is then compared with a
# golden listing. Uses the fixed settings key, so it runs in a prefix of its own.
add_executable(settings_write_defaults tests/settings_write_defaults.cpp)
target_link_libraries(settings_write_defaults PRIVATE common testsupport)
kv_add_test(NAME settings_defaults_golden TIMEOUT 120
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/tests/settings_defaults_golden.sh
          $<TARGET_FILE:settings_write_defaults> ${CMAKE_CURRENT_SOURCE_DIR}/tests/golden/settings_defaults.txt)
