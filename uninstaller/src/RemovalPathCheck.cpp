#include "RemovalPathCheck.h"

#include <cstring>

namespace {

char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an extension: the file functions open the device.
bool IsDeviceName(const std::string& component)
{
    std::string base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = AsciiUpper(c);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
        base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

bool IsUsableComponent(const std::string& component)
{
    if (component.empty()) return false;
    for (unsigned char c : component)
        if (c < 32 || std::strchr("<>:\"|?*", c)) return false;
    // The file functions drop trailing dots and blanks: "x.exe." would name "x.exe", "..." the folder.
    const char last = component.back();
    if (last == '.' || last == ' ') return false;
    return !IsDeviceName(component);
}

bool IsStrictlyInside(const std::string& path, const std::string& folder)
{
    return path.size() > folder.size() && IsSameOrInside(path, folder);
}

bool IsSystemFolderOrHoldsOne(const std::string& folder, const InstallPlaces& places)
{
    for (const std::string& system : places.systemFolders)
        if (!system.empty() && IsSameOrInside(system, folder)) return true;
    return false;
}

}  // namespace

bool NormaliseRemovalPath(const std::string& path, std::string& normalised)
{
    std::string text = path;
    for (char& c : text)
        if (c == '/') c = '\\';
    // Only "X:\...": the rest would be resolved against a current folder or name another kind of place.
    if (text.size() < 3 || !IsLetter(text[0]) || text[1] != ':' || text[2] != '\\') return false;
    std::string result(1, AsciiUpper(text[0]));
    result += ':';
    size_t components = 0;
    size_t at = 3;
    while (at <= text.size()) {
        size_t end = text.find('\\', at);
        if (end == std::string::npos) end = text.size();
        const std::string component = text.substr(at, end - at);
        at = end + 1;
        if (component.empty() || component == ".") continue;  // doubled or trailing separators, "."
        if (component == ".." || !IsUsableComponent(component)) return false;
        result += '\\';
        result += component;
        ++components;
    }
    if (components == 0 || result.size() > kMaxRemovalPath) return false;
    normalised = result;
    return true;
}

bool IsSameOrInside(const std::string& path, const std::string& folder)
{
    if (folder.empty() || path.size() < folder.size()) return false;
    if (!EqualNoCase(path.substr(0, folder.size()), folder)) return false;
    return path.size() == folder.size() || path[folder.size()] == '\\';
}

PathVerdict CheckRemovalPath(const std::string& path, bool isFolder, const InstallPlaces& places)
{
    PathVerdict verdict;
    std::string normalised;
    if (!NormaliseRemovalPath(path, normalised)) return verdict;
    const std::string& install = places.installFolder;
    const bool installUsable = !install.empty() && !IsSystemFolderOrHoldsOne(install, places);
    if (installUsable && IsSameOrInside(normalised, install))
        verdict.place = PathPlace::InstallFolder;
    else if (!places.screenSaver.empty() && !isFolder && EqualNoCase(normalised, places.screenSaver))
        verdict.place = PathPlace::ScreenSaver;
    else if (installUsable && isFolder && IsStrictlyInside(install, normalised) &&
             !IsSystemFolderOrHoldsOne(normalised, places))
        verdict.place = PathPlace::ParentFolder;
    else
        for (const std::string& menu : places.menuFolders)
            if (!menu.empty() && IsSameOrInside(normalised, menu)) verdict.place = PathPlace::MenuFolder;
    if (verdict.place != PathPlace::Refused) verdict.path = normalised;
    return verdict;
}

std::string ProgramOfCommand(const std::string& command)
{
    size_t at = command.find_first_not_of(" \t");
    if (at == std::string::npos) return std::string();
    if (command[at] == '"') {
        const size_t close = command.find('"', at + 1);
        if (close == std::string::npos) return std::string();
        return command.substr(at + 1, close - at - 1);
    }
    const size_t end = command.find_first_of(" \t", at);
    return command.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

bool CommandStartsProgramIn(const std::string& command, const std::string& folder, const std::string& program)
{
    std::string started;
    if (folder.empty() || !NormaliseRemovalPath(ProgramOfCommand(command), started)) return false;
    return EqualNoCase(started, folder + "\\" + program);
}
