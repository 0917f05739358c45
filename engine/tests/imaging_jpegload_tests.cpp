// JPEG loading with EXIF rotation, on the committed fixtures, checked against KvImage's own decode
// of the same file turned by the test itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "KvImage.h"
#include "Ujpegload.h"
#include "imaging_testutil.h"

using namespace imaging_test;

namespace {

// KvImage's decode of the file as stored, through the size query and a decode call.
bool DecodeStored(const std::string& path, TestDib& dib)
{
    DWORD size = 0;
    if (!DecodeJpgToDib(dib.Info(), nullptr, path.c_str(), &size)) return false;
    dib.bits.assign(size, 0);
    return DecodeJpgToDib(dib.Info(), dib.bits.data(), path.c_str(), &size) != FALSE;
}

// The engine's load: a size query, then a decode into a buffer of the queried size.
bool Load(const std::string& path, bool rotate, TestDib& dib, FILETIME* date = nullptr)
{
    DWORD size = 0;
    if (!LoadBmpFromJpgFileEx(dib.Info(), nullptr, path.c_str(), &size, rotate, nullptr)) return false;
    dib.bits.assign(size, 0);
    return LoadBmpFromJpgFileEx(dib.Info(), dib.bits.data(), path.c_str(), &size, rotate, date) != FALSE;
}

template <typename F> F Export(HMODULE dll, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
}

void ExpectSameImage(const TestDib& actual, const TestDib& expected, const char* name)
{
    const BITMAPINFOHEADER& a = actual.Header();
    const BITMAPINFOHEADER& e = expected.Header();
    EXPECT_EQ(a.biWidth, e.biWidth) << name;
    EXPECT_EQ(a.biHeight, e.biHeight) << name;
    EXPECT_EQ(a.biBitCount, e.biBitCount) << name;
    ASSERT_GE(actual.bits.size(), expected.bits.size()) << name;
    EXPECT_TRUE(std::equal(expected.bits.begin(), expected.bits.end(), actual.bits.begin())) << name;
    if (e.biBitCount == 8) {
        EXPECT_TRUE(
            std::equal(expected.header.begin() + 40, expected.header.end(), actual.header.begin() + 40))
            << name << ": palette";
    }
}

}  // namespace

TEST(ImagingJpegLoad, RotatedSizeQuery)
{
    const std::string path = FixturePath("exif_o6_be_640x480.jpg");
    TestDib dib;
    DWORD size = 0;
    ASSERT_TRUE(LoadBmpFromJpgFileEx(dib.Info(), nullptr, path.c_str(), &size, TRUE, nullptr));
    EXPECT_EQ(size, 921600u);
    EXPECT_EQ(dib.Header().biWidth, 480);
    EXPECT_EQ(dib.Header().biHeight, 640);  // KvImage gives bottom-up rows; the order is kept
    EXPECT_EQ(dib.Header().biSizeImage, 921600u);
    EXPECT_EQ(dib.Header().biBitCount, 24);

    // Without a header block, and without the rotation.
    size = 0;
    ASSERT_TRUE(LoadBmpFromJpgFileEx(nullptr, nullptr, path.c_str(), &size, TRUE, nullptr));
    EXPECT_EQ(size, 921600u);
    TestDib stored;
    size = 0;
    ASSERT_TRUE(LoadBmpFromJpgFileEx(stored.Info(), nullptr, path.c_str(), &size, FALSE, nullptr));
    EXPECT_EQ(stored.Header().biWidth, 640);
    EXPECT_EQ(stored.Header().biHeight, 480);
    EXPECT_EQ(size, 640u * 3 * 480);
}

