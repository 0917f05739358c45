// The list of settings items and finding one by key and section.
#include "Settings.h"

#include "UTxLog.h"

#include <cstring>

namespace manager {

CSettings::CSettings() : m_Items(64, 16) {}

CSettings::~CSettings()
{
    Clear();
}

void CSettings::Clear()
{
    m_Items.FreeAll();
}

void CSettings::BeginSection(const char* section, bool store)
{
    m_sSection.Assign(section);
    m_bStore = store ? 1 : 0;
}

CSettingsItem* CSettings::AddItem(BYTE type, const char* key, const char* caption, int level)
{
    auto item = std::make_unique<CSettingsItem>(type, caption, key, level);
    item->SetSection(m_sSection.GetText(), m_bStore != 0);
    if (!m_Items.Insert(item.get())) return nullptr;
    return item.release();
}

void CSettings::Append(std::unique_ptr<CSettingsItem> item)
{
    if (item && m_Items.Insert(item.get())) item.release();
}

CSettingsItem* CSettings::Find(const char* key, const char* section) const
{
    const char* wantedKey = key ? key : "";
    const char* wantedSection = section ? section : "";
    for (int i = 0; i < m_Items.GetCount(); ++i) {
        CSettingsItem* item = At(i);
        if (::_stricmp(item->Key().GetText(), wantedKey) != 0) continue;
        if (wantedSection[0] && ::_stricmp(item->Section().GetText(), wantedSection) != 0) continue;
        return item;
    }
    if (g_bLogEnabled) LogF("Value not found: %s at %s", wantedKey, wantedSection);
    return nullptr;
}

int CSettings::GetValue(const char* key, const char* section) const
{
    const CSettingsItem* item = Find(key, section);
    return item ? item->IntValue() : 0;
}

}  // namespace manager
