# The list of running programs and windows, the conflicting-program check and the control of the
# running Agent.
target_sources(common PRIVATE
  src/processes_info.cpp
  src/processes_check.cpp
  src/AgentControl.cpp
)
target_sources(common_tests PRIVATE
  tests/processes_tests.cpp
  tests/agent_control_tests.cpp
)

# A small windowed program the tests start under chosen file names, so that windows of "other
# programs" with known titles and program names exist.
add_executable(processes_window_helper WIN32 tests/processes_window_helper.cpp)
