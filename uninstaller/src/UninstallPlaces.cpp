#include "UninstallPlaces.h"

#include "UTxUtils.h"
#include "Uinstallvalues.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <knownfolders.h>
#include <shobjidl.h>

#include <vector>

namespace {

std::string Normalised(const std::string& path)
{
    std::string normalised;
    return NormaliseRemovalPath(path, normalised) ? normalised : std::string();
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::string();
    return Normalised(LongFormOfExisting(path));
}

// The folders of the system and of its users. A log naming one of them, or a parent of one, is not
// this installation's.
const int kSystemFolders[] = {
    CSIDL_WINDOWS,          CSIDL_SYSTEM,
    CSIDL_PROGRAM_FILES,    CSIDL_PROGRAM_FILES_COMMON,
    CSIDL_PROFILE,          CSIDL_DESKTOPDIRECTORY,
    CSIDL_PERSONAL,         CSIDL_MYPICTURES,
    CSIDL_MYMUSIC,          CSIDL_MYVIDEO,
    CSIDL_APPDATA,          CSIDL_LOCAL_APPDATA,
    CSIDL_FAVORITES,        CSIDL_PROGRAMS,
    CSIDL_STARTMENU,        CSIDL_STARTUP,
    CSIDL_SENDTO,           CSIDL_RECENT,
    CSIDL_TEMPLATES,        CSIDL_FONTS,
    CSIDL_COMMON_APPDATA,   CSIDL_COMMON_DESKTOPDIRECTORY,
    CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_PICTURES,
    CSIDL_COMMON_MUSIC,     CSIDL_COMMON_VIDEO,
    CSIDL_COMMON_FAVORITES, CSIDL_COMMON_PROGRAMS,
    CSIDL_COMMON_STARTMENU, CSIDL_COMMON_STARTUP,
    CSIDL_COMMON_TEMPLATES, CSIDL_INTERNET_CACHE,
    CSIDL_COOKIES,          CSIDL_HISTORY,
};

}  // namespace

InstallPlaces PlacesOfInstallation(const std::string& installFolder)
{
    InstallPlaces places;
    places.installFolder = Normalised(LongFormOfExisting(installFolder));
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        const std::string programs = ShellFolder(csidl);
        if (!programs.empty()) places.menuFolders.push_back(programs + "\\Kestrova");
    }
    char system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(system, sizeof(system));
    if (length > 0 && length < sizeof(system))
        places.screenSaver = Normalised(std::string(system) + "\\Kestrova.scr");
    for (int csidl : kSystemFolders) {
        const std::string folder = ShellFolder(csidl);
        if (!folder.empty()) places.systemFolders.push_back(folder);
    }
    char temp[MAX_PATH] = {};
    const DWORD tempLength = ::GetTempPathA(sizeof(temp), temp);
    if (tempLength > 0 && tempLength < sizeof(temp)) {
        const std::string folder = Normalised(LongFormOfExisting(temp));
        if (!folder.empty()) places.systemFolders.push_back(folder);
    }
    // Downloads has no CSIDL; the system names it only as a known folder.
    PWSTR downloads = nullptr;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &downloads)) && downloads) {
        char path[MAX_PATH] = {};
        if (::WideCharToMultiByte(CP_ACP, 0, downloads, -1, path, sizeof(path), nullptr, nullptr) > 0) {
            const std::string folder = Normalised(LongFormOfExisting(path));
            if (!folder.empty()) places.systemFolders.push_back(folder);
        }
        ::CoTaskMemFree(downloads);
    }
    // The folder of all profiles is the parent of the user's own.
    const std::string profile = ShellFolder(CSIDL_PROFILE);
    // Every folder directly in the profile is the user's (Downloads, Saved Games, Contacts, and
    // those other programs make), but for the install folder itself.
    if (!profile.empty()) {
        WIN32_FIND_DATAA found = {};
        const HANDLE search = ::FindFirstFileA((profile + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == "..")
                    continue;
                const std::string folder = Normalised(profile + "\\" + name);
                if (!folder.empty() && !(IsSameOrInside(folder, places.installFolder) &&
                                         IsSameOrInside(places.installFolder, folder)))
                    places.systemFolders.push_back(folder);
            } while (::FindNextFileA(search, &found));
            ::FindClose(search);
        }
    }
    const size_t slash = profile.find_last_of('\\');
    if (slash != std::string::npos && slash > 2) places.systemFolders.push_back(profile.substr(0, slash));
    return places;
}

