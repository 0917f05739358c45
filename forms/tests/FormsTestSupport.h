// Shared by the form layer's tests: one window class for test forms, the program's log read back,
// and the system's dialogs replaced by a recorder for the whole program (no box may wait for a user).
#pragma once

#include <string>
#include <vector>

#include "UiForm.h"

namespace formstest {

const ui::WindowClass& TestClass();

// The lines the program logged since the last call (its log file, read back from the disk).
std::vector<std::string> NewLogLines();

// The message boxes the program asked for, as "caption: text".
std::vector<std::string>& MessageBoxes();

}  // namespace formstest
