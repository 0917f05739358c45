// Scans, counting twins, change detection, use flags and the rebuild of the image list, on real
// folders of the Wine C: drive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "DbFolderWalk.h"
#include "UDatabase.h"
#include "Ucrc.h"
#include "UTxLog.h"
#include "UTxTime.h"
#include "database_support.h"

using namespace dbtest;

namespace {

constexpr ULONGLONG kJan2020 = 132224078450000000ull;  // 2020-01-02 03:04:05 UTC

DWORD Crc(std::initializer_list<std::string> texts)
{
    DWORD crc = 0;
    for (const std::string& text : texts)
        crc = Crc32String(crc, text.c_str());
    return crc;
}

std::unique_ptr<CImageFolder> MakeFolder(const std::string& path, bool tree)
{
    auto folder = std::make_unique<CImageFolder>();
    folder->Path.Assign(path.c_str());
    folder->IncludeSubfolders = tree ? 1 : 0;
    return folder;
}

std::vector<std::string> Keys(const CFileCollection& files)
{
    std::vector<std::string> keys;
    for (int i = 0; i < files.GetCount(); ++i)
        keys.push_back(std::string(files.FileAt(i)->FolderPath.GetText()) + "|" +
                       files.FileAt(i)->FileName.GetText());
    return keys;
}

}  // namespace

TEST(DatabaseCrc, KnownValues)
{
    EXPECT_EQ(Crc32String(0, "abc"), 0xCA6598D0u);
    EXPECT_EQ(Crc32String(0x12345678u, nullptr), 0x12345678u);
    EXPECT_EQ(Crc32String(0x12345678u, ""), 0x12345678u);
    // No inversion, so a CRC goes on from where the last text left it.
    EXPECT_EQ(Crc32String(Crc32String(0, "ab"), "c"), Crc32String(0, "abc"));
    // Bytes are taken unsigned and case is not folded.
    EXPECT_NE(Crc32String(0, "A"), Crc32String(0, "a"));
    EXPECT_EQ(Crc32String(0, "\xE9"), Crc32String(Crc32String(0, ""), "\xE9"));
}

TEST(DatabaseScan, JpegNames)
{
    struct Case {
        const char* name;
        bool jpeg;
    };
    const Case cases[] = {
        {"photo.jpg", true},      {"photo.JPEG", true}, {"a.b.JpG", true},    {".jpg", true},
        {"photo.jpg.txt", false}, {"photojpg", false},  {"photo.jpe", false}, {"photo.jpeg ", false},
        {"photo.", false},        {"", false},          {"photo.gif", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsJpegFileName(c.name), c.jpeg) << c.name;
    EXPECT_FALSE(IsJpegFileName(nullptr));
}

// x.jpg in A, y.JPEG in A\Sub; B scanned flat holds photo.JPEG and things that are not images.
class ScanFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = FreshFolder("scan");
        a = root + "\\A";
        sub = a + "\\Sub";
        b = root + "\\B";
        MakeDirectory(sub);
        MakeDirectory(b + "\\q.jpg");
        MakeFile(a + "\\x.jpg", 3, kJan2020);
        MakeFile(sub + "\\y.JPEG", 5, kJan2020 + 10000000);
        MakeFile(b + "\\photo.JPEG", 7, kJan2020);
        MakeFile(b + "\\z.txt");
        MakeFile(b + "\\d.jpg.txt");
        MakeFile(b + "\\noext");
        MakeFile(b + "\\q.jpg\\inner.jpg");
    }
    std::string root, a, sub, b;
};

TEST_F(ScanFixture, TreeScanFoldsSubfoldersFirst)
{
    CFileCollection files;
    auto folder = MakeFolder(a, true);
    folder->AddFilesToCollection(files);
    EXPECT_EQ(folder->ImageCount, 2u);
    EXPECT_EQ(folder->Crc, Crc({sub, "y.JPEG", a, "x.jpg"}));
    ASSERT_EQ(files.GetCount(), 2);
    EXPECT_EQ(Keys(files), (std::vector<std::string>{a + "|x.jpg", sub + "|y.JPEG"}));
    EXPECT_EQ(files.Modified, 1);
    const CImageFile* y = files.FileAt(1);
    EXPECT_EQ(y->FileSizeLow, 5u);
    EXPECT_EQ(y->FileSizeHigh, 0u);
    EXPECT_EQ(FileTimeUnits(y->LastWriteTime), kJan2020 + 10000000);
    EXPECT_EQ(y->AverageColor, 0xFFFFFFFFu);
    EXPECT_EQ(y->ShownCount | y->FileFlags | y->ScreenSaverFlags | y->Reserved, 0u);
}

