// What the Manager's forms share: their window class and their saved places under \Manager.
#pragma once

#include <windows.h>

#include "UiForm.h"

// The class of every form of the Manager, registered on first use.
const ui::WindowClass& ManagerFormClass();

// The form's outer bounds from the values prefix + "Left", "Top", "Width", "Height" of an open key.
// Values of another type are ignored, and a form that would lie off the screen keeps its place.
void ReadFormBounds(HKEY key, const char* prefix, ui::Form& form);
void WriteFormBounds(HKEY key, const char* prefix, const ui::Form& form);
// One REG_DWORD of an open key; false when it is absent or of another type.
bool ReadDwordValue(HKEY key, const char* name, DWORD& value);
bool WriteDwordValue(HKEY key, const char* name, DWORD value);
