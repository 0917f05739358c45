// Fixtures of the database tests.
#include "database_support.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>

#include "UTxTime.h"
#include "UTxUtils.h"

namespace dbtest {

void MakeDirectory(const std::string& path)
{
    const size_t cut = path.find_last_of('\\');
    if (cut != std::string::npos && cut > 2) MakeDirectory(path.substr(0, cut));
    ::CreateDirectoryA(path.c_str(), nullptr);
}

std::string FreshFolder(const std::string& name)
{
    const std::string path = "C:\\kvtest\\" + name;
    testsupport::RemoveTree(path);
    MakeDirectory(path);
    return path;
}

void MakeFile(const std::string& path, DWORD size, ULONGLONG fileTime)
{
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error("cannot create " + path);
    if (size) {
        std::vector<BYTE> zeros(size);
        DWORD written = 0;
        ::WriteFile(file.get(), zeros.data(), size, &written, nullptr);
    }
    if (fileTime) {
        const FILETIME time = FileTimeFromUnits(fileTime);
        ::SetFileTime(file.get(), nullptr, nullptr, &time);
    }
}

namespace {

// The host's path of a file under a drive of the prefix; empty outside Wine.
std::string UnixPathOf(const std::string& path)
{
    using UnixFileName = char*(CDECL*)(const WCHAR*);
    const auto toUnix = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return {};
    std::wstring wide(path.size() + 1, L'\0');
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    if (length <= 0) return {};
    char* unixPath = toUnix(wide.c_str());
    if (!unixPath) return {};
    std::string result = unixPath;
    ::HeapFree(::GetProcessHeap(), 0, unixPath);
    return result;
}

// Starts a program of the host (Z: is its root). The program is named apart from the command line:
// searched for by the command line alone, it would be taken for "<name>.exe". Wine gives no handle
// to wait on for a host program, so the caller waits for what the program does.
bool StartHostProgram(const std::string& program, const std::string& arguments)
{
    const std::string application = "Z:" + program;
    std::string commandLine = "\"" + application + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info))
        return false;
    const Handle process(info.hProcess);
    const Handle thread(info.hThread);
    return true;
}

bool WaitForPath(const std::string& path, bool present)
{
    return testsupport::PumpUntil(
        [&] { return (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == present; }, 10000);
}

}  // namespace

bool MakeUnixSymlink(const std::string& linkPath, const std::string& target)
{
    const std::string unixLink = UnixPathOf(linkPath);
    if (unixLink.empty()) return false;
    return StartHostProgram("\\bin\\ln", "-s \"" + target + "\" \"" + unixLink + "\"") &&
           WaitForPath(linkPath, true);
}