TEST(ImagingJpegLoad, TurnedLikeTheStoredDecode)
{
    struct Case {
        const char* file;
        bool turned;
        bool clockwise;
    };
    const Case cases[] = {
        {"plain_64x48.jpg", false, false},      {"exif_o1_le.jpg", false, false},
        {"exif_o3_le.jpg", false, false},  // upside down is not corrected
        {"exif_o6_be_640x480.jpg", true, true}, {"exif_o8_le_45x31.jpg", true, false},
        {"exif_o6_gray_37x23.jpg", true, true},  // 8 bits: palette and positive height kept
    };
    for (const Case& c : cases) {
        const std::string path = FixturePath(c.file);
        TestDib stored;
        ASSERT_TRUE(DecodeStored(path, stored)) << c.file;
        const TestDib expected = c.turned ? TurnSeen(stored, c.clockwise) : stored;

        TestDib loaded;
        ASSERT_TRUE(Load(path, true, loaded)) << c.file;
        ExpectSameImage(loaded, expected, c.file);
        EXPECT_GT(loaded.Header().biHeight, 0) << c.file;

        TestDib unturned;
        ASSERT_TRUE(Load(path, false, unturned)) << c.file;
        ExpectSameImage(unturned, stored, c.file);
    }
}

TEST(ImagingJpegLoad, TurnedWithoutHeaderBlock)
{
    const std::string path = FixturePath("exif_o8_le_45x31.jpg");
    TestDib stored;
    ASSERT_TRUE(DecodeStored(path, stored));
    const TestDib expected = TurnSeen(stored, false);
    std::vector<BYTE> bits(expected.bits.size(), 0);
    DWORD size = static_cast<DWORD>(bits.size());
    ASSERT_TRUE(LoadBmpFromJpgFileEx(nullptr, bits.data(), path.c_str(), &size, TRUE, nullptr));
    EXPECT_EQ(bits, expected.bits);
    EXPECT_EQ(size, expected.bits.size());
}

TEST(ImagingJpegLoad, ExifDates)
{
    struct Case {
        const char* file;
        ULONGLONG date;
    };
    const Case cases[] = {
        {"plain_64x48.jpg", 0},
        {"exif_o1_le.jpg", WallClock(2004, 7, 15, 18, 30, 5)},
        {"exif_o6_be_640x480.jpg", WallClock(2011, 12, 24, 9, 8, 7)},  // the sub-IFD's original is not read
        {"exif_o8_le_45x31.jpg", WallClock(2019, 2, 28, 23, 59, 59)},
        {"exif_o6_gray_37x23.jpg", 0},
    };
    for (const Case& c : cases) {
        const std::string path = FixturePath(c.file);
        // Read on every call, also on a pure size query without rotation.
        FILETIME date{0x12345678, 0x9ABCDEF};
        DWORD size = 0;
        ASSERT_TRUE(LoadBmpFromJpgFileEx(nullptr, nullptr, path.c_str(), &size, FALSE, &date)) << c.file;
        EXPECT_EQ(FileTimeUnits(date), c.date) << c.file;

        TestDib dib;
        date = FILETIME{1, 1};
        ASSERT_TRUE(Load(path, true, dib, &date)) << c.file;
        EXPECT_EQ(FileTimeUnits(date), c.date) << c.file;
    }
}

// A nonzero *size on a decode call is the buffer's capacity; too small, the buffer stays as it was.
TEST(ImagingJpegLoad, CapacityOfTheBuffer)
{
    struct Case {
        const char* file;
        bool rotate;
    };
    const Case cases[] = {
        {"exif_o6_be_640x480.jpg", true},
        {"exif_o8_le_45x31.jpg", true},
        {"exif_o6_gray_37x23.jpg", true},
        {"exif_o8_le_45x31.jpg", false},
    };
    for (const Case& c : cases) {
        const std::string path = FixturePath(c.file);
        DWORD needed = 0;
        ASSERT_TRUE(LoadBmpFromJpgFileEx(nullptr, nullptr, path.c_str(), &needed, c.rotate, nullptr))
            << c.file;

        std::vector<BYTE> buffer(needed + 64, 0xCD);
        DWORD size = needed - 1;
        TestDib header;
        EXPECT_FALSE(
            LoadBmpFromJpgFileEx(header.Info(), buffer.data(), path.c_str(), &size, c.rotate, nullptr))
            << c.file;
        EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](BYTE b) { return b == 0xCD; })) << c.file;

        size = needed;
        EXPECT_TRUE(
            LoadBmpFromJpgFileEx(header.Info(), buffer.data(), path.c_str(), &size, c.rotate, nullptr))
            << c.file;
        EXPECT_EQ(size, needed) << c.file;
        EXPECT_TRUE(std::all_of(buffer.begin() + needed, buffer.end(), [](BYTE b) { return b == 0xCD; }))
            << c.file << ": guard bytes after the image";
    }
}

