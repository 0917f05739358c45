// A program that links nothing above common and txlib, as the uninstaller does: it finds the image
// database through the settings and reads it back. Any declaration of common that is defined only
// higher up fails this program's link.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "UDatabase.h"
#include "UTxLog.h"
#include "Wcommon.h"

const CLogSettings g_LogSettings = {"ComOnly   ", "", false, 0, false, false, false};

namespace {

std::string FreshFolder()
{
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "kv_common_only";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"FolderList.dat", "FileListDat.dat", "FileListStr.dat"})
        ::DeleteFileA((folder + "\\" + name).c_str());
    return folder;
}

void CopyText(char* field, size_t size, const std::string& text)
{
    std::snprintf(field, size, "%s", text.c_str());
}

// The settings key gone, as before an installation; this program links no test support to do it.
void DeleteSettings()
{
    const LONG rc = ::RegDeleteTreeA(HKEY_CURRENT_USER, kRegRootPath);
    EXPECT_TRUE(rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) << "RegDeleteTree: " << rc;
}

class CommonOnly : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettings(); }
    void TearDown() override { DeleteSettings(); }
};

TEST_F(CommonOnly, FindsTheDatabaseThroughTheSettingsAndReadsIt)
{
    // What the Manager leaves behind: settings naming the three database files, and the files.
    const std::string folder = FreshFolder();
    RegistryRecord written;
    SetRegistryDefaults(nullptr, &written, false, false);
    CopyText(written.Files.szFolderListFile, sizeof written.Files.szFolderListFile,
             folder + "\\FolderList.dat");
    CopyText(written.Files.szFileListDatFile, sizeof written.Files.szFileListDatFile,
             folder + "\\FileListDat.dat");
    CopyText(written.Files.szFileListStrFile, sizeof written.Files.szFileListStrFile,
             folder + "\\FileListStr.dat");
    ASSERT_TRUE(WriteToRegistry(&written));

    CFolderCollection folders;
    auto photos = std::make_unique<CImageFolder>();
    photos->Path.Assign("C:\\Photos");
    ASSERT_TRUE(folders.Insert(photos.get()));
    photos.release();
    ASSERT_TRUE(folders.SaveToFile(written.Files.szFolderListFile));
    CFileCollection files;
    for (const char* name : {"a.jpg", "b.jpg"}) {
        auto image = std::make_unique<CImageFile>();
        image->FolderPath.Assign("C:\\Photos");
        image->FileName.Assign(name);
        image->ShownCount = 3;
        ASSERT_TRUE(files.InsertLoadedImage(image.get()));
        image.release();
    }
    ASSERT_TRUE(files.SaveToFile(written.Files.szFileListDatFile, written.Files.szFileListStrFile));

    // What the uninstaller does: the settings first, then the files they name.
    RegistryRecord read;
    SetRegistryDefaults(nullptr, &read, false, false);
    int missing = 0;
    ASSERT_TRUE(ReadFromRegistry(&read, &missing));
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(std::memcmp(&read, &written, sizeof read), 0);

    CFolderCollection loadedFolders;
    ASSERT_TRUE(loadedFolders.LoadFromFile(read.Files.szFolderListFile));
    ASSERT_EQ(loadedFolders.GetCount(), 1);
    EXPECT_STREQ(loadedFolders.FolderAt(0)->Path.GetText(), "C:\\Photos");
    CFileCollection loadedFiles;
    ASSERT_TRUE(loadedFiles.LoadFromFile(read.Files.szFileListDatFile, read.Files.szFileListStrFile));
    ASSERT_EQ(loadedFiles.GetCount(), 2);
    EXPECT_STREQ(loadedFiles.FileAt(1)->FileName.GetText(), "b.jpg");
    EXPECT_EQ(loadedFiles.FileAt(1)->ShownCount, 3u);
}

}  // namespace
