// Shared by the tests of the Manager's forms: the message boxes the forms asked for (no box waits
// for a user).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mftest {

// The message boxes asked for since the last call, as "caption: text".
std::vector<std::string> TakeMessageBoxes();

}  // namespace mftest
