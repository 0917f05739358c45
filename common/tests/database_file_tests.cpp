// The three database files: round trips, the layout rules, damaged files and contended saves.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "KvTestSupport.h"
#include "UDatabase.h"
#include "database_support.h"

using namespace dbtest;

namespace {

class DatabaseFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = FreshFolder("files");
        folderList = dir + "\\FolderList.dat";
        dat = dir + "\\FileListDat.dat";
        str = dir + "\\FileListStr.dat";
    }
    bool SaveSample(int images, int variant = 0)
    {
        CFileCollection files;
        FillSampleImages(files, images, variant);
        return files.SaveToFile(dat.c_str(), str.c_str());
    }
    bool SaveSampleFolders(int count, int variant = 0)
    {
        CFolderCollection folders;
        FillSampleFolders(folders, count, variant);
        return folders.SaveToFile(folderList.c_str());
    }
    std::string dir, folderList, dat, str;
};

void ExpectSameImage(const CImageFile& a, const CImageFile& b, bool texts)
{
    if (texts) {
        EXPECT_TRUE(a.FolderPath.Equals(b.FolderPath)) << a.FolderPath.GetText();
        EXPECT_TRUE(a.FileName.Equals(b.FileName)) << a.FileName.GetText();
    }
    EXPECT_EQ(a.LastWriteTime.dwLowDateTime, b.LastWriteTime.dwLowDateTime);
    EXPECT_EQ(a.LastWriteTime.dwHighDateTime, b.LastWriteTime.dwHighDateTime);
    EXPECT_EQ(a.FileSizeLow, b.FileSizeLow);
    EXPECT_EQ(a.FileSizeHigh, b.FileSizeHigh);
    EXPECT_EQ(a.ShownCount, b.ShownCount);
    EXPECT_EQ(a.ScreenSaverFlags, b.ScreenSaverFlags);
    EXPECT_EQ(a.AverageColor, b.AverageColor);
    EXPECT_EQ(a.FileFlags, b.FileFlags);
    EXPECT_EQ(a.Reserved, b.Reserved);
    EXPECT_EQ(a.RecordPosition, b.RecordPosition);
    EXPECT_EQ(a.PathStringPosition, b.PathStringPosition);
    EXPECT_EQ(a.PathStringLength, b.PathStringLength);
    EXPECT_EQ(a.NameStringPosition, b.NameStringPosition);
    EXPECT_EQ(a.NameStringLength, b.NameStringLength);
}

// Every image a load kept is usable: texts present and bounded, and the list in order.
void ExpectUsableList(const CFileCollection& files, bool texts)
{
    for (int i = 0; i < files.GetCount(); ++i) {
        const CImageFile* image = files.FileAt(i);
        if (texts) {
            EXPECT_GT(image->FolderPath.GetLength(), 0);
            EXPECT_GT(image->FileName.GetLength(), 0);
        }
        EXPECT_LE(image->FolderPath.GetLength(), 499);
        EXPECT_LE(image->FileName.GetLength(), 499);
        EXPECT_GE(image->PathStringLength, 2u);
        EXPECT_LE(image->PathStringLength, DbLayout::kMaxStoredText);
    }
    if (texts) {
        EXPECT_TRUE(IsStrictlySorted(files));
    }
}

}  // namespace

