#include "ManagerWindowPositions.h"

#include <algorithm>

#include "UTxUtils.h"
#include "Uregutils.h"

namespace manager {

namespace {

// The height of the caption strip that must stay reachable to drag a window back.
constexpr int kCaptionStrip = 20;
constexpr int kMinPanelWidth = 50;

bool ReadInt(HKEY key, const char* name, int& value)
{
    DWORD raw = 0;
    if (!ReadRegDword(key, name, raw)) return false;
    value = static_cast<int>(raw);
    return true;
}

// Left and top together, or neither: half of a position would place the window nowhere anyone chose.
void ReadPlace(HKEY key, const char* leftName, const char* topName, int width, int& left, int& top)
{
    int x = 0;
    int y = 0;
    if (!ReadInt(key, leftName, x) || !ReadInt(key, topName, y)) return;
    if (!CaptionOnSomeMonitor(x, y, width)) return;
    left = x;
    top = y;
}

void ReadBounds(HKEY key, const char* prefix, WindowBounds& bounds)
{
    const std::string p = prefix;
    int width = bounds.width;
    int height = bounds.height;
    if (ReadInt(key, (p + "Width").c_str(), width) && width > 0) bounds.width = width;
    if (ReadInt(key, (p + "Height").c_str(), height) && height > 0) bounds.height = height;
    ReadPlace(key, (p + "Left").c_str(), (p + "Top").c_str(), bounds.width, bounds.left, bounds.top);
}

}  // namespace

bool CaptionOnSomeMonitor(int left, int top, int width)
{
    const RECT strip = {left, top, left + std::max(width, 1), top + kCaptionStrip};
    return ::MonitorFromRect(&strip, MONITOR_DEFAULTTONULL) != nullptr;
}

bool OpenManagerPositionsKey(RegKey& key)
{
    HKEY raw = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kManagerPositionsKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                          nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    key = RegKey(raw);
    return true;
}

bool ReadManagerPositions(ManagerWindowPositions& positions)
{
    RegKey key;
    if (!OpenManagerPositionsKey(key)) return false;
    int mainLeft = positions.main.x;
    int mainTop = positions.main.y;
    ReadPlace(key.get(), "FMainLeft", "FMainTop", 100, mainLeft, mainTop);
    positions.main = {mainLeft, mainTop};
    ReadBounds(key.get(), "FFileList", positions.fileList);
    ReadBounds(key.get(), "FSettings", positions.settings);
    int panel = 0;
    if (ReadInt(key.get(), "FFileListPanelWidth", panel))
        positions.fileListPanelWidth =
            std::max(kMinPanelWidth, std::min(panel, positions.fileList.width - kMinPanelWidth));
    char text[MAX_PATH + 1] = {};
    if (ReadRegTextWhole(key.get(), "LastDirAddFolders", text, sizeof text))
        positions.lastDirAddFolders = text;
    return true;
}

bool WriteManagerPositions(const ManagerWindowPositions& positions)
{
    HKEY raw = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kManagerPositionsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &raw,
                          nullptr) != ERROR_SUCCESS)
        return false;
    RegKey key(raw);
    const auto put = [&key](const char* name, int value) {
        return WriteRegDword(key.get(), name, static_cast<DWORD>(value));
    };
    bool ok = put("FMainLeft", positions.main.x);
    ok = put("FMainTop", positions.main.y) && ok;
    ok = put("FFileListLeft", positions.fileList.left) && ok;
    ok = put("FFileListTop", positions.fileList.top) && ok;
    ok = put("FFileListWidth", positions.fileList.width) && ok;
    ok = put("FFileListHeight", positions.fileList.height) && ok;
    ok = put("FFileListPanelWidth", positions.fileListPanelWidth) && ok;
    ok = put("FSettingsLeft", positions.settings.left) && ok;
    ok = put("FSettingsTop", positions.settings.top) && ok;
    ok = put("FSettingsWidth", positions.settings.width) && ok;
    ok = put("FSettingsHeight", positions.settings.height) && ok;
    ok = WriteRegText(key.get(), "LastDirAddFolders", positions.lastDirAddFolders.c_str()) && ok;
    return ok;
}

}  // namespace manager
