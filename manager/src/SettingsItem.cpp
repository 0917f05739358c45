// One item of the settings schema.
#include "Settings.h"

#include "UTxLog.h"

#include <string>

namespace manager {

const char* const kFontValueSuffixes[kFontValueCount] = {"Name", "Size",   "CharSet",
                                                         "Bold", "Italic", "Underline"};

namespace {

bool IsTextType(BYTE type)
{
    return type == stText || type == stFolder || type == stFile || type == stProgramList;
}

bool IsNumberType(BYTE type)
{
    return type == stInteger || type == stBoolean || type == stChoice || type == stTrackBar ||
           type == stColor;
}

std::unique_ptr<TxStringCollection> CopyOptions(const TxStringCollection* options)
{
    if (!options) return nullptr;
    auto copy = std::make_unique<TxStringCollection>(8, 8);
    for (int i = 0; i < options->GetCount(); ++i)
        copy->Insert(new TxString(*options->StringAt(i)));
    return copy;
}

// The registry type each of a font's six values is stored as.
DWORD FontValueType(int which)
{
    return which == fvName ? REG_SZ : REG_DWORD;
}

}  // namespace

CSettingsItem::CSettingsItem(BYTE type, const char* caption, const char* key, int level)
    : m_Type(type), m_sCaption(caption), m_iLevel(level), m_sKey(key), m_iValue(type == stChoice     ? -1
                                                                                : type == stTrackBar ? 50
                                                                                                     : 0),
      m_sFileFilter(kAllFilesFilter), m_sFolderDialogFileName("-")
{
    if (type == stFont) m_pFont = std::make_unique<CSettingsFont>();
    Bind();
}

CSettingsItem::CSettingsItem(const CSettingsItem& other)
    : TxObject(), m_Type(other.m_Type), m_sCaption(other.m_sCaption), m_sUnits(other.m_sUnits),
      m_iLevel(other.m_iLevel), m_sHelpText(other.m_sHelpText), m_iPicture(other.m_iPicture),
      m_sKey(other.m_sKey), m_sSection(other.m_sSection), m_bStore(other.m_bStore), m_sValue(other.m_sValue),
      m_iValue(other.m_iValue), m_iMaxLength(other.m_iMaxLength), m_iMin(other.m_iMin), m_iMax(other.m_iMax),
      m_iStep(other.m_iStep), m_pOptions(CopyOptions(other.m_pOptions.get())), m_iColumns(other.m_iColumns),
      m_iTrackBarMin(other.m_iTrackBarMin), m_iTrackBarMax(other.m_iTrackBarMax),
      m_sDefaultExtension(other.m_sDefaultExtension), m_sFileFilter(other.m_sFileFilter),
      m_bMustExist(other.m_bMustExist), m_bOverwritePrompt(other.m_bOverwritePrompt),
      m_sFolderDialogFileName(other.m_sFolderDialogFileName),
      m_pFont(other.m_pFont ? std::make_unique<CSettingsFont>(*other.m_pFont) : nullptr),
      m_pEditorForm(other.m_pEditorForm), m_UnusableAtLoad(other.m_UnusableAtLoad),
      m_iLoadedValue(other.m_iLoadedValue), m_sLoadedValue(other.m_sLoadedValue),
      m_LoadedFont(other.m_LoadedFont)
{
    for (int i = 0; i < kFontValueCount; ++i)
        m_pValues[i] = other.m_pValues[i];
}

CSettingsItem::~CSettingsItem() = default;

void CSettingsItem::SetSection(const char* section, bool store)
{
    m_sSection.Assign(section);
    m_bStore = store ? 1 : 0;
    Bind();
}

void CSettingsItem::Bind()
{
    for (const SettingValue*& value : m_pValues)
        value = nullptr;
    if (m_sKey.IsEmpty() || m_sSection.IsEmpty() || !m_bStore) return;
    if (!IsTextType(m_Type) && !IsNumberType(m_Type) && m_Type != stFont) return;

    const SettingSection* section = FindSettingSection(m_sSection.GetText());
    const SettingValue* found[kFontValueCount] = {};
    bool complete = section != nullptr;
    if (complete && m_Type == stFont) {
        for (int i = 0; i < kFontValueCount && complete; ++i) {
            const std::string name = std::string(m_sKey.GetText()) + kFontValueSuffixes[i];
            found[i] = FindSettingValue(*section, name.c_str());
            complete = found[i] && RegistryTypeOf(found[i]->kind) == FontValueType(i);
        }
    } else if (complete) {
        found[0] = FindSettingValue(*section, m_sKey.GetText());
        complete = found[0] && RegistryTypeOf(found[0]->kind) == (IsTextType(m_Type) ? REG_SZ : REG_DWORD);
    }
    if (!complete) {
        LogF("!Settings item %s at %s has no registry value of its kind; it is not stored", m_sKey.GetText(),
             m_sSection.GetText());
        return;
    }
    for (int i = 0; i < kFontValueCount; ++i)
        m_pValues[i] = found[i];
}

bool CSettingsItem::IsStored() const
{
    return m_bStore && !m_sKey.IsEmpty() && m_pValues[0] != nullptr;
}

void CSettingsItem::SetRange(int value, int min, int max, int step)
{
    m_iValue = value;
    m_iMin = min;
    m_iMax = max;
    m_iStep = step;
}

void CSettingsItem::AddOption(const char* text)
{
    if (!m_pOptions) m_pOptions = std::make_unique<TxStringCollection>(8, 8);
    m_pOptions->Insert(new TxString(text));
}

void CSettingsItem::SetChoice(int index, int columns)
{
    if (!m_pOptions) m_pOptions = std::make_unique<TxStringCollection>(8, 8);
    if (index >= 0 && index < m_pOptions->GetCount()) m_iValue = index;
    if (columns >= 1 && columns <= 5) m_iColumns = columns;
}

CSettingsFont& CSettingsItem::EnsureFont()
{
    if (!m_pFont) m_pFont = std::make_unique<CSettingsFont>();
    return *m_pFont;
}

void CSettingsItem::SetFont(const char* name, int size, const BYTE* style, DWORD colour, int charset)
{
    CSettingsFont& font = EnsureFont();
    font.name.Assign(name);
    if (style) font.style = *style;
    font.colour = colour;
    font.size = size;
    font.charset = charset;
}

int CSettingsItem::IntValue() const
{
    switch (m_Type) {
    case stInteger:
    case stChoice:
    case stTrackBar:
    case stColor:
        return m_iValue;
    case stBoolean:
        return m_iValue == 1 ? 1 : 0;
    default:
        return 0;
    }
}

}  // namespace manager