TEST_F(DatabaseFiles, ImageListRoundTrip)
{
    CFileCollection saved;
    FillSampleImages(saved, 500, 0);
    saved.Modified = 1;
    ASSERT_TRUE(saved.SaveToFile(dat.c_str(), str.c_str()));
    EXPECT_EQ(saved.Modified, 0);
    DWORD position = 0;
    for (int i = 0; i < saved.GetCount(); ++i) {
        const CImageFile* image = saved.FileAt(i);
        EXPECT_EQ(image->RecordPosition, 144u + 80u * static_cast<DWORD>(i));
        EXPECT_EQ(image->PathStringPosition, position);
        EXPECT_EQ(image->PathStringLength, static_cast<DWORD>(image->FolderPath.GetLength() + 1));
        position += image->PathStringLength;
        EXPECT_EQ(image->NameStringPosition, position);
        position += image->NameStringLength;
    }
    EXPECT_EQ(ReadBytes(str).size(), position);
    EXPECT_EQ(ReadBytes(dat).size(), 144u + 80u * 500u);

    CFileCollection loaded;
    loaded.Modified = 1;
    ASSERT_TRUE(loaded.LoadFromFile(dat.c_str(), str.c_str()));
    EXPECT_EQ(loaded.Modified, 1);  // loading leaves it as it was
    ASSERT_EQ(loaded.GetCount(), saved.GetCount());
    for (int i = 0; i < saved.GetCount(); ++i)
        ExpectSameImage(*loaded.FileAt(i), *saved.FileAt(i), true);

    // Without the string file: no texts, file order, every number and position as stored.
    CFileCollection bare;
    ASSERT_TRUE(bare.LoadFromFile(dat.c_str(), ""));
    ASSERT_EQ(bare.GetCount(), saved.GetCount());
    for (int i = 0; i < saved.GetCount(); ++i) {
        EXPECT_TRUE(bare.FileAt(i)->FolderPath.IsEmpty());
        ExpectSameImage(*bare.FileAt(i), *saved.FileAt(i), false);
    }
}

TEST_F(DatabaseFiles, FolderListRoundTrip)
{
    CFolderCollection saved;
    FillSampleFolders(saved, 9, 0);
    saved.Modified = 1;
    ASSERT_TRUE(saved.SaveToFile(folderList.c_str()));
    EXPECT_EQ(saved.Modified, 0);
    CFolderCollection loaded;
    ASSERT_TRUE(loaded.LoadFromFile(folderList.c_str()));
    ASSERT_EQ(loaded.GetCount(), 9);
    for (int i = 0; i < 9; ++i) {
        const CImageFolder* a = saved.FolderAt(i);
        const CImageFolder* b = loaded.FolderAt(i);
        EXPECT_TRUE(a->Path.Equals(b->Path));
        EXPECT_EQ(a->IncludeSubfolders, b->IncludeSubfolders);
        EXPECT_EQ(a->AutoScan, b->AutoScan);
        EXPECT_EQ(a->UseForWallpaper, b->UseForWallpaper);
        EXPECT_EQ(a->UseForScreenSaver, b->UseForScreenSaver);
        EXPECT_EQ(a->ImageCount, b->ImageCount);
        EXPECT_EQ(a->Crc, b->Crc);
    }
}

TEST_F(DatabaseFiles, EmptyListsSaveBareHeaders)
{
    CFileCollection files;
    CFolderCollection folders;
    ASSERT_TRUE(files.SaveToFile(dat.c_str(), str.c_str()));
    ASSERT_TRUE(folders.SaveToFile(folderList.c_str()));
    const std::vector<BYTE> records = ReadBytes(dat);
    ASSERT_EQ(records.size(), 144u);
    EXPECT_EQ(Get32(records, 0), 0xFF550014u);
    EXPECT_EQ(Get32(records, 4), 100u);
    EXPECT_EQ(Get32(records, 8), 100u);
    EXPECT_EQ(Get32(records, 12), 0u);
    EXPECT_TRUE(testsupport::PathExists(str));
    EXPECT_EQ(ReadBytes(str).size(), 0u);
    const std::vector<BYTE> list = ReadBytes(folderList);
    ASSERT_EQ(list.size(), 144u);
    EXPECT_EQ(Get32(list, 0), 0xFF550015u);
    EXPECT_TRUE(testsupport::FilesMatching(dir, "*.tmp").empty());
}

TEST_F(DatabaseFiles, VersionWords)
{
    ASSERT_TRUE(SaveSampleFolders(3));
    ASSERT_TRUE(SaveSample(20));
    const std::vector<BYTE> list = ReadBytes(folderList);
    const std::vector<BYTE> records = ReadBytes(dat);
    struct Case {
        size_t offset;
        bool loads;
    };
    for (const Case& c : {Case{4, true}, Case{8, false}}) {
        std::vector<BYTE> changed = list;
        Put32(changed, c.offset, 101);
        WriteBytes(folderList, changed);
        CFolderCollection folders;
        EXPECT_EQ(folders.LoadFromFile(folderList.c_str()), c.loads) << c.offset;
        EXPECT_EQ(folders.GetCount(), c.loads ? 3 : 0);
        changed = records;
        Put32(changed, c.offset, 101);
        WriteBytes(dat, changed);
        CFileCollection files;
        EXPECT_EQ(files.LoadFromFile(dat.c_str(), str.c_str()), c.loads) << c.offset;
        EXPECT_EQ(files.GetCount(), c.loads ? 20 : 0);
    }
}