bool RemoveUnixSymlink(const std::string& linkPath)
{
    if (::GetFileAttributesA(linkPath.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    const std::string unixLink = UnixPathOf(linkPath);
    if (unixLink.empty()) return false;
    // rm without -r removes the link itself, never the directory it points to.
    return StartHostProgram("\\bin\\rm", "-f \"" + unixLink + "\"") && WaitForPath(linkPath, false);
}

namespace {

// The host's path of the link that makes drive `letter`: ("<prefix>/dosdevices/k:").
std::string DriveLinkOf(char letter)
{
    std::string drive = UnixPathOf("C:\\");
    while (!drive.empty() && drive.back() == '/')
        drive.pop_back();
    const size_t cut = drive.find_last_of('/');
    if (cut == std::string::npos) return {};
    // C: is either the dosdevices link itself or the drive_c folder beside the dosdevices folder.
    std::string devices = drive.substr(0, cut);
    if (drive.substr(cut + 1) != "c:") devices += "/dosdevices";
    const std::string name = {static_cast<char>(std::tolower(static_cast<unsigned char>(letter))), ':'};
    return devices + "/" + name;
}

std::string DriveRoot(char letter)
{
    return std::string(1, letter) + ":\\";
}

}  // namespace

bool PlugTestDrive(char letter, const std::string& folder)
{
    const std::string link = DriveLinkOf(letter);
    const std::string target = UnixPathOf(folder);
    if (link.empty() || target.empty()) return false;
    return StartHostProgram("\\bin\\ln", "-sfn \"" + target + "\" \"" + link + "\"") &&
           WaitForPath(DriveRoot(letter), true);
}

bool UnplugTestDrive(char letter)
{
    if (::GetFileAttributesA(DriveRoot(letter).c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    const std::string link = DriveLinkOf(letter);
    if (link.empty()) return false;
    return StartHostProgram("\\bin\\rm", "-f \"" + link + "\"") && WaitForPath(DriveRoot(letter), false);
}

std::vector<BYTE> ReadBytes(const std::string& path)
{
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::vector<BYTE> bytes(::GetFileSize(file.get(), nullptr));
    DWORD read = 0;
    if (!bytes.empty())
        ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes)
{
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    if (!bytes.empty())
        ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

DWORD Get32(const std::vector<BYTE>& bytes, size_t offset)
{
    return static_cast<DWORD>(bytes.at(offset)) | static_cast<DWORD>(bytes.at(offset + 1)) << 8 |
           static_cast<DWORD>(bytes.at(offset + 2)) << 16 | static_cast<DWORD>(bytes.at(offset + 3)) << 24;
}

void Put32(std::vector<BYTE>& bytes, size_t offset, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + static_cast<size_t>(i)) = static_cast<BYTE>(value >> (8 * i));
}

bool IsStrictlySorted(const CFileCollection& files)
{
    for (int i = 1; i < files.GetCount(); ++i) {
        if (files.Compare(files.KeyOf(files.At(i - 1)), files.KeyOf(files.At(i))) >= 0) return false;
    }
    return true;
}

void FillSampleImages(CFileCollection& files, int count, int variant)
{
    char folder[MAX_PATH];
    char name[MAX_PATH];
    for (int i = 0; i < count; ++i) {
        auto image = std::make_unique<CImageFile>();
        // Folders and names rise with i, so the list is built by appending.
        std::snprintf(folder, sizeof folder, "C:\\Photos\\Set %02d\\Album %03d", i / 5000, (i / 100) % 50);
        std::snprintf(name, sizeof name, "IMG_%05d_v%d.jpg", i, variant);
        image->FolderPath.Assign(folder);
        image->FileName.Assign(name);
        const DWORD seed = static_cast<DWORD>(i) * 2654435761u + static_cast<DWORD>(variant) * 40503u;
        image->LastWriteTime.dwLowDateTime = seed;
        image->LastWriteTime.dwHighDateTime = 0x01D00000u + (seed >> 20);
        image->FileSizeLow = 1000 + seed % 5000000;
        image->FileSizeHigh = 0;
        image->ShownCount = seed % 17;
        image->ScreenSaverFlags = seed % 4;
        image->FileFlags =
            (seed % 3 == 0 ? FLAG_EXCLUDE_IMAGE : 0) | FLAG_USE_FOR_WALLPAPER | FLAG_USE_FOR_SCREENSAVER;
        image->Reserved = seed ^ 0x5A5A5A5Au;
        image->AverageColor = (seed % 5 == 0) ? 0xFFFFFFFFu : (seed & 0x00FFFFFFu);
        if (files.InsertLoadedImage(image.get())) image.release();
    }
}

void FillSampleFolders(CFolderCollection& folders, int count, int variant)
{
    char path[MAX_PATH];
    for (int i = 0; i < count; ++i) {
        auto folder = std::make_unique<CImageFolder>();
        std::snprintf(path, sizeof path, "C:\\Photos\\Set %02d v%d", i, variant);
        folder->Path.Assign(path);
        folder->IncludeSubfolders = static_cast<BYTE>(i % 2);
        folder->AutoScan = static_cast<BYTE>((i / 2) % 2);
        folder->UseForWallpaper = static_cast<BYTE>(i % 3 != 0);
        folder->UseForScreenSaver = static_cast<BYTE>(i % 5 != 0);
        folder->ImageCount = static_cast<DWORD>(i * 10 + variant);
        folder->Crc = 0x9E3779B9u * static_cast<DWORD>(i + 1) + static_cast<DWORD>(variant);
        if (folders.Insert(folder.get())) folder.release();
    }
}

int RunDatabaseChange(const DatabasePaths& files)
{
    CFolderCollection folders;
    if (!folders.LoadFromFile(files.folderList.c_str())) return 10;
    const bool fileListMissing = !TxFileExists(files.records.c_str()) || !TxFileExists(files.strings.c_str());
    if (!fileListMissing && !folders.CheckForChangesOnDisk(false)) return 0;
    CFileCollection images;
    if (!fileListMissing && !images.LoadFromFile(files.records.c_str(), files.strings.c_str())) return 11;
    folders.RecalculateAllFolders(images);
    if (!images.SaveToFile(files.records.c_str(), files.strings.c_str())) return 12;
    return folders.SaveToFile(files.folderList.c_str()) ? 0 : 13;
}

bool LoadImageKeys(const DatabasePaths& files, std::vector<std::string>& keys)
{
    CFileCollection images;
    keys.clear();
    if (!images.LoadFromFile(files.records.c_str(), files.strings.c_str())) return false;
    for (int i = 0; i < images.GetCount(); ++i)
        keys.push_back(std::string(images.FileAt(i)->FolderPath.GetText()) + "|" +
                       images.FileAt(i)->FileName.GetText());
    std::sort(keys.begin(), keys.end());
    return true;
}

bool StartHelper(testsupport::ChildProcess& helper, const std::string& arguments)
{
    return helper.Start("\"" + testsupport::ExeFolder() + "database_helper.exe\" " + arguments);
}

DWORD WaitForExit(testsupport::ChildProcess& helper, DWORD milliseconds)
{
    return helper.WaitNotPumping(milliseconds) ? helper.ExitCode() : STILL_ACTIVE;
}

std::string UniqueEventName(const char* tag)
{
    return "KvDatabaseTest_" + std::to_string(::GetCurrentProcessId()) + "_" + tag + "_" +
           std::to_string(::GetTickCount());
}

}  // namespace dbtest
