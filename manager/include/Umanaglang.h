// The Manager's texts: one table of keyed texts with English defaults, replaced by a block of the
// language file KvLang.dat beside the program. The texts are set once, before any form shows them.
//
//   ApplyInstalledLanguage();                     // defaults, then the installer's language
//   label.text = Text(glm_ButtonSettings);
//   caption = FormatText(glm_KestrovaDD, kManagerVersionMajor, kManagerVersionMinor);
#pragma once

#include "UTxStrings.h"

#include <string>

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

// Reads every line of the language file into the line list; the file beside the program, or the
// one named. An absent or unreadable file leaves the list empty; false then.
bool LoadLanguageFile();
bool LoadLanguageFile(const char* path);
// Keeps the lines of the first block of that name (compared without regard to case) as the
// selected block, trimmed, without empty and comment lines. Nothing when there is no such block.
void SelectLanguage(const char* name);
// Replaces `text` by the key's text in the selected block when the block has a non-empty one.
bool GetLanguageText(const char* key, TxString& text);
// Number of lines read from the file and kept from the selected block.
int LanguageFileLineCount();
int SelectedLanguageLineCount();

// The defaults, then every key from the named block of the language file (the one beside the
// program, or the one named), then both line lists emptied. A text used as a format is taken only
// when it takes the same arguments as its default.
void ApplyManagerLanguage(const char* name);
void ApplyManagerLanguage(const char* name, const char* path);

// The defaults, then the block named by the installer's "Language" value, when there is one, from
// the language file beside the program or the one named.
void ApplyInstalledLanguage();
void ApplyInstalledLanguage(const char* path);

// The main window's caption and the application's title: "Kestrova Manager 1.07" in English.
std::string ManagerCaption();

// Which text goes on which control of which form. `component` is empty for the form's own caption;
// `column` (from 1) names a list view's column, 0 the component itself.
struct CaptionEntry {
    const char* form;
    const char* component;
    int column;
    ManagerTextKey key;
};
extern const CaptionEntry kCaptionTable[];
extern const int kCaptionTableCount;
// The key of a control's caption; false when the table has none for it.
bool FindCaption(const char* form, const char* component, int column, ManagerTextKey& key);
