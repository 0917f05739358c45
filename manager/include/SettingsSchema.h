// The Manager's settings as the dialog shows them: every section and item with its editor, limits,
// caption and help.
#pragma once

#include "Settings.h"

namespace manager {

// Adds the Manager's schema, section by section, with captions and help from the Manager's texts
// (apply the language first). `defaultFontName` is FindDefaultFont's result for the main window.
void BuildSettingsSchema(CSettings& settings, const char* defaultFontName);

}  // namespace manager