TEST(ImagingJpegLoad, NotJpegFiles)
{
    const std::string text = ScratchPath("not-a-jpeg.jpg");
    ASSERT_TRUE(WriteFileBytes(text, std::vector<BYTE>(300, 'a')));
    const std::string tiny = ScratchPath("tiny.jpg");
    ASSERT_TRUE(WriteFileBytes(tiny, {0xFF, 0xD8, 0xFF}));
    const std::string empty = ScratchPath("empty.jpg");
    ASSERT_TRUE(WriteFileBytes(empty, {}));
    for (const std::string& path : {text, tiny, empty, ScratchPath("missing.jpg")}) {
        FILETIME date{1, 1};
        DWORD size = 0;
        TestDib dib;
        EXPECT_FALSE(LoadBmpFromJpgFileEx(dib.Info(), nullptr, path.c_str(), &size, TRUE, &date)) << path;
        EXPECT_EQ(FileTimeUnits(date), 0u) << path;
        int w = -1, h = -1;
        EXPECT_FALSE(GetJpgFileInfo(path.c_str(), &w, &h)) << path;
    }
    EXPECT_FALSE(LoadBmpFromJpgFileEx(nullptr, nullptr, nullptr, nullptr, TRUE, nullptr));
    ::DeleteFileA(text.c_str());
    ::DeleteFileA(tiny.c_str());
    ::DeleteFileA(empty.c_str());
}

TEST(ImagingJpegLoad, JpgFileInfoAsStored)
{
    int w = 0, h = 0;
    ASSERT_TRUE(GetJpgFileInfo(FixturePath("exif_o6_be_640x480.jpg").c_str(), &w, &h));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    ASSERT_TRUE(GetJpgFileInfo(FixturePath("exif_o6_gray_37x23.jpg").c_str(), &w, nullptr));
    EXPECT_EQ(w, 37);
    ASSERT_TRUE(GetJpgFileInfo(FixturePath("exif_o8_le_45x31.jpg").c_str(), nullptr, &h));
    EXPECT_EQ(h, 31);
}

// The same operations reached as a caller of KvApi.dll reaches them: ordinal 1 and the locked
// exports of the image information.
TEST(ImagingJpegLoad, ThroughTheEngineLibrary)
{
    const HMODULE dll = ::LoadLibraryA("KvApi.dll");
    ASSERT_NE(dll, nullptr);
    using LoadFn = BOOL(__stdcall*)(BITMAPINFO*, void*, const char*, DWORD*, BOOL, FILETIME*);
    using InfoFn = BOOL(__stdcall*)(const char*, DWORD*, DWORD*);
    using AverageFn = COLORREF(__stdcall*)(BITMAPINFO*, void*);
    const auto load = Export<LoadFn>(dll, "LoadBmpFromJpgFileEx");
    const auto lockedLoad = Export<LoadFn>(dll, "WpApi_LoadBmpFromJpgFile");
    const auto info = Export<InfoFn>(dll, "WpApi_GetJpgFileInfo");
    const auto average = Export<AverageFn>(dll, "WpApi_GetAverageRgbValue");
    ASSERT_TRUE(load && lockedLoad && info && average);
    EXPECT_EQ(reinterpret_cast<void*>(load),
              reinterpret_cast<void*>(::GetProcAddress(dll, MAKEINTRESOURCEA(1))));

    const std::string path = FixturePath("exif_o6_be_640x480.jpg");
    TestDib expected;
    ASSERT_TRUE(Load(path, true, expected));
    for (LoadFn f : {load, lockedLoad}) {
        TestDib dib;
        DWORD size = 0;
        ASSERT_TRUE(f(dib.Info(), nullptr, path.c_str(), &size, TRUE, nullptr));
        EXPECT_EQ(size, 921600u);
        dib.bits.assign(size, 0);
        FILETIME date{};
        ASSERT_TRUE(f(dib.Info(), dib.bits.data(), path.c_str(), &size, TRUE, &date));
        ExpectSameImage(dib, expected, "through the library");
        EXPECT_EQ(FileTimeUnits(date), WallClock(2011, 12, 24, 9, 8, 7));
    }
    DWORD w = 0, h = 0;
    ASSERT_TRUE(info(path.c_str(), &w, &h));
    EXPECT_EQ(w, 640u);
    EXPECT_EQ(h, 480u);
    EXPECT_EQ(average(expected.Info(), expected.bits.data()),
              GetAverageRgbValue(expected.Info(), expected.bits.data()));
    ::FreeLibrary(dll);
}