TEST_F(ScanFixture, FlatScanTakesOnlyJpegFiles)
{
    CFileCollection files;
    auto folder = MakeFolder(b, false);
    folder->AddFilesToCollection(files);
    EXPECT_EQ(folder->ImageCount, 1u);
    EXPECT_EQ(folder->Crc, Crc({b, "photo.JPEG"}));
    EXPECT_EQ(Keys(files), (std::vector<std::string>{b + "|photo.JPEG"}));
}

TEST_F(ScanFixture, CountingTwinsFoldWhatTheScansFold)
{
    // A bigger tree, where the search order is the file system's.
    for (int d = 0; d < 4; ++d) {
        const std::string dir = root + "\\T\\d" + std::to_string(d) + (d % 2 ? "\\deeper" : "");
        MakeDirectory(dir);
        for (int f = 0; f < 12; ++f)
            MakeFile(dir + "\\img" + std::to_string(f) + (f % 3 ? ".jpg" : ".png"));
    }
    for (bool tree : {true, false}) {
        CFileCollection files;
        auto folder = MakeFolder(root + (tree ? "\\T" : "\\B"), tree);
        folder->AddFilesToCollection(files);
        const DWORD count = folder->ImageCount;
        const DWORD crc = folder->Crc;
        EXPECT_EQ(count, static_cast<DWORD>(files.GetCount()));
        EXPECT_FALSE(folder->HasChanged()) << tree;
        EXPECT_EQ(folder->ImageCount, count);
        EXPECT_EQ(folder->Crc, crc);
    }
}

TEST_F(ScanFixture, EmptyFolderFoldsItsPathAlone)
{
    MakeDirectory(root + "\\Empty");
    CFileCollection files;
    auto folder = MakeFolder(root + "\\Empty", true);
    folder->AddFilesToCollection(files);
    EXPECT_EQ(folder->ImageCount, 0u);
    EXPECT_EQ(folder->Crc, Crc({root + "\\Empty"}));
    EXPECT_EQ(files.Modified, 0);
}

TEST_F(ScanFixture, RenameIsAChangeEvenWithTheSameCount)
{
    CFileCollection files;
    auto folder = MakeFolder(a, true);
    folder->AddFilesToCollection(files);
    EXPECT_FALSE(folder->HasChanged());
    ASSERT_TRUE(::MoveFileA((a + "\\x.jpg").c_str(), (a + "\\x2.jpg").c_str()));
    EXPECT_TRUE(folder->HasChanged());
    EXPECT_EQ(folder->ImageCount, 2u);
    EXPECT_EQ(folder->Crc, Crc({sub, "y.JPEG", a, "x2.jpg"}));
    EXPECT_FALSE(folder->HasChanged());  // the new signature is kept
}

TEST_F(ScanFixture, CheckForChangesOnDiskHonoursAutoScan)
{
    CFolderCollection folders;
    CFileCollection files;
    auto fa = MakeFolder(a, true);
    auto fb = MakeFolder(b, false);
    CImageFolder* folderB = fb.get();
    folders.Insert(fa.release());
    folders.Insert(fb.release());
    folders.RecalculateAllFolders(files);
    EXPECT_FALSE(folders.CheckForChangesOnDisk(true));
    folderB->AutoScan = 0;
    MakeFile(b + "\\new.jpg");
    EXPECT_FALSE(folders.CheckForChangesOnDisk(false));
    EXPECT_TRUE(folders.CheckForChangesOnDisk(true));
}

// The test drive K: shows C:\kvtest\scan, so A and B are K:\A and K:\B there.
constexpr char kTestDrive = 'K';

