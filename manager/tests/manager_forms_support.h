// Shared by the tests of the Manager's windows in the test's own process.
#pragma once

#include <string>

#include "UiForm.h"

namespace managerforms {

const ui::WindowClass& TestClass();

// The fixture drive P: (its dosdevices link is made by the test run) and the folder behind it.
constexpr char kFixtureDrive = 'P';
std::string FixtureDriveFolder();
// The drive bit of P: only, so no test lists another drive.
unsigned long FixtureDriveMask();

}  // namespace managerforms
