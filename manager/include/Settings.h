// The settings the user edits, as a schema: a list of items, each naming its registry section and
// value, its editor, its default, its limits, its caption and its help. The schema loads from and
// saves to the registry values that the settings readers and writers of the record use; each stored
// item takes its registry name and kind from the record's table of values.
//
//   CSettings settings;
//   BuildSettingsSchema(settings, FindDefaultFont(window));   // SettingsSchema.h
//   settings.LoadFromRegistry(HKEY_CURRENT_USER, kRegRootPath);
//   if (settings.GetValue("AutoRun", "Agent") == 1) ...
#pragma once

#include <windows.h>

#include "UTxBase.h"
#include "UTxCollections.h"
#include "UTxStrings.h"
#include "Usettingsvalues.h"

#include <memory>

namespace ui {
class Form;
}

namespace manager {

enum SettingsItemType : BYTE {
    stHeading = 0,      // caption only, not stored
    stText = 1,         // edit box; REG_SZ
    stInteger = 2,      // spin edit with units; REG_DWORD
    stBoolean = 3,      // check box; REG_DWORD, 0 or 1
    stChoice = 4,       // radio group; REG_DWORD, the option's index
    stTrackBar = 5,     // track bar; REG_DWORD
    stColor = 6,        // colour dialog; REG_DWORD, a COLORREF
    stFolder = 7,       // edit box and browse button; REG_SZ
    stFile = 8,         // edit box and browse button; REG_SZ
    stFont = 9,         // font dialog; six values, see kFontValueSuffixes
    stProgramList = 10  // read-only edit box and a separate form; REG_SZ
};
// Types above stProgramList behave like headings everywhere.

// Font styles, as the font dialog reports them. Strikeout is shown but not stored.
enum SettingsFontStyle : BYTE { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeout = 8 };

constexpr DWORD kClWindowText = 0x80000008;  // the system's window text colour, as forms name it

struct CSettingsFont {
    TxString name;
    int size = 8;
    int charset = DEFAULT_CHARSET;
    BYTE style = 0;  // SettingsFontStyle bits
    DWORD colour = kClWindowText;
};

// A font item is stored as six values: its key followed by each of these.
enum FontValue { fvName, fvSize, fvCharset, fvBold, fvItalic, fvUnderline, kFontValueCount };
extern const char* const kFontValueSuffixes[kFontValueCount];

constexpr const char* kAllFilesFilter = "All files (*.*)|*.*|";

class CSettingsItem : public TxObject {
public:
    CSettingsItem(BYTE type, const char* caption, const char* key, int level);
    // A deep copy: texts and numbers copied, the options and the font copied into objects of their
    // own; the help picture and the editor form are shared.
    CSettingsItem(const CSettingsItem& other);
    CSettingsItem& operator=(const CSettingsItem&) = delete;
    ~CSettingsItem() override;

    void SetSection(const char* section, bool store);
    void SetUnits(const char* units) { m_sUnits.Assign(units); }
    void SetHelp(const char* help) { m_sHelpText.Assign(help); }
    // One of the help pictures of the settings dialog, numbered from 1; 0 for none.
    void SetPicture(int picture) { m_iPicture = picture; }
    void SetEditorForm(ui::Form* form) { m_pEditorForm = form; }
    void SetRange(int value, int min, int max, int step);
    void SetBool(int flag) { m_iValue = flag != 0 ? 1 : 0; }
    void AddOption(const char* text);
    // The value only when it names an option, the columns only from 1 to 5.
    void SetChoice(int index, int columns);
    // The style only when one is given.
    void SetFont(const char* name, int size, const BYTE* style, DWORD colour, int charset);
    void SetString(const char* value) { m_sValue.Assign(value); }
    void SetInt(int value) { m_iValue = value; }

    // The value of number-like items; a switch counts only when it is exactly 1.
    int IntValue() const;

    BYTE Type() const { return m_Type; }
    const TxString& Caption() const { return m_sCaption; }
    const TxString& Units() const { return m_sUnits; }
    int Level() const { return m_iLevel; }
    const TxString& HelpText() const { return m_sHelpText; }
    int Picture() const { return m_iPicture; }
    const TxString& Key() const { return m_sKey; }
    const TxString& Section() const { return m_sSection; }
    bool Store() const { return m_bStore != 0; }
    const TxString& StringValue() const { return m_sValue; }
    int RawValue() const { return m_iValue; }
    int MaxLength() const { return m_iMaxLength; }
    int Min() const { return m_iMin; }
    int Max() const { return m_iMax; }
    int Step() const { return m_iStep; }
    const TxStringCollection* Options() const { return m_pOptions.get(); }
    int Columns() const { return m_iColumns; }
    int TrackBarMin() const { return m_iTrackBarMin; }
    int TrackBarMax() const { return m_iTrackBarMax; }
    const TxString& DefaultExtension() const { return m_sDefaultExtension; }
    const TxString& FileFilter() const { return m_sFileFilter; }
    bool MustExist() const { return m_bMustExist != 0; }
    bool OverwritePrompt() const { return m_bOverwritePrompt != 0; }
    const TxString& FolderDialogFileName() const { return m_sFolderDialogFileName; }
    CSettingsFont* Font() { return m_pFont.get(); }
    const CSettingsFont* Font() const { return m_pFont.get(); }
    ui::Form* EditorForm() const { return m_pEditorForm; }