TEST_F(ScanFixture, AFolderOnAnUnpluggedDriveCountsAsUnchangedAndKeepsItsImages)
{
    ASSERT_TRUE(PlugTestDrive(kTestDrive, root));
    // The drive goes with the test, however it ends.
    struct Unplug {
        ~Unplug() { UnplugTestDrive(kTestDrive); }
    } unplug;
    const std::string driveA = "K:\\A";
    const std::string driveSub = driveA + "\\Sub";
    CFolderCollection folders;
    CFileCollection files;
    folders.Insert(MakeFolder(driveA, true).release());
    folders.Insert(MakeFolder(b, false).release());
    folders.RecalculateAllFolders(files);
    ASSERT_EQ(files.GetCount(), 3);
    for (int i = 0; i < files.GetCount(); ++i) {
        files.FileAt(i)->ShownCount = 10 + i;
        files.FileAt(i)->FileFlags |= FLAG_EXCLUDE_IMAGE;
        files.FileAt(i)->AverageColor = 0x123456;
    }
    CImageFolder* folderA = folders.FolderAt(1);
    ASSERT_EQ(std::string(folderA->Path.GetText()), driveA);
    const DWORD count = folderA->ImageCount;
    const DWORD crc = folderA->Crc;

    // The drive goes away: A is unchanged, and a rebuild caused by B keeps A's images whole.
    ASSERT_TRUE(UnplugTestDrive(kTestDrive));
    EXPECT_FALSE(folderA->HasChanged());
    EXPECT_EQ(folderA->ImageCount, count);
    EXPECT_EQ(folderA->Crc, crc);
    MakeFile(b + "\\new.jpg");
    EXPECT_TRUE(folders.CheckForChangesOnDisk(true));
    folders.RecalculateAllFolders(files);
    EXPECT_EQ(Keys(files), (std::vector<std::string>{b + "|new.jpg", b + "|photo.JPEG", driveA + "|x.jpg",
                                                     driveSub + "|y.JPEG"}));
    for (int i : {2, 3}) {
        EXPECT_EQ(files.FileAt(i)->ShownCount, static_cast<DWORD>(9 + i));
        EXPECT_TRUE(files.FileAt(i)->FileFlags & FLAG_EXCLUDE_IMAGE);
        EXPECT_EQ(files.FileAt(i)->AverageColor, 0x123456u);
    }
    EXPECT_EQ(folderA->ImageCount, count);
    EXPECT_EQ(folderA->Crc, crc);
    EXPECT_EQ(files.FileAt(0)->ShownCount, 0u);
    EXPECT_TRUE(IsStrictlySorted(files));

    // Plugged in again, nothing changed in A.
    ASSERT_TRUE(PlugTestDrive(kTestDrive, root));
    EXPECT_FALSE(folderA->HasChanged());
}

TEST_F(ScanFixture, AFolderGoneFromAPresentDriveLosesItsImagesAtTheNextCheck)
{
    CFolderCollection folders;
    CFileCollection files;
    folders.Insert(MakeFolder(a, true).release());
    folders.Insert(MakeFolder(b, false).release());
    folders.RecalculateAllFolders(files);
    ASSERT_EQ(files.GetCount(), 3);
    for (int i = 0; i < files.GetCount(); ++i)
        files.FileAt(i)->ShownCount = 10 + i;
    CImageFolder* folderA = folders.FolderAt(0);
    CImageFolder* folderB = folders.FolderAt(1);
    ASSERT_EQ(std::string(folderA->Path.GetText()), a);

    // Deleted (here: moved out of reach) while its drive stays: the check reports it changed.
    ASSERT_TRUE(::MoveFileA(a.c_str(), (root + "\\A-deleted").c_str()));
    EXPECT_TRUE(folders.CheckForChangesOnDisk(false));
    EXPECT_EQ(folderA->ImageCount, 0u);
    folders.RecalculateAllFolders(files);
    EXPECT_EQ(Keys(files), (std::vector<std::string>{b + "|photo.JPEG"}));
    EXPECT_EQ(files.FileAt(0)->ShownCount, 12u);  // B's image keeps its values
    EXPECT_EQ(folderA->ImageCount, 0u);
    EXPECT_EQ(folderB->ImageCount, 1u);
    // Nothing more changes while it stays away.
    EXPECT_FALSE(folders.CheckForChangesOnDisk(true));
}

