// Shared by the tests of the Manager's forms: the message boxes the forms asked for (no box waits
// for a user), the lines the program logged, and a top-level window to own the forms.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mftest {

// The message boxes asked for since the last call, as "caption: text".
std::vector<std::string> TakeMessageBoxes();

// The lines the program logged since the last call (its log file, read back from the disk).
std::vector<std::string> NewLogLines();

// Whether any of the lines contains `text`.
bool AnyContains(const std::vector<std::string>& lines, const std::string& text);

}  // namespace mftest
