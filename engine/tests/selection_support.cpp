// Helpers of the selection and operations tests.
#include "selection_support.h"

#include <gtest/gtest.h>

#include <memory>

#include "KvTestSupport.h"
#include "UDatabase.h"

namespace selection_test {

std::string FixturePath(const std::string& name)
{
    return testsupport::ExeFolder() + "selection_fixtures\\" + name;
}

bool CopyFixture(const std::string& fixture, const std::string& folder, const std::string& asName)
{
    const std::string target = folder + "\\" + (asName.empty() ? fixture : asName);
    return ::CopyFileA(FixturePath(fixture).c_str(), target.c_str(), FALSE) != 0;
}

DatabasePaths DatabaseIn(const std::string& folder)
{
    DatabasePaths paths;
    paths.folderList = folder + "\\FolderList.dat";
    paths.recordFile = folder + "\\FileListDat.dat";
    paths.stringFile = folder + "\\FileListStr.dat";
    paths.workBmp = folder + "\\Wallpaper.bmp";
    return paths;
}

bool BuildDatabase(const std::string& imageFolder, const DatabasePaths& paths,
                   const std::vector<std::string>& excluded, bool includeSubfolders)
{
    CFolderCollection folders;
    auto folder = std::make_unique<CImageFolder>();
    folder->Path.Assign(imageFolder.c_str());
    folder->IncludeSubfolders = includeSubfolders ? 1 : 0;
    if (!folders.Insert(folder.get())) return false;
    CImageFolder* scanned = folder.release();
    CFileCollection files;
    scanned->AddFilesToCollection(files);
    folders.CopyUseAttributes(files);
    for (int i = 0; i < files.GetCount(); ++i) {
        CImageFile* image = files.FileAt(i);
        for (const std::string& name : excluded) {
            if (image->FileName.CompareNoCase(name.c_str()) == 0) image->FileFlags |= FLAG_EXCLUDE_IMAGE;
        }
    }
    return files.SaveToFile(paths.recordFile.c_str(), paths.stringFile.c_str()) &&
           folders.SaveToFile(paths.folderList.c_str());
}

RegistryRecord TestRecord(const DatabasePaths& paths)
{
    RegistryRecord record{};
    SetRegistryDefaults(nullptr, &record, true, false);
    record.Exchange.dwRandomSelection = 0;
    record.Display.dwTextures = 0;
    record.Agent.bShowProgress = 0;
    lstrcpynA(record.Files.szFolderListFile, paths.folderList.c_str(), kPathSize);
    lstrcpynA(record.Files.szFileListDatFile, paths.recordFile.c_str(), kPathSize);
    lstrcpynA(record.Files.szFileListStrFile, paths.stringFile.c_str(), kPathSize);
    lstrcpynA(record.Files.szWorkBmpFile, paths.workBmp.c_str(), kPathSize);
    return record;
}

DWORD Get32(const std::string& bytes, size_t offset)
{
    if (offset + 4 > bytes.size()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<DWORD>(p[3]) << 24;
}

void Put32(std::string& bytes, size_t offset, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

namespace {

std::string TextAt(const std::string& strings, DWORD position, DWORD length)
{
    if (length == 0 || static_cast<size_t>(position) + length > strings.size()) return "";
    return std::string(strings.data() + position, length - 1);
}

}  // namespace

std::vector<StoredImage> ReadStoredImages(const std::string& recordFile, const std::string& stringFile)
{
    const std::string records = testsupport::ReadFileBytes(recordFile);
    const std::string strings = testsupport::ReadFileBytes(stringFile);
    std::vector<StoredImage> images;
    if (records.size() < 144 || Get32(records, 0) != 0xFF550014) return images;
    const DWORD count = Get32(records, 12);
    for (DWORD i = 0; i < count && 144 + (i + 1) * 80 <= records.size(); ++i) {
        const size_t at = 144 + static_cast<size_t>(i) * 80;
        StoredImage image;
        image.position = static_cast<DWORD>(at);
        image.shownCount = Get32(records, at + 20);
        image.screenSaverFlags = Get32(records, at + 24);
        image.fileFlags = Get32(records, at + 28);
        image.averageColor = Get32(records, at + 56);
        image.folder = TextAt(strings, Get32(records, at + 4), Get32(records, at + 8));
        image.name = TextAt(strings, Get32(records, at + 12), Get32(records, at + 16));
        images.push_back(image);
    }
    return images;
}

const StoredImage* FindStored(const std::vector<StoredImage>& images, const std::string& name)
{
    for (const StoredImage& image : images) {
        if (lstrcmpiA(image.name.c_str(), name.c_str()) == 0) return &image;
    }
    return nullptr;
}

void DeleteSettingsKey()
{
    EXPECT_TRUE(testsupport::DeleteRegTree(HKEY_CURRENT_USER, KV_REG_ROOT)) << "the settings key stays";
}

}  // namespace selection_test

namespace selection_test {

RegValue ReadSettingsValue(const char* section, const char* name)
{
    return ReadRegValue(HKEY_CURRENT_USER, std::string(KV_REG_ROOT "\\") + section, name);
}

bool WriteSettings(const RegistryRecord& record, bool configured, DWORD allFilesCount)
{
    return WriteToRegistry(&record) && WriteRegistryRoot(configured, allFilesCount);
}

ULONGLONG LocalNow()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    FILETIME time{};
    ::SystemTimeToFileTime(&now, &time);
    return FileTimeUnits(time);
}

ULONGLONG FileTimeValue(const std::string& eightBytes)
{
    return static_cast<ULONGLONG>(Get32(eightBytes, 4)) << 32 | Get32(eightBytes, 0);
}

bool ReadBmpSize(const std::string& path, LONG& width, LONG& height, WORD& bitCount)
{
    const std::string bytes = testsupport::ReadFileBytes(path);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    if (Get32(bytes, 2) != bytes.size()) return false;
    width = static_cast<LONG>(Get32(bytes, 18));
    height = static_cast<LONG>(Get32(bytes, 22));
    bitCount = static_cast<WORD>(Get32(bytes, 28) & 0xFFFF);
    const DWORD offBits = Get32(bytes, 10);
    const unsigned long long rows = height < 0 ? -static_cast<long long>(height) : height;
    const unsigned long long rowBytes = (static_cast<unsigned long long>(width) * bitCount + 31) / 32 * 4;
    return offBits + rowBytes * rows <= bytes.size();
}

}  // namespace selection_test
