// Any bytes as an Install.log text: split into lines, each line's tag and argument taken apart, and
// every argument put through the removal path check against one fixed installation. A path the
// check lets the uninstaller act on is normalised here once more by a deliberately simple second
// reading and must lie inside the place the check named: never a drive root, a relative, UNC or
// device path, never outside the installation.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "InstallLogLine.h"
#include "RemovalPathCheck.h"

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

using Components = std::vector<std::string>;

// The second reading: split on '\' (and '/', which the file functions take for it), drop empty and
// "." components, refuse "..", and require "X:\" in front. False for anything else.
bool SimpleComponents(const std::string& path, Components& components)
{
    components.clear();
    if (path.size() < 3) return false;
    const char drive = Upper(path[0]);
    if (drive < 'A' || drive > 'Z' || path[1] != ':' || (path[2] != '\\' && path[2] != '/')) return false;
    components.push_back(std::string(1, drive) + ":");
    std::string part;
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            if (part == "..") return false;
            if (!part.empty() && part != ".") components.push_back(part);
            part.clear();
        } else {
            part += path[i];
        }
    }
    return true;
}

bool StartsWith(const Components& path, const Components& root)
{
    if (path.size() < root.size()) return false;
    for (size_t i = 0; i < root.size(); ++i)
        if (!SameNoCase(path[i], root[i])) return false;
    return true;
}

Components Of(const std::string& path)
{
    Components components;
    Check(SimpleComponents(path, components));
    return components;
}

bool IsDevice(const std::string& component)
{
    std::string base;
    for (char c : component) {
        if (c == '.') break;
        base += Upper(c);
    }
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices)
        if (base == device) return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

const InstallPlaces& Places()
{
    static const InstallPlaces places = [] {
        InstallPlaces p;
        p.installFolder = "C:\\Program Files\\Kestrova\\Photo Saver";
        p.menuFolders = {
            "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Kestrova",
            "C:\\Users\\Anna\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Kestrova"};
        p.screenSaver = "C:\\Windows\\System32\\Kestrova.scr";
        p.systemFolders = {
            "C:\\Windows", "C:\\Windows\\System32", "C:\\Program Files",         "C:\\ProgramData",
            "C:\\Users",   "C:\\Users\\Anna",       "C:\\Users\\Anna\\Documents"};
        return p;
    }();
    return places;
}

void CheckVerdict(const std::string& argument, bool isFolder)
{
    const PathVerdict verdict = CheckRemovalPath(argument, isFolder, Places());
    if (verdict.place == PathPlace::Refused) {
        Check(verdict.path.empty());
        return;
    }
    // What the uninstaller would act on, read both ways.
    Components raw;
    Check(SimpleComponents(argument, raw));  // the argument itself was "X:\..." (no UNC, no \\?\ or \\.\)
    const Components path = Of(verdict.path);
    Check(path.size() == raw.size());
    Check(StartsWith(path, raw) && StartsWith(raw, path));  // the same components, ".." never among them
    Check(path.size() >= 2);                                // never a drive root
    Check(verdict.path.size() <= kMaxRemovalPath);
    for (size_t i = 1; i < path.size(); ++i) {
        Check(!IsDevice(path[i]));
        for (unsigned char c : path[i])
            Check(c >= 32 && c != ':');
    }
    const InstallPlaces& places = Places();
    switch (verdict.place) {
    case PathPlace::InstallFolder:
        Check(StartsWith(path, Of(places.installFolder)));
        break;
    case PathPlace::MenuFolder: {
        bool inside = false;
        for (const std::string& menu : places.menuFolders)
            inside = inside || StartsWith(path, Of(menu));
        Check(inside);
        break;
    }
    case PathPlace::ScreenSaver:
        Check(!isFolder && path.size() == Of(places.screenSaver).size() &&
              StartsWith(path, Of(places.screenSaver)));
        break;
    case PathPlace::ParentFolder: {
        // A folder above the install folder, and none the system needs nor one holding such.
        Check(isFolder);
        const Components install = Of(places.installFolder);
        Check(install.size() > path.size() && StartsWith(install, path));
        for (const std::string& system : places.systemFolders)
            Check(!StartsWith(Of(system), path));
        break;
    }
    case PathPlace::Refused:
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t dropped = 0;
    const std::vector<std::string> lines = SplitLogText(text, dropped);
    Check(dropped <= lines.size());
    for (const std::string& line : lines) {
        Check(line.size() <= kMaxLogLineLength);
        Check(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
        const LogEntry entry = ParseLogLine(line);
        if (entry.tag == LogTag::None) {
            Check(entry.argument.empty());
        } else {
            Check(!entry.argument.empty() && entry.argument.size() + 10 == line.size());
        }
        // Every argument as a file line and as a folder line, whatever its tag: the check alone
        // decides.
        CheckVerdict(entry.argument, false);
        CheckVerdict(entry.argument, true);
        switch (entry.tag) {
        case LogTag::Time: {
            CalendarTime time;
            if (ParseTimeArgument(entry.argument, time))
                Check(time.year >= 1601 && time.year <= 9999 && time.month >= 1 && time.month <= 12 &&
                      time.day >= 1 && time.day <= 31 && time.hour >= 0 && time.hour <= 23 &&
                      time.minute >= 0 && time.minute <= 59);
            break;
        }
        case LogTag::ImageIdentity: {
            ImageIdentity identity;
            if (ParseImageIdentity(entry.argument, identity)) {
                Check(!identity.path.empty() && identity.path.size() < entry.argument.size());
                CheckVerdict(identity.path, false);
            }
            break;
        }
        case LogTag::TimeZone:
            (void)IsUtcZone(entry.argument);
            break;
        case LogTag::AutoRun:
        case LogTag::UninstallKey:
            Check(entry.tag != LogTag::UninstallKey || entry.argument.find('\\') == std::string::npos);
            (void)CommandStartsProgramIn(entry.argument, Places().installFolder, "KvAgent.exe");
            break;
        default:
            break;
        }
    }
    return 0;
}
