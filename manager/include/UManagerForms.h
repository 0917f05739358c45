// What the Manager's forms share: their window class.
#pragma once

#include "UiWindow.h"

// The class of every form of the Manager, registered on first use.
const ui::WindowClass& ManagerFormClass();