// A photo that cannot be shown leaves a log line with KvImage's reason, and the caller of the
// export finds the same reason in its last error.
TEST(ImagingJpegLoad, DecoderFailuresAreLoggedWithTheirReason)
{
    const std::string notJpeg = ScratchPath("reason-not-a-jpeg.jpg");
    ASSERT_TRUE(WriteFileBytes(notJpeg, std::vector<BYTE>(300, 'a')));
    const std::string missing = ScratchPath("reason-missing.jpg");
    const std::string photo = FixturePath("exif_o8_le_45x31.jpg");

    testsupport::LogReceiver receiver;  // before the load: the library looks for it once, when it starts
    const HMODULE dll = ::LoadLibraryA("KvApi.dll");
    ASSERT_NE(dll, nullptr);
    using LoadFn = BOOL(__stdcall*)(BITMAPINFO*, void*, const char*, DWORD*, BOOL, FILETIME*);
    const auto load = Export<LoadFn>(dll, "LoadBmpFromJpgFileEx");
    ASSERT_NE(load, nullptr);

    struct ReasonCase {
        std::string path;
        bool shortBuffer;
        DWORD error;
        std::string line;  // the reason as the log words it
    };
    const ReasonCase cases[] = {
        {missing, false, ERROR_FILE_NOT_FOUND, "the file cannot be read (error 2)"},
        {notJpeg, false, KVIMAGE_ERROR_DATA, "not a JPEG, or damaged (error 13)"},
        {photo, true, KVIMAGE_ERROR_BUFFER_TOO_SMALL, "the buffer is too small (error 122)"},
    };
    for (const ReasonCase& c : cases) {
        receiver.Clear();
        TestDib dib;
        DWORD size = 0;
        if (c.shortBuffer) {
            ASSERT_TRUE(load(dib.Info(), nullptr, c.path.c_str(), &size, FALSE, nullptr));
            dib.bits.assign(size, 0);
            --size;
        }
        ::SetLastError(0);
        EXPECT_FALSE(load(dib.Info(), c.shortBuffer ? dib.bits.data() : nullptr, c.path.c_str(), &size, FALSE,
                          nullptr))
            << c.path;
        EXPECT_EQ(::GetLastError(), c.error) << c.path;
        const std::string expected = "!KvImage: " + c.path + ": " + c.line;
        const std::vector<std::string> lines = receiver.Texts();
        const auto at = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(expected) != std::string::npos;
        });
        ASSERT_NE(at, lines.end()) << "no log line \"" << expected << "\"";
        if (c.error == ERROR_FILE_NOT_FOUND) {
            ASSERT_NE(at + 1, lines.end()) << "the system's text follows";
            std::string system = testsupport::SystemErrorText(ERROR_FILE_NOT_FOUND);
            system.erase(system.find_last_not_of("\r\n ") + 1);
            EXPECT_NE((at + 1)->find(system), std::string::npos) << *(at + 1);
        }
    }
    ::FreeLibrary(dll);
    ::DeleteFileA(notJpeg.c_str());
}