    // The item is saved and loaded: a stored type, a key, the store flag, and registry values of
    // the record's table that its type can hold.
    bool IsStored() const;
    // The record's value that holds the item (for a font item its face name; see FontValueOf).
    const SettingValue* RegistryValue() const { return m_pValues[0]; }
    const SettingValue* FontValueOf(FontValue which) const { return m_pValues[which]; }

    // The item's values under an open section key. Saving refuses a text longer than the record's
    // field; loading skips a value of another type or size and leaves absent ones alone. Both log
    // what they refuse and return false for it. A value the last load skipped is not written while
    // the item still holds what it held after that load: the registry keeps it as it was (a list
    // longer than its field, a number stored as text) until the user changes the item.
    bool SaveValues(HKEY key, const char* keyPath) const;
    bool LoadValues(HKEY key, const char* keyPath);

private:
    // Finds the item's values in the record's table; an item that cannot be stored is logged.
    void Bind();
    CSettingsFont& EnsureFont();
    // What the item holds now, as the last load left it; the value's bit of `m_UnusableAtLoad`.
    void RememberLoaded();
    bool SameAsLoaded() const;
    bool KeepsStoredValue(int which) const;
    bool LoadStoredValues(HKEY key, const char* keyPath);

    BYTE m_Type;
    TxString m_sCaption;
    TxString m_sUnits;
    int m_iLevel;
    TxString m_sHelpText;
    int m_iPicture = 0;
    TxString m_sKey;
    TxString m_sSection;
    BYTE m_bStore = 1;
    TxString m_sValue;
    int m_iValue;
    int m_iMaxLength = 250;
    int m_iMin = 0;
    int m_iMax = 100;
    int m_iStep = 1;
    std::unique_ptr<TxStringCollection> m_pOptions;
    int m_iColumns = 1;
    int m_iTrackBarMin = 0;
    int m_iTrackBarMax = 100;
    TxString m_sDefaultExtension;
    TxString m_sFileFilter;
    BYTE m_bMustExist = 0;
    BYTE m_bOverwritePrompt = 0;
    TxString m_sFolderDialogFileName;
    std::unique_ptr<CSettingsFont> m_pFont;
    ui::Form* m_pEditorForm = nullptr;
    // The record's values of the item: one, or six for a font; null while unbound.
    const SettingValue* m_pValues[kFontValueCount] = {};
    // One bit per value (FontValue order) that the last load found unusable, and the item's value
    // after that load.
    BYTE m_UnusableAtLoad = 0;
    int m_iLoadedValue = 0;
    TxString m_sLoadedValue;
    CSettingsFont m_LoadedFont;
};

class CSettings {
public:
    CSettings();
    ~CSettings();
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    void Clear();
    void BeginSection(const char* section, bool store);
    // The list owns the new item.
    CSettingsItem* AddItem(BYTE type, const char* key, const char* caption, int level);
    // Appends an item made elsewhere (an edited copy); the list owns it.
    void Append(std::unique_ptr<CSettingsItem> item);

    int GetCount() const { return m_Items.GetCount(); }
    CSettingsItem* At(int index) const { return static_cast<CSettingsItem*>(m_Items.At(index)); }

    // The first item of that key and, unless `section` is empty, that section (both without regard
    // to ASCII case); null, logged, when there is none.
    CSettingsItem* Find(const char* key, const char* section) const;
    // IntValue of the item found, 0 when none.
    int GetValue(const char* key, const char* section) const;

    // Every stored item to its value under root\path\section. A text longer than the record's
    // field is refused, not cut: its old value stays and the result is false. Keys are created.
    bool SaveToRegistry(HKEY root, const char* path) const;
    // Every stored item from the registry. Absent values and sections leave their items as they
    // are; a value of another type or size is skipped with a log line and makes the result false,
    // and the items after it still load. Keys are only opened, never created.
    bool LoadFromRegistry(HKEY root, const char* path);

    bool Modified() const { return m_bModified != 0; }
    void SetModified(bool modified) { m_bModified = modified ? 1 : 0; }

private:
    TxCollection m_Items;
    TxString m_sSection;
    BYTE m_bStore = 1;
    BYTE m_bModified = 0;
};

}  // namespace manager
