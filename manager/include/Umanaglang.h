// The Manager's texts: one table of keyed texts with English defaults, replaced by a block of the
// language file KvLang.dat beside the program. The texts are set once, before any form shows them.
//
//   ApplyInstalledLanguage();                     // LanguageFile.h: defaults, then the installer's language
//   label.text = Text(glm_ButtonSettings);
//   caption = FormatText(glm_KestrovaDD, kManagerVersionMajor, kManagerVersionMinor);
#pragma once

#include "UTxStrings.h"

#include <string>

namespace manager {

enum ManagerTextKey : int {
#define KV_MANAGER_TEXT(key, english) key,
#include "UmanagTextList.inc"
#undef KV_MANAGER_TEXT
    kManagerTextCount
};

// The keys after the first 204 were added later; language files that stop before them stay valid.
constexpr int kFirstAppendedManagerText = glm_DatabaseDamagedSS;

// The program's version, shown in the main window's caption.
constexpr int kManagerVersionMajor = 1;
constexpr int kManagerVersionMinor = 7;

// The key's name ("glm_Exit") and its English default.
const char* ManagerTextName(ManagerTextKey key);
const char* ManagerTextDefault(ManagerTextKey key);
// The key of that name, compared without regard to case; false when there is none.
bool FindManagerText(const char* name, ManagerTextKey& key);

// The current text of a key.
const char* Text(ManagerTextKey key);
// The key's text used as a format. A language file can only replace a format by one that takes the
// same arguments, so the arguments of the English default are always right. Hexadecimal numbers
// come out in capitals.
std::string FormatText(ManagerTextKey key, ...);

// Every text back to its English default.
void LoadManagerTextDefaults();

// The main window's caption and the application's title: "Kestrova Manager 1.07" in English.
std::string ManagerCaption();

}  // namespace manager