Registration RegisteredInstallation(const InstallPlaces& places)
{
    const std::string registered = MachineString(kSetupKey, kInstalledPrgDir);
    if (registered.empty()) return Registration::None;
    const std::string folder = Normalised(LongFormOfExisting(registered));
    return !folder.empty() && IsSameOrInside(folder, places.installFolder) &&
                   IsSameOrInside(places.installFolder, folder)
               ? Registration::ThisInstallation
               : Registration::Another;
}

std::string LongFormOfExisting(const std::string& path)
{
    std::string head = path;
    std::string tail;
    for (;;) {
        char buffer[MAX_PATH] = {};
        const DWORD length = ::GetLongPathNameA(head.c_str(), buffer, sizeof(buffer));
        if (length > 0 && length < sizeof(buffer)) return std::string(buffer, length) + tail;
        // Up to the drive's first folder: "C:" alone would name the drive's current folder.
        const size_t slash = head.find_last_of('\\');
        if (slash == std::string::npos || slash <= 2) return path;
        tail = head.substr(slash) + tail;
        head.erase(slash);
    }
}

std::string ShortcutTarget(const std::string& shortcut)
{
    const HRESULT initialised = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string target;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            std::vector<wchar_t> wide(MAX_PATH + 1, L'\0');
            if (::MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, wide.data(), MAX_PATH) > 0 &&
                SUCCEEDED(file->Load(wide.data(), STGM_READ))) {
                char path[MAX_PATH] = {};
                if (link->GetPath(path, sizeof(path), nullptr, SLGP_RAWPATH) == S_OK)
                    target = Normalised(path);
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(initialised)) ::CoUninitialize();
    return target;
}

std::string MachineString(const std::string& key, const char* valueName)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return std::string();
    const RegKey held(opened);
    char data[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof(data) - 1;
    if (::RegQueryValueExA(held.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    data[size < sizeof(data) ? size : sizeof(data) - 1] = '\0';
    return data;
}

bool IsReparsePoint(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    // A link to a file may show as a plain file to GetFileAttributesA; the directory entry says
    // what it is.
    WIN32_FIND_DATAA found = {};
    const HANDLE search = ::FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    ::FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    // Nor may the entry: the file the path opens must be the one that lies there by that name.
    const HANDLE file = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char final[MAX_PATH * 2] = {};
    const DWORD length = ::GetFinalPathNameByHandleA(file, final, sizeof(final), VOLUME_NAME_DOS);
    ::CloseHandle(file);
    if (length == 0 || length >= sizeof(final)) return false;
    std::string opened = final;
    if (opened.compare(0, 4, "\\\\?\\") == 0) opened = opened.substr(4);
    std::string named;
    std::string normalised;
    if (!NormaliseRemovalPath(LongFormOfExisting(path), named) || !NormaliseRemovalPath(opened, normalised))
        return false;
    return !(IsSameOrInside(named, normalised) && IsSameOrInside(normalised, named));
}

bool PassesReparsePoint(const std::string& path, const std::string& folder)
{
    if (!IsSameOrInside(path, folder)) return true;
    // The folder itself, every folder between, and the last part: a link anywhere leads elsewhere.
    for (size_t at = folder.size(); at != std::string::npos; at = path.find('\\', at + 1))
        if (IsReparsePoint(path.substr(0, at))) return true;
    return IsReparsePoint(path);
}
