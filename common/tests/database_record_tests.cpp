// Rewriting one image's record in place, and reading one image's texts, as the engine does.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "UDatabase.h"
#include "database_support.h"

using namespace dbtest;

namespace {

class DatabaseRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = FreshFolder("record");
        dat = dir + "\\FileListDat.dat";
        str = dir + "\\FileListStr.dat";
        CFileCollection files;
        FillSampleImages(files, 20, 0);
        ASSERT_TRUE(files.SaveToFile(dat.c_str(), str.c_str()));
        ASSERT_TRUE(loaded.LoadFromFile(dat.c_str(), ""));  // as the engine loads it: no texts
        ASSERT_EQ(loaded.GetCount(), 20);
    }
    std::string dir, dat, str;
    CFileCollection loaded;
};

// The offsets an in-place update may change.
const std::set<size_t> kUpdatedOffsets = {20, 24, 28, 32, 56};

void ExpectOnlyRecordValuesChanged(const std::vector<BYTE>& before, const std::vector<BYTE>& after,
                                   size_t record)
{
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); i += 4) {
        const bool mayChange = i >= record && i < record + 80 && kUpdatedOffsets.count(i - record);
        if (!mayChange) {
            EXPECT_EQ(Get32(before, i), Get32(after, i)) << "offset " << i;
        }
    }
}

}  // namespace

TEST_F(DatabaseRecord, WritesTheFiveValuesAtItsPosition)
{
    const std::vector<BYTE> before = ReadBytes(dat);
    CImageFile* image = loaded.FileAt(7);
    ASSERT_EQ(image->RecordPosition, 144u + 80u * 7);
    image->ShownCount = 1234;
    image->ScreenSaverFlags = FLAG_SHOWN_RANDOM | FLAG_SHOWN_BY_TIME;
    image->FileFlags ^= FLAG_EXCLUDE_IMAGE;
    image->Reserved = 0x0BADF00D;
    image->AverageColor = 0x00ABCDEF;
    EXPECT_TRUE(image->UpdateRecordInFile(dat.c_str()));
    const std::vector<BYTE> after = ReadBytes(dat);
    ExpectOnlyRecordValuesChanged(before, after, image->RecordPosition);
    EXPECT_EQ(Get32(after, image->RecordPosition + 20), 1234u);
    EXPECT_EQ(Get32(after, image->RecordPosition + 24), 3u);
    EXPECT_EQ(Get32(after, image->RecordPosition + 28), image->FileFlags);
    EXPECT_EQ(Get32(after, image->RecordPosition + 32), 0x0BADF00Du);
    EXPECT_EQ(Get32(after, image->RecordPosition + 56), 0x00ABCDEFu);

    // The record now holds the values: nothing more is written.
    TxFile file(dat.c_str(), false, false);
    EXPECT_EQ(image->UpdateRecordInPlace(file), CImageFile::RecordUpdate::AlreadyCurrent);
    image->ShownCount += 1;
    EXPECT_EQ(image->UpdateRecordInPlace(file), CImageFile::RecordUpdate::Written);
}

TEST_F(DatabaseRecord, RefusesARecordThatIsNoLongerItsOwn)
{
    // The Manager saved another list meanwhile: the record at the old position belongs to another
    // image now (its string fields or file data differ) and must not get this image's values.
    CFileCollection other;
    FillSampleImages(other, 20, 1);
    ASSERT_TRUE(other.SaveToFile(dat.c_str(), str.c_str()));
    const std::vector<BYTE> before = ReadBytes(dat);
    for (int i = 0; i < loaded.GetCount(); ++i) {
        CImageFile* image = loaded.FileAt(i);
        image->ShownCount = 777;
        TxFile file(dat.c_str(), false, false);
        EXPECT_EQ(image->UpdateRecordInPlace(file), CImageFile::RecordUpdate::Refused) << i;
    }
    EXPECT_EQ(ReadBytes(dat), before);
}

TEST_F(DatabaseRecord, RefusesPositionsThatHoldNoRecord)
{
    const std::vector<BYTE> before = ReadBytes(dat);
    CImageFile image = *loaded.FileAt(0);
    image.ShownCount = 55;
    for (DWORD position : {0u, 100u, 144u + 40u, 144u + 80u * 20, 0xFFFFFFF0u}) {
        image.RecordPosition = position;
        EXPECT_FALSE(image.UpdateRecordInFile(dat.c_str())) << position;
    }
    // A record whose ID was damaged is not this image's record either.
    std::vector<BYTE> damaged = before;
    Put32(damaged, 144, 0);
    WriteBytes(dat, damaged);
    image.RecordPosition = 144;
    EXPECT_FALSE(image.UpdateRecordInFile(dat.c_str()));
    EXPECT_EQ(ReadBytes(dat), damaged);
    EXPECT_FALSE(image.UpdateRecordInFile((dir + "\\missing.dat").c_str()));
}

TEST_F(DatabaseRecord, ReadOnlyFileIsNotTakenForWritten)
{
    const std::vector<BYTE> before = ReadBytes(dat);
    CImageFile* image = loaded.FileAt(3);
    image->ShownCount = 99;
    TxFile file(dat.c_str(), true, false);
    EXPECT_EQ(image->UpdateRecordInPlace(file), CImageFile::RecordUpdate::Refused);
    EXPECT_EQ(ReadBytes(dat), before);
}