TEST_F(DatabaseFiles, RepeatedRecordKeepsTheFirst)
{
    ASSERT_TRUE(SaveSample(5));
    std::vector<BYTE> records = ReadBytes(dat);
    for (size_t field = 4; field <= 16; field += 4)
        Put32(records, 144 + 80 * 3 + field, Get32(records, 144 + field));
    Put32(records, 144 + 80 * 3 + 20, 999);
    WriteBytes(dat, records);
    CFileCollection files;
    EXPECT_TRUE(files.LoadFromFile(dat.c_str(), str.c_str()));
    ASSERT_EQ(files.GetCount(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(files.FileAt(i)->ShownCount, 999u);
}

TEST_F(DatabaseFiles, LongFolderPathRoundTrips)
{
    // Longer than the 250 bytes a fixed buffer once allowed, and as long as the scans can produce.
    std::string path = "C:\\";
    while (path.size() < 255)
        path += "deep folder\\";
    path.resize(255);
    for (const std::string& folder : {path, path.substr(0, 250)}) {
        CFileCollection files;
        auto image = std::make_unique<CImageFile>();
        image->FolderPath.Assign(folder.c_str());
        image->FileName.Assign("picture.jpg");
        files.Insert(image.release());
        ASSERT_TRUE(files.SaveToFile(dat.c_str(), str.c_str()));
        CFileCollection loaded;
        ASSERT_TRUE(loaded.LoadFromFile(dat.c_str(), str.c_str()));
        ASSERT_EQ(loaded.GetCount(), 1);
        EXPECT_EQ(std::string(loaded.FileAt(0)->FolderPath.GetText()), folder);

        CFolderCollection folders;
        auto entry = std::make_unique<CImageFolder>();
        entry->Path.Assign(folder.c_str());
        folders.Insert(entry.release());
        ASSERT_TRUE(folders.SaveToFile(folderList.c_str()));
        CFolderCollection loadedFolders;
        ASSERT_TRUE(loadedFolders.LoadFromFile(folderList.c_str()));
        ASSERT_EQ(loadedFolders.GetCount(), 1);
        EXPECT_EQ(std::string(loadedFolders.FolderAt(0)->Path.GetText()), folder);
    }
}

TEST_F(DatabaseFiles, TextsALoaderWouldRefuseAreNotSaved)
{
    ASSERT_TRUE(SaveSample(10));
    const std::vector<BYTE> before = ReadBytes(dat);
    CFileCollection files;
    FillSampleImages(files, 10, 1);
    auto image = std::make_unique<CImageFile>();
    image->FolderPath.Assign(std::string(600, 'x').c_str());
    image->FileName.Assign("a.jpg");
    files.Insert(image.release());
    files.Modified = 1;
    EXPECT_FALSE(files.SaveToFile(dat.c_str(), str.c_str()));
    EXPECT_EQ(files.Modified, 1);
    EXPECT_EQ(ReadBytes(dat), before);
}

// One damaged image list per row, each loaded without a crash or a hang.
TEST_F(DatabaseFiles, DamagedImageLists)
{
    constexpr int kImages = 12;
    struct Case {
        const char* name;
        void (*damage)(std::vector<BYTE>& records, std::vector<BYTE>& strings);
        int imagesLeft;
    };
    const Case cases[] = {
        {"cut inside the third record",
         [](std::vector<BYTE>& r, std::vector<BYTE>&) { r.resize(144 + 80 * 2 + 40); }, 2},
        {"cut inside the header", [](std::vector<BYTE>& r, std::vector<BYTE>&) { r.resize(100); }, 0},
        {"count 0xFFFFFFFF", [](std::vector<BYTE>& r, std::vector<BYTE>&) { Put32(r, 12, 0xFFFFFFFFu); },
         kImages},
        {"count 0, records following", [](std::vector<BYTE>& r, std::vector<BYTE>&) { Put32(r, 12, 0); }, 0},
        {"count one short", [](std::vector<BYTE>& r, std::vector<BYTE>&) { Put32(r, 12, kImages - 1); },
         kImages - 1},
        {"a byte after the last record", [](std::vector<BYTE>& r, std::vector<BYTE>&) { r.push_back(0); },
         kImages},
        {"path length 5000", [](std::vector<BYTE>& r, std::vector<BYTE>&) { Put32(r, 144 + 80 + 8, 5000); },
         kImages - 1},
        {"name length 0", [](std::vector<BYTE>& r, std::vector<BYTE>&) { Put32(r, 144 + 16, 0); },
         kImages - 1},
        {"name beyond the string file",
         [](std::vector<BYTE>& r, std::vector<BYTE>& s) {
             Put32(r, 144 + 80 * 4 + 12, static_cast<DWORD>(s.size()) - 3);
         },
         kImages - 1},
        {"position inside a text",
         [](std::vector<BYTE>& r, std::vector<BYTE>&) {
             Put32(r, 144 + 80 * 5 + 4, Get32(r, 144 + 80 * 5 + 4) + 1);
         },
         kImages - 1},
        {"string file cut", [](std::vector<BYTE>&, std::vector<BYTE>& s) { s.resize(s.size() / 2); }, -1},
        {"terminator overwritten",
         [](std::vector<BYTE>& r, std::vector<BYTE>& s) {
             s[Get32(r, 144 + 4) + Get32(r, 144 + 8) - 1] = 'x';
         },
         kImages - 1},
        {"string file empty", [](std::vector<BYTE>&, std::vector<BYTE>& s) { s.clear(); }, 0},
    };
    ASSERT_TRUE(SaveSample(kImages));
    const std::vector<BYTE> records = ReadBytes(dat);
    const std::vector<BYTE> strings = ReadBytes(str);
    for (const Case& c : cases) {
        std::vector<BYTE> r = records;
        std::vector<BYTE> s = strings;
        c.damage(r, s);
        WriteBytes(dat, r);
        WriteBytes(str, s);
        CFileCollection files;
        const DWORD start = ::GetTickCount();
        EXPECT_FALSE(files.LoadFromFile(dat.c_str(), str.c_str())) << c.name;
        EXPECT_LT(::GetTickCount() - start, testsupport::ScaledMs(2000)) << c.name;
        if (c.imagesLeft >= 0)
            EXPECT_EQ(files.GetCount(), c.imagesLeft) << c.name;
        else
            EXPECT_LT(files.GetCount(), kImages) << c.name;
        ExpectUsableList(files, true);
    }
}

TEST_F(DatabaseFiles, MismatchedRecordAndStringFiles)
{
    // The record file of one list with the string file of another, as after a crash between the
    // two replacements: what loads is consistent, the rest is refused.
    CFileCollection first;
    FillSampleImages(first, 40, 0);
    ASSERT_TRUE(first.SaveToFile(dat.c_str(), str.c_str()));
    const std::vector<BYTE> records = ReadBytes(dat);
    CFileCollection second;
    FillSampleImages(second, 25, 1);
    for (int i = 0; i < second.GetCount(); i += 2)
        second.FileAt(i)->FileName.Append("-longer-name");
    ASSERT_TRUE(second.SaveToFile(dat.c_str(), str.c_str()));
    WriteBytes(dat, records);
    CFileCollection files;
    EXPECT_FALSE(files.LoadFromFile(dat.c_str(), str.c_str()));
    EXPECT_LT(files.GetCount(), 40);
    ExpectUsableList(files, true);
}

TEST_F(DatabaseFiles, DamagedFolderLists)
{
    struct Case {
        const char* name;
        void (*damage)(std::vector<BYTE>& bytes);
        bool result;
        int foldersLeft;
    };
    // Entries of the sample: 40-byte head and a path of 20 bytes with its zero (60 bytes each).
    const Case cases[] = {
        {"count 0xFFFFFFFF", [](std::vector<BYTE>& b) { Put32(b, 12, 0xFFFFFFFFu); }, false, 4},
        {"path length 5000", [](std::vector<BYTE>& b) { Put32(b, 144 + 60 * 2 + 4, 5000); }, false, 2},
        {"path length 0", [](std::vector<BYTE>& b) { Put32(b, 144 + 4, 0); }, false, 0},
        {"cut inside a head", [](std::vector<BYTE>& b) { b.resize(144 + 60 * 3 + 20); }, false, 3},
        {"cut inside a path", [](std::vector<BYTE>& b) { b.resize(144 + 60 * 3 + 45); }, false, 3},
        {"path without its zero", [](std::vector<BYTE>& b) { b[144 + 59] = 'x'; }, true, 4},
        {"wrong entry ID", [](std::vector<BYTE>& b) { Put32(b, 144 + 60 * 3, 0x12345678); }, true, 3},
        {"wrong file ID", [](std::vector<BYTE>& b) { Put32(b, 0, 0xFF550014u); }, false, 0},
        {"a last path of 500 bytes without its zero",
         [](std::vector<BYTE>& b) {
             Put32(b, 144 + 60 * 3 + 4, 500);
             b.resize(144 + 60 * 3 + 40);
             b.insert(b.end(), 500, 'x');
         },
         false, 3},
    };
    ASSERT_TRUE(SaveSampleFolders(4));
    const std::vector<BYTE> valid = ReadBytes(folderList);
    ASSERT_EQ(valid.size(), 144u + 4 * 60);
    for (const Case& c : cases) {
        std::vector<BYTE> bytes = valid;
        c.damage(bytes);
        WriteBytes(folderList, bytes);
        CFolderCollection folders;
        EXPECT_EQ(folders.LoadFromFile(folderList.c_str()), c.result) << c.name;
        EXPECT_EQ(folders.GetCount(), c.foldersLeft) << c.name;
        for (int i = 0; i < folders.GetCount(); ++i)
            EXPECT_GT(folders.FolderAt(i)->Path.GetLength(), 0);
        // What was kept can be saved again.
        EXPECT_TRUE(folders.SaveToFile((dir + "\\saved again.lst").c_str())) << c.name;
    }
}

TEST_F(DatabaseFiles, MissingFiles)
{
    CFileCollection files;
    FillSampleImages(files, 3, 0);
    EXPECT_FALSE(files.LoadFromFile(dat.c_str(), str.c_str()));
    EXPECT_EQ(files.GetCount(), 0);
    ASSERT_TRUE(SaveSample(3));
    ::DeleteFileA(str.c_str());
    EXPECT_FALSE(files.LoadFromFile(dat.c_str(), str.c_str()));
    EXPECT_TRUE(files.LoadFromFile(dat.c_str(), ""));
    EXPECT_EQ(files.GetCount(), 3);
    CFolderCollection folders;
    EXPECT_FALSE(folders.LoadFromFile(folderList.c_str()));
}

// Random damage to valid files: every load ends, and keeps only usable images.
TEST_F(DatabaseFiles, RandomMutationsNeverCrash)
{
    ASSERT_TRUE(SaveSample(30));
    ASSERT_TRUE(SaveSampleFolders(5));
    const std::vector<BYTE> records = ReadBytes(dat);
    const std::vector<BYTE> strings = ReadBytes(str);
    const std::vector<BYTE> list = ReadBytes(folderList);
    const DWORD interesting[] = {0, 1, 2, 80, 144, 255, 499, 500, 501, 5000, 0x7FFFFFFF, 0xFFFFFFFF};
    std::mt19937 random(20240601);
    const DWORD start = ::GetTickCount();
    for (int round = 0; round < 2000; ++round) {
        const int target = static_cast<int>(random() % 3);
        std::vector<BYTE> bytes = target == 0 ? records : target == 1 ? strings : list;
        const int kind = static_cast<int>(random() % 4);
        if (kind == 0) {
            bytes.resize(random() % (bytes.size() + 1));
        } else if (kind == 1 && bytes.size() >= 4) {
            Put32(bytes, (random() % (bytes.size() - 3)) & ~3u, interesting[random() % 12]);
        } else {
            for (int n = 1 + static_cast<int>(random() % 4); n > 0 && !bytes.empty(); --n)
                bytes[random() % bytes.size()] = static_cast<BYTE>(random());
        }
        // The damaged copy goes beside the intact files, which stay as they are.
        const std::string damaged = dir + (target == 0   ? "\\damaged.dat"
                                           : target == 1 ? "\\damaged.str"
                                                         : "\\damaged.lst");
        WriteBytes(damaged, bytes);
        if (target == 2) {
            CFolderCollection folders;
            folders.LoadFromFile(damaged.c_str());
            EXPECT_LE(folders.GetCount(), 5);
        } else {
            const std::string& recordPath = target == 0 ? damaged : dat;
            CFileCollection files;
            files.LoadFromFile(recordPath.c_str(), (target == 1 ? damaged : str).c_str());
            EXPECT_LE(files.GetCount(), 30);
            ExpectUsableList(files, true);
            if (target == 0) {
                CFileCollection bare;
                bare.LoadFromFile(recordPath.c_str(), "");
                ExpectUsableList(bare, false);
            }
        }
        if (HasFailure()) break;
    }
    EXPECT_LT(::GetTickCount() - start, testsupport::ScaledMs(60000));
}

// Another program holds one of the files open (as the engine's readers do): the save refuses,
// both files stay as they were and the list stays marked for saving.
TEST_F(DatabaseFiles, SaveWhileAnotherProcessHoldsAFile)
{
    ASSERT_TRUE(SaveSample(50, 0));
    ASSERT_TRUE(SaveSampleFolders(3, 0));
    const std::vector<BYTE> records = ReadBytes(dat);
    const std::vector<BYTE> strings = ReadBytes(str);
    const std::vector<BYTE> list = ReadBytes(folderList);

    CFileCollection files;
    ASSERT_TRUE(files.LoadFromFile(dat.c_str(), str.c_str()));
    FillSampleImages(files, 60, 1);
    files.Modified = 1;
    const DWORD lastPosition = files.FileAt(files.GetCount() - 1)->RecordPosition;
    CFolderCollection folders;
    FillSampleFolders(folders, 4, 1);
    folders.Modified = 1;

    for (const std::string& held : {str, dat, folderList}) {
        const std::string readyName = UniqueEventName("ready");
        const std::string releaseName = UniqueEventName("release");
        Handle ready(::CreateEventA(nullptr, TRUE, FALSE, readyName.c_str()));
        Handle release(::CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str()));
        testsupport::ChildProcess holder;
        ASSERT_TRUE(StartHelper(holder, "hold \"" + held + "\" " + readyName + " " + releaseName));
        ASSERT_EQ(::WaitForSingleObject(ready.get(), testsupport::ScaledMs(15000)), WAIT_OBJECT_0) << held;

        if (held == folderList)
            EXPECT_FALSE(folders.SaveToFile(folderList.c_str()));
        else
            EXPECT_FALSE(files.SaveToFile(dat.c_str(), str.c_str())) << held;
        EXPECT_EQ(ReadBytes(dat), records) << held;
        EXPECT_EQ(ReadBytes(str), strings) << held;
        EXPECT_EQ(ReadBytes(folderList), list) << held;
        EXPECT_EQ(files.Modified, 1);
        EXPECT_EQ(folders.Modified, 1);
        EXPECT_EQ(files.FileAt(files.GetCount() - 1)->RecordPosition, lastPosition);
        EXPECT_TRUE(testsupport::FilesMatching(dir, "*.tmp").empty());

        ::SetEvent(release.get());
        EXPECT_EQ(WaitForExit(holder, 15000), 0u);
    }
    EXPECT_TRUE(files.SaveToFile(dat.c_str(), str.c_str()));
    EXPECT_EQ(files.Modified, 0);
    EXPECT_TRUE(folders.SaveToFile(folderList.c_str()));
    EXPECT_EQ(folders.Modified, 0);
    EXPECT_NE(ReadBytes(dat), records);
}