TEST(VolumeRoot, OfDriveAndSharePaths)
{
    const struct {
        const char* path;
        const char* root;
    } cases[] = {
        {"C:\\Photos\\2020", "C:\\"},
        {"c:/Photos", "c:\\"},
        {"K:\\", "K:\\"},
        {"\\\\server\\share\\Photos\\2020", "\\\\server\\share\\"},
        {"\\\\server\\share", "\\\\server\\share\\"},
        {"\\\\server", "\\\\server\\"},
        {"Photos\\2020", ""},
        {"C:Photos", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VolumeRootOf(c.path), c.root) << c.path;
}

TEST_F(ScanFixture, NamesTheCodePageCannotHoldAreSkipped)
{
    const std::wstring wide = std::wstring(b.begin(), b.end()) + L"\\\x4E2D\x6587.jpg";
    FileHandle file(::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(static_cast<bool>(file));
    file.reset();
    CFileCollection files;
    auto folder = MakeFolder(b, false);
    folder->AddFilesToCollection(files);
    EXPECT_EQ(Keys(files), (std::vector<std::string>{b + "|photo.JPEG"}));
    EXPECT_EQ(folder->Crc, Crc({b, "photo.JPEG"}));
    EXPECT_FALSE(folder->HasChanged());
}

// An image whose whole path passes the system's limit could be listed but never opened by the
// engine: it is not taken, and its name does not enter the CRC.
TEST_F(ScanFixture, ImagesWhosePathIsTooLongAreSkipped)
{
    const std::string deep = b + "\\" + std::string(250 - b.size() - 1, 'd');
    ASSERT_EQ(deep.size(), 250u);
    const auto wide = [](const std::string& path) {
        return L"\\\\?\\" + std::wstring(path.begin(), path.end());
    };
    const char* const names[] = {"a.jpg", "long-name.jpg"};
    // The usual clean-up's ANSI calls cannot reach these paths: removed through wide ones, whatever
    // becomes of the test, so that the next set-up can empty the folder.
    struct Cleanup {
        std::function<void()> remove;
        ~Cleanup() { remove(); }
    } cleanup{[&] {
        for (const char* name : names)
            ::DeleteFileW(wide(deep + "\\" + name).c_str());
        ::RemoveDirectoryW(wide(deep).c_str());
    }};
    ASSERT_TRUE(::CreateDirectoryW(wide(deep).c_str(), nullptr));
    for (const char* name : names) {
        FileHandle file(::CreateFileW(wide(deep + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(static_cast<bool>(file)) << name;
    }
    CFileCollection files;
    auto folder = MakeFolder(deep, false);
    folder->AddFilesToCollection(files);
    // deep + "\a.jpg" has 256 characters; deep + "\long-name.jpg" 264, past the 259 allowed.
    EXPECT_EQ(Keys(files), (std::vector<std::string>{deep + "|a.jpg"}));
    EXPECT_EQ(folder->Crc, Crc({deep, "a.jpg"}));
    EXPECT_FALSE(folder->HasChanged());
}

TEST_F(ScanFixture, NestedListedFolderIsRefusedAndAlwaysChanged)
{
    CFolderCollection folders;
    CFileCollection files;
    folders.Insert(MakeFolder(a, true).release());
    folders.Insert(MakeFolder(sub, false).release());
    folders.RecalculateAllFolders(files);
    EXPECT_EQ(files.GetCount(), 2);
    CImageFolder* nested = folders.FolderAt(1);
    ASSERT_EQ(std::string(nested->Path.GetText()), sub);
    EXPECT_EQ(nested->ImageCount, 0u);
    EXPECT_TRUE(nested->HasChanged());
    folders.RecalculateAllFolders(files);
    EXPECT_TRUE(nested->HasChanged());
}

TEST_F(ScanFixture, RecalculateKeepsTheValuesOfSurvivingImages)
{
    CFolderCollection folders;
    CFileCollection files;
    folders.Insert(MakeFolder(a, true).release());
    folders.Insert(MakeFolder(b, false).release());
    folders.RecalculateAllFolders(files);
    ASSERT_EQ(files.GetCount(), 3);
    CImageFile* x = files.FileAt(0);
    x->ShownCount = 4;
    x->ScreenSaverFlags = FLAG_SHOWN_BY_TIME;
    x->FileFlags = FLAG_EXCLUDE_IMAGE;
    x->Reserved = 0xABCD;
    x->AverageColor = 0x00102030;
    for (int i = 0; i < files.GetCount(); ++i)
        if (files.FileAt(i)->FileName.Equals("photo.JPEG")) files.FileAt(i)->Reserved = 0x1234;
    files.Modified = 0;
    folders.Modified = 0;

    MakeFile(a + "\\x.jpg", 11, kJan2020 + 50000000);  // rewritten on disk
    ::DeleteFileA((sub + "\\y.JPEG").c_str());
    MakeFile(sub + "\\fresh.jpg");
    folders.RecalculateAllFolders(files);
    EXPECT_EQ(Keys(files), (std::vector<std::string>{a + "|x.jpg", sub + "|fresh.jpg", b + "|photo.JPEG"}));
    const CImageFile* rescanned = files.FileAt(0);
    EXPECT_EQ(rescanned->ShownCount, 4u);
    EXPECT_EQ(rescanned->ScreenSaverFlags, FLAG_SHOWN_BY_TIME);
    EXPECT_EQ(rescanned->FileFlags, FLAG_EXCLUDE_IMAGE | FLAG_USE_FOR_WALLPAPER | FLAG_USE_FOR_SCREENSAVER);
    // Reserved is kept only while the file's write time and size are those it was kept for.
    EXPECT_EQ(rescanned->Reserved, 0u);
    EXPECT_EQ(files.FileAt(2)->Reserved, 0x1234u);
    EXPECT_EQ(rescanned->AverageColor, 0xFFFFFFFFu);  // the colour is unknown again
    EXPECT_EQ(rescanned->FileSizeLow, 11u);
    EXPECT_EQ(rescanned->LastWriteTime.dwLowDateTime, static_cast<DWORD>(kJan2020 + 50000000));
    EXPECT_EQ(files.FileAt(1)->ShownCount, 0u);
    EXPECT_EQ(files.Modified, 1);
    EXPECT_EQ(folders.Modified, 1);
}

namespace {

// Refuses to grow past a set size, as an exhausted heap would.
class CappedFileCollection : public CFileCollection {
public:
    int cap = 1 << 30;
    void SetLimit(int limit) override
    {
        if (limit > cap) ThrowTxMessage(TXMSG_NO_MEMORY);
        CFileCollection::SetLimit(limit);
    }
};

}  // namespace

TEST_F(ScanFixture, FailedRecalculatePutsTheOldListBack)
{
    const std::string big = root + "\\Big";
    MakeDirectory(big);
    for (int i = 0; i < 40; ++i)
        MakeFile(big + "\\p" + std::to_string(i) + ".jpg");
    CFolderCollection folders;
    folders.Insert(MakeFolder(a, true).release());
    folders.Insert(MakeFolder(big, false).release());
    CappedFileCollection files;
    folders.RecalculateAllFolders(files);  // 2 + 40 images fit the first limit of 32 grown once
    ASSERT_EQ(files.GetCount(), 42);
    std::vector<const CImageFile*> before;
    for (int i = 0; i < files.GetCount(); ++i) {
        files.FileAt(i)->ShownCount = static_cast<DWORD>(i);
        before.push_back(files.FileAt(i));
    }
    files.Modified = 0;
    folders.Modified = 0;
    const DWORD bigCount = folders.FolderAt(1)->ImageCount;
    const DWORD bigCrc = folders.FolderAt(1)->Crc;

    for (int i = 40; i < 80; ++i)
        MakeFile(big + "\\p" + std::to_string(i) + ".jpg");
    files.cap = 50;
    EXPECT_THROW(folders.RecalculateAllFolders(files), ExNormal);
    ASSERT_EQ(files.GetCount(), 42);
    for (int i = 0; i < files.GetCount(); ++i) {
        EXPECT_EQ(files.FileAt(i), before[static_cast<size_t>(i)]);
        EXPECT_EQ(files.FileAt(i)->ShownCount, static_cast<DWORD>(i));
    }
    EXPECT_EQ(files.Modified, 0);
    EXPECT_EQ(folders.Modified, 0);
    EXPECT_EQ(folders.FolderAt(1)->ImageCount, bigCount);
    EXPECT_EQ(folders.FolderAt(1)->Crc, bigCrc);
}

TEST(DatabaseUseFlags, CopyUseAttributes)
{
    struct FolderDef {
        const char* path;
        bool tree;
        bool wallpaper;
        bool screenSaver;
    };
    const FolderDef folderDefs[] = {
        {"C:\\Pics", true, false, true},
        {"C:\\Flat", false, true, false},
        {"C:\\Pics\\Late", false, true, true},  // after C:\Pics in order: wins for its own images
    };
    struct ImageCase {
        const char* folder;
        DWORD flagsBefore;
        DWORD flagsAfter;
    };
    const ImageCase cases[] = {
        {"C:\\Pics", FLAG_EXCLUDE_IMAGE | FLAG_USE_FOR_WALLPAPER,
         FLAG_EXCLUDE_IMAGE | FLAG_USE_FOR_SCREENSAVER},
        {"c:\\pics\\Sub", 0, FLAG_USE_FOR_SCREENSAVER},
        {"C:\\PicsExtra", 0, FLAG_USE_FOR_SCREENSAVER},  // the plain prefix rule
        {"C:\\Pics\\Late", 0, FLAG_USE_FOR_WALLPAPER | FLAG_USE_FOR_SCREENSAVER},
        {"C:\\Pics\\Late\\Deeper", 0, FLAG_USE_FOR_SCREENSAVER},
        {"C:\\Flat", FLAG_USE_FOR_SCREENSAVER, FLAG_USE_FOR_WALLPAPER},
        {"C:\\Flat\\Sub", FLAG_USE_FOR_SCREENSAVER, FLAG_USE_FOR_SCREENSAVER},  // no folder applies
        {"D:\\Elsewhere", 0x2 | FLAG_USE_FOR_WALLPAPER, 0x2 | FLAG_USE_FOR_WALLPAPER},
    };
    CFolderCollection folders;
    for (const FolderDef& def : folderDefs) {
        auto folder = MakeFolder(def.path, def.tree);
        folder->UseForWallpaper = def.wallpaper;
        folder->UseForScreenSaver = def.screenSaver;
        folders.Insert(folder.release());
    }
    CFileCollection files;
    for (const ImageCase& c : cases) {
        auto image = std::make_unique<CImageFile>();
        image->FolderPath.Assign(c.folder);
        image->FileName.Assign("a.jpg");
        image->FileFlags = c.flagsBefore;
        ASSERT_TRUE(files.Insert(image.release()));
    }
    folders.CopyUseAttributes(files);
    EXPECT_EQ(files.Modified, 1);
    for (const ImageCase& c : cases) {
        for (int i = 0; i < files.GetCount(); ++i) {
            if (std::string(files.FileAt(i)->FolderPath.GetText()) == c.folder) {
                EXPECT_EQ(files.FileAt(i)->FileFlags, c.flagsAfter) << c.folder;
            }
        }
    }
}

// The bulk insert of a directory's images must end exactly as one insert after another would.
TEST(DatabaseInsert, FolderBatchMatchesOneByOneInserts)
{
    const char alphabet[] = "aAbBcCzZ019 ._-'!()&,~[]+=#$%;@\xE9\xC9\xE4\xC4\xDF\xE6\xF1";
    std::mt19937 random(12345);
    auto randomName = [&]() {
        std::string name;
        const int length = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < length; ++i)
            name += alphabet[random() % (sizeof alphabet - 1)];
        return name + (random() % 2 ? ".jpg" : ".JPG");
    };
    const char* folders[] = {"C:\\B", "C:\\a", "c:\\b\\x", "C:\\B"};
    for (int round = 0; round < 20; ++round) {
        CFileCollection bulk;
        CFileCollection single;
        for (const char* folder : folders) {
            std::vector<std::unique_ptr<CImageFile>> batch;
            const int n = 1 + static_cast<int>(random() % 60);
            for (int i = 0; i < n; ++i) {
                auto image = std::make_unique<CImageFile>();
                image->FolderPath.Assign(folder);
                image->FileName.Assign(randomName().c_str());
                image->ShownCount = static_cast<DWORD>(i);
                batch.push_back(std::move(image));
            }
            std::vector<bool> singleTook;
            for (const auto& image : batch) {
                auto copy = std::make_unique<CImageFile>(*image);
                singleTook.push_back(single.Insert(copy.get()));
                if (singleTook.back()) copy.release();
            }
            bulk.InsertFolderImages(batch);
            for (size_t i = 0; i < batch.size(); ++i)
                EXPECT_EQ(!batch[i], singleTook[i]) << round << " " << i;
        }
        ASSERT_EQ(bulk.GetCount(), single.GetCount());
        for (int i = 0; i < bulk.GetCount(); ++i) {
            EXPECT_TRUE(bulk.FileAt(i)->FolderPath.Equals(single.FileAt(i)->FolderPath));
            EXPECT_TRUE(bulk.FileAt(i)->FileName.Equals(single.FileAt(i)->FileName));
            EXPECT_EQ(bulk.FileAt(i)->ShownCount, single.FileAt(i)->ShownCount);
        }
        EXPECT_TRUE(IsStrictlySorted(bulk));
    }
}

TEST_F(ScanFixture, ChangesAndSkipsAreLogged)
{
    CFolderCollection folders;
    CFileCollection files;
    folders.Insert(MakeFolder(a, true).release());
    ASSERT_TRUE(UnplugTestDrive(kTestDrive));
    folders.Insert(MakeFolder("K:\\Gone", false).release());
    folders.RecalculateAllFolders(files);
    const DWORD crc = folders.FolderAt(0)->Crc;
    MakeFile(a + "\\added.jpg");

    const std::string logPath = root + "\\log.txt";
    ASSERT_TRUE(g_Log.OpenFile(logPath.c_str()));
    EXPECT_TRUE(folders.CheckForChangesOnDisk(true));
    CImageFolder* folderA = folders.FolderAt(0);
    folderA->AddFile(files, a.c_str(), "x.jpg", TxFileInfo());
    EXPECT_FALSE(folders.FolderAt(1)->HasChanged());
    g_Log.CloseFile();

    const std::vector<BYTE> bytes = ReadBytes(logPath);
    const std::string log(bytes.begin(), bytes.end());
    char counts[200];
    std::snprintf(counts, sizeof counts, "Original count=2, crc=0x%x. Current count=3, crc=0x%x",
                  static_cast<unsigned>(crc), static_cast<unsigned>(folderA->Crc));
    for (const std::string& line :
         {std::string("CFolderCollection::CheckForChangesOnDisk"), "Changes detected in the folder: " + a,
          std::string(counts), "CImageFolder::AddFile: Duplicate found: " + a + "\\x.jpg",
          std::string("Folder not reachable, its images are kept: K:\\Gone")}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    }
}

namespace {

// R holds r.jpg and A, A holds a.jpg and B, B holds b.jpg: one JPEG and at most one real subfolder
// per directory, so the CRC does not depend on the order the file system lists entries in.
class LinkedTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string base = "C:\\kvtest\\links";
        root = base + "\\R";
        upLink = root + "\\A\\up";
        selfLink = root + "\\A\\B\\self";
        // Links a run that ended early left behind would take the clearing below out of the tree.
        ASSERT_TRUE(RemoveUnixSymlink(upLink));
        ASSERT_TRUE(RemoveUnixSymlink(selfLink));
        FreshFolder("links");
        MakeDirectory(root + "\\A\\B");
        MakeFile(root + "\\r.jpg");
        MakeFile(root + "\\A\\a.jpg");
        MakeFile(root + "\\A\\B\\b.jpg");
    }
    void TearDown() override
    {
        RemoveUnixSymlink(upLink);
        RemoveUnixSymlink(selfLink);
    }
    std::string root, upLink, selfLink;
};

}  // namespace

// What the scan of the tree without links gave before links were guarded against.
constexpr DWORD kLinkFreeTreeCrc = 0x22FC50BD;

// A link in A back to its parent R and one in B to B itself: each photo is found once, the scan ends
// at once, and count and CRC are those of the tree without the links.
TEST_F(LinkedTree, LinksAreNotFollowed)
{
    const std::string a = root + "\\A";
    const std::string b = a + "\\B";
    {
        CFileCollection files;
        auto folder = MakeFolder(root, true);
        folder->AddFilesToCollection(files);
        EXPECT_EQ(folder->ImageCount, 3u);
        EXPECT_EQ(folder->Crc, kLinkFreeTreeCrc);
        EXPECT_EQ(folder->Crc, Crc({b, "b.jpg", a, "a.jpg", root, "r.jpg"}));
    }

    ASSERT_TRUE(MakeUnixSymlink(upLink, ".."));
    ASSERT_TRUE(MakeUnixSymlink(selfLink, "."));
    // Wine follows both: each looks like the directory it points to.
    ASSERT_TRUE(testsupport::PathExists(upLink + "\\A\\B\\b.jpg"));
    ASSERT_TRUE(testsupport::PathExists(selfLink + "\\b.jpg"));

    CFileCollection files;
    auto folder = MakeFolder(root, true);
    const DWORD start = ::GetTickCount();
    folder->AddFilesToCollection(files);
    const DWORD scanMs = ::GetTickCount() - start;
    std::printf("scan of the tree with two links: %lu ms\n", static_cast<unsigned long>(scanMs));
    EXPECT_LT(scanMs, testsupport::ScaledMs(1000));
    EXPECT_EQ(Keys(files), (std::vector<std::string>{root + "|r.jpg", a + "|a.jpg", b + "|b.jpg"}));
    EXPECT_EQ(folder->ImageCount, 3u);
    EXPECT_EQ(folder->Crc, kLinkFreeTreeCrc);
    // The counting twin walks the same way, so the folder is unchanged.
    EXPECT_FALSE(folder->HasChanged());
}

// A folder path that is not absolute would search whatever the current directory is: "Z:" walks the
// current directory of a whole drive. Such a folder is skipped, logged, and never counts as changed.
TEST(DatabaseWalk, FolderPathsThatAreNotAbsoluteAreSkipped)
{
    const std::string root = FreshFolder("relative");
    MakeFile(root + "\\here.jpg");
    struct PathCase {
        std::string path;
        bool absolute;
    };
    const PathCase cases[] = {
        {"Z:", false},
        {"C:", false},
        {"C:kvtest\\relative", false},
        {"kvtest\\relative", false},
        {"\\kvtest\\relative", false},
        {"\\\\", false},
        {"", false},
        {root, true},
        {"c:/kvtest/relative", true},
        {"\\\\server\\share\\photos", true},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(IsAbsoluteFolderPath(c.path.c_str()), c.absolute) << c.path;

    // The current directory holds an image, as the root of a drive with photos would.
    char previous[MAX_PATH];
    ASSERT_NE(::GetCurrentDirectoryA(MAX_PATH, previous), 0u);
    ASSERT_TRUE(::SetCurrentDirectoryA(root.c_str()));
    const std::string logPath = "C:\\kvtest\\relative_log.txt";
    ::DeleteFileA(logPath.c_str());
    ASSERT_TRUE(g_Log.OpenFile(logPath.c_str()));
    for (const char* path : {"C:", ".", "relative"}) {
        for (bool tree : {false, true}) {
            CFileCollection files;
            auto folder = MakeFolder(path, tree);
            folder->AddFilesToCollection(files);
            EXPECT_EQ(files.GetCount(), 0) << path;
            EXPECT_EQ(folder->ImageCount, 0u) << path;
            EXPECT_EQ(folder->Crc, 0u) << path;
            folder->ImageCount = 7;
            EXPECT_FALSE(folder->HasChanged()) << path;
            EXPECT_EQ(folder->ImageCount, 7u) << path;
        }
    }
    g_Log.CloseFile();
    ::SetCurrentDirectoryA(previous);
    const std::vector<BYTE> bytes = ReadBytes(logPath);
    const std::string log(bytes.begin(), bytes.end());
    EXPECT_NE(log.find("!Skipping an image folder whose path is not absolute: C:"), std::string::npos) << log;
}

// A chain of folders deeper than the walk goes: what lies within the bound is found, the rest is
// left with a log line, and scan and count still agree.
TEST(DatabaseWalk, TheWalkStopsAtItsDepthBound)
{
    const std::string root = FreshFolder("deep");
    std::string directory = root;
    for (int depth = 1; depth <= 66; ++depth) {
        directory += "\\d";
        MakeDirectory(directory);
        MakeFile(directory + "\\at" + std::to_string(depth) + ".jpg");
    }
    const std::string logPath = "C:\\kvtest\\deep_log.txt";
    ::DeleteFileA(logPath.c_str());
    ASSERT_TRUE(g_Log.OpenFile(logPath.c_str()));
    CFileCollection files;
    auto folder = MakeFolder(root, true);
    folder->AddFilesToCollection(files);
    EXPECT_FALSE(folder->HasChanged());
    g_Log.CloseFile();

    EXPECT_EQ(files.GetCount(), 64);
    EXPECT_EQ(folder->ImageCount, 64u);
    std::string deepest = root;
    for (int depth = 1; depth <= 64; ++depth)
        deepest += "\\d";
    bool found64 = false;
    for (const std::string& key : Keys(files)) {
        EXPECT_EQ(key.find("at65"), std::string::npos) << key;
        if (key == deepest + "|at64.jpg") found64 = true;
    }
    EXPECT_TRUE(found64);
    const std::vector<BYTE> bytes = ReadBytes(logPath);
    const std::string log(bytes.begin(), bytes.end());
    EXPECT_NE(log.find("!Not searched, deeper than 64 levels below the image folder: " + deepest + "\\d"),
              std::string::npos)
        << log;
}