TEST_F(DatabaseRecord, ABatchWritesOnlyTheChangedValuesOfItsOwnRecords)
{
    const std::vector<BYTE> before = ReadBytes(dat);
    CImageFile* shown = loaded.FileAt(3);
    CImageFile* excluded = loaded.FileAt(11);
    CImageFile* unchanged = loaded.FileAt(15);
    shown->ShownCount = 5;
    excluded->FileFlags ^= FLAG_EXCLUDE_IMAGE;
    CImageFile moved = *loaded.FileAt(7);  // its values at another image's record
    moved.RecordPosition = loaded.FileAt(8)->RecordPosition;
    moved.ShownCount = 66;
    CImageFile nowhere = *loaded.FileAt(9);
    nowhere.RecordPosition = 100;
    nowhere.ShownCount = 67;
    const std::vector<const CImageFile*> batch = {excluded, &moved, shown, unchanged, &nowhere};

    std::vector<BYTE> expected = before;
    Put32(expected, shown->RecordPosition + 20, 5);
    Put32(expected, excluded->RecordPosition + 28, excluded->FileFlags);
    {
        TxFile file(dat.c_str(), false, false);
        EXPECT_EQ(UpdateRecordsInPlace(batch, file), 2);  // the moved one and the one with no record
    }
    EXPECT_EQ(ReadBytes(dat), expected);

    // Written once, the values are current: a second batch writes nothing and refuses the same two.
    {
        TxFile file(dat.c_str(), true, false);
        EXPECT_EQ(UpdateRecordsInPlace(batch, file), 2);
        EXPECT_EQ(UpdateRecordsInPlace({}, file), 0);
    }
    // Through a file opened read-only nothing is taken for written.
    shown->ShownCount = 6;
    {
        TxFile file(dat.c_str(), true, false);
        EXPECT_EQ(UpdateRecordsInPlace({shown}, file), 1);
    }
    EXPECT_EQ(ReadBytes(dat), expected);
}

TEST_F(DatabaseRecord, ReadsItsTextsFromTheStringFile)
{
    CFileCollection full;
    ASSERT_TRUE(full.LoadFromFile(dat.c_str(), str.c_str()));
    TxFile strings(str.c_str(), true, false);
    for (int i = 0; i < loaded.GetCount(); ++i) {
        CImageFile* image = loaded.FileAt(i);
        ASSERT_TRUE(image->ReadTextsFromStringFile(strings));
        EXPECT_TRUE(image->FolderPath.Equals(full.FileAt(i)->FolderPath));
        EXPECT_TRUE(image->FileName.Equals(full.FileAt(i)->FileName));
    }
    CImageFile stale = *loaded.FileAt(2);
    stale.FolderPath.Assign("kept");
    stale.NameStringPosition += 1;
    EXPECT_FALSE(stale.ReadTextsFromStringFile(strings));
    EXPECT_STREQ(stale.FolderPath.GetText(), "kept");
    stale.NameStringPosition = loaded.FileAt(2)->NameStringPosition;
    stale.NameStringLength = 5000;
    EXPECT_FALSE(stale.ReadTextsFromStringFile(strings));
}

// A save of another program ended between its two replacements: the string file is already the
// new one, the new record file waits beside the old one, named by the journal. An in-place update
// finishes that save first, so it never writes into the record file that is about to be replaced;
// the image's record is then not at its place any more, and nothing is written.
TEST(DatabaseRecordAfterEndedSave, AnUpdateFinishesTheSaveFirst)
{
    const DatabasePaths paths(FreshFolder("ended_save"));
    const DatabasePaths other(FreshFolder("ended_save_new"));
    CFileCollection loaded;
    FillSampleImages(loaded, 20, 0);
    ASSERT_TRUE(loaded.SaveToFile(paths.records.c_str(), paths.strings.c_str()));
    CFileCollection newer;
    FillSampleImages(newer, 21, 1);
    ASSERT_TRUE(newer.SaveToFile(other.records.c_str(), other.strings.c_str()));
    const std::vector<BYTE> newRecords = ReadBytes(other.records);

    WriteBytes(paths.strings, ReadBytes(other.strings));
    WriteBytes(paths.records + ".1f-1.tmp", newRecords);
    const std::string journal = paths.strings + "\r\n" + paths.strings + ".1f-2.tmp\r\n" + paths.records +
                                "\r\n" + paths.records + ".1f-1.tmp\r\n";
    WriteBytes(paths.records + ".journal", std::vector<BYTE>(journal.begin(), journal.end()));

    CImageFile* image = loaded.FileAt(3);
    image->ShownCount += 1;
    EXPECT_FALSE(image->UpdateRecordInFile(paths.records.c_str()));
    EXPECT_TRUE(ReadBytes(paths.records) == newRecords);
    EXPECT_FALSE(testsupport::PathExists(paths.records + ".journal"));
    EXPECT_FALSE(testsupport::PathExists(paths.records + ".1f-1.tmp"));
}
