// Helpers of the selection and operations tests: the fixture images, a database built by the
// database code itself, settings records, and a reader of the record file that does not use the
// code under test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "KvTestRegistry.h"
#include "Wcommon.h"

namespace selection_test {

// A fixture image copied beside the test program (selection_fixtures\name).
std::string FixturePath(const std::string& name);
// Copies fixture images into a folder, under their own names or the names given.
bool CopyFixture(const std::string& fixture, const std::string& folder, const std::string& asName = "");

// The three database files of a test in one folder.
struct DatabasePaths {
    std::string folderList;
    std::string recordFile;
    std::string stringFile;
    std::string workBmp;
};
DatabasePaths DatabaseIn(const std::string& folder);

// Scans `imageFolder` into a fresh database with the database code (one AutoScan folder, its use
// flags copied), sets FLAG_EXCLUDE_IMAGE on the images named in `excluded`, and saves all three
// files. False when a step failed.
bool BuildDatabase(const std::string& imageFolder, const DatabasePaths& paths,
                   const std::vector<std::string>& excluded = {}, bool includeSubfolders = false);

// A settings record with the defaults, no calendar, no textures, no progress window, selection
// without preferences and the database paths.
RegistryRecord TestRecord(const DatabasePaths& paths);

// One image record as the bytes of the record and string files hold it.
struct StoredImage {
    DWORD position = 0;
    DWORD shownCount = 0;
    DWORD screenSaverFlags = 0;
    DWORD fileFlags = 0;
    DWORD averageColor = 0;
    std::string folder;
    std::string name;
};
// Parses the two files byte by byte; empty when the record file is not one.
std::vector<StoredImage> ReadStoredImages(const std::string& recordFile, const std::string& stringFile);
// The stored image of that name, or null.
const StoredImage* FindStored(const std::vector<StoredImage>& images, const std::string& name);

// Little-endian words in a byte string.
DWORD Get32(const std::string& bytes, size_t offset);
void Put32(std::string& bytes, size_t offset, DWORD value);

// Deletes HKCU\Software\Dalvex\Kestrova with everything below it.
void DeleteSettingsKey();

}  // namespace selection_test

namespace selection_test {

// A value under HKCU\Software\Dalvex\Kestrova\<section> as the registry holds it; type 0 when
// absent.
using testsupport::ReadRegValue;
using testsupport::RegValue;
RegValue ReadSettingsValue(const char* section, const char* name);

// Writes the whole record and the root values as the Manager leaves them.
bool WriteSettings(const RegistryRecord& record, bool configured, DWORD allFilesCount);

// The local time now as a FILETIME, in 100 ns units.
ULONGLONG LocalNow();
ULONGLONG FileTimeValue(const std::string& eightBytes);

// Width, height and bit count of a .bmp file; false when it is not a whole one.
bool ReadBmpSize(const std::string& path, LONG& width, LONG& height, WORD& bitCount);

}  // namespace selection_test
