// What the Manager's forms share: their window class and their saved places under \Manager.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "UiForm.h"

namespace manager {

// The class of every form of the Manager, registered on first use.
const ui::WindowClass& ManagerFormClass();

// A control of a form and its name in the caption table.
struct CaptionTarget {
    const char* component;
    ui::Window* window;
};
// The current Manager texts on the form's caption and its controls, as the caption table names
// them; a list view takes its columns' captions.
void ApplyCaptions(const char* formName, ui::Form& form, std::initializer_list<CaptionTarget> targets);

// The form's outer bounds from the values prefix + "Left", "Top", "Width", "Height" of an open key.
// Values of another type are ignored, and a form that would lie off the screen keeps its place.
void ReadFormBounds(HKEY key, const char* prefix, ui::Form& form);
void WriteFormBounds(HKEY key, const char* prefix, const ui::Form& form);
// One REG_DWORD of an open key; false when it is absent or of another type.
bool ReadDwordValue(HKEY key, const char* name, DWORD& value);
bool WriteDwordValue(HKEY key, const char* name, DWORD value);

}  // namespace manager
