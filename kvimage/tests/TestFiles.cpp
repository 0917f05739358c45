#include "TestFiles.h"

#include <cstring>

namespace {

struct FileCloser {
    HANDLE h;
    ~FileCloser()
    {
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
};

}  // namespace

std::string FixturePath(const std::string& name)
{
    return std::string(KVIMAGE_FIXTURES) + "/" + name;
}
std::string ReferencePath(const std::string& name)
{
    return std::string(KVIMAGE_REFERENCES) + "/" + name;
}

Bytes ReadWholeFile(const std::string& path)
{
    FileCloser f{
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)};
    if (f.h == INVALID_HANDLE_VALUE) return {};
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(f.h, &size)) return {};
    Bytes data(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!data.empty() &&
        (!::ReadFile(f.h, data.data(), static_cast<DWORD>(data.size()), &got, nullptr) || got != data.size()))
        return {};
    return data;
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TempFile::TempFile(const Bytes& contents)
{
    char folder[MAX_PATH + 1] = {};
    char name[MAX_PATH + 1] = {};
    if (!::GetTempPathA(sizeof(folder), folder) || !::GetTempFileNameA(folder, "kvi", 0, name)) return;
    path_ = name;
    FileCloser f{::CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
    DWORD written = 0;
    if (f.h != INVALID_HANDLE_VALUE && !contents.empty())
        ::WriteFile(f.h, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
}

TempFile::~TempFile()
{
    if (!path_.empty()) ::DeleteFileA(path_.c_str());
}

ScratchFile::ScratchFile()
{
    char folder[MAX_PATH + 1] = {};
    char name[MAX_PATH + 1] = {};
    if (::GetTempPathA(sizeof(folder), folder) && ::GetTempFileNameA(folder, "kvi", 0, name)) path_ = name;
}

ScratchFile::~ScratchFile()
{
    if (!path_.empty()) ::DeleteFileA(path_.c_str());
}

const std::string& ScratchFile::Write(const Bytes& contents)
{
    FileCloser f{::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
    DWORD written = 0;
    if (f.h != INVALID_HANDLE_VALUE && !contents.empty())
        ::WriteFile(f.h, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    return path_;
}

bool ReadBmpFile(const std::string& path, BmpFile& out)
{
    const Bytes data = ReadWholeFile(path);
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    if (data.size() < sizeof(file) + sizeof(info)) return false;
    std::memcpy(&file, data.data(), sizeof(file));
    std::memcpy(&info, data.data() + sizeof(file), sizeof(info));
    if (file.bfType != 0x4D42 || info.biCompression != BI_RGB ||
        (info.biBitCount != 8 && info.biBitCount != 24))
        return false;
    out.width = info.biWidth;
    out.height = info.biHeight;
    out.bitCount = info.biBitCount;
    out.rowBytes = (static_cast<std::uint32_t>(info.biWidth) * info.biBitCount / 8 + 3) & ~3u;
    const std::size_t rows = static_cast<std::size_t>(info.biHeight < 0 ? -info.biHeight : info.biHeight);
    const std::size_t paletteAt = sizeof(file) + info.biSize;
    if (info.biBitCount == 8) {
        const std::size_t entries = info.biClrUsed ? info.biClrUsed : 256;
        if (paletteAt + entries * sizeof(RGBQUAD) > data.size()) return false;
        out.palette.resize(entries);
        std::memcpy(out.palette.data(), data.data() + paletteAt, entries * sizeof(RGBQUAD));
    }
    if (file.bfOffBits + rows * out.rowBytes > data.size()) return false;
    out.pixels.assign(data.begin() + file.bfOffBits, data.begin() + file.bfOffBits + rows * out.rowBytes);
    return true;
}

std::vector<JpegSegment> HeaderSegments(const Bytes& jpeg)
{
    std::vector<JpegSegment> segments;
    if (jpeg.size() < 2 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return segments;
    segments.push_back({0, 2, 0xD8});
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        const std::uint8_t marker = jpeg[at + 1];
        const std::size_t length = 2 + (std::size_t{jpeg[at + 2]} << 8 | jpeg[at + 3]);
        segments.push_back({at, length, marker});
        if (marker == 0xDA) break;
        at += length;
    }
    return segments;
}

std::vector<JpegSegment> AllSegments(const Bytes& jpeg)
{
    std::vector<JpegSegment> segments;
    std::size_t at = 0;
    while (at + 1 < jpeg.size()) {
        if (jpeg[at] != 0xFF || jpeg[at + 1] == 0x00 || jpeg[at + 1] == 0xFF ||
            (jpeg[at + 1] >= 0xD0 && jpeg[at + 1] <= 0xD7)) {
            ++at;  // coded data, stuffed bytes, restart markers and fill
            continue;
        }
        const std::uint8_t marker = jpeg[at + 1];
        if (marker == 0xD8 || marker == 0xD9 || marker == 0x01) {
            segments.push_back({at, 2, marker});
            at += 2;
            continue;
        }
        if (at + 4 > jpeg.size()) break;
        const std::size_t length = 2 + (std::size_t{jpeg[at + 2]} << 8 | jpeg[at + 3]);
        segments.push_back({at, length, marker});
        at += length;
    }
    return segments;
}

std::size_t FindSof(const Bytes& jpeg)
{
    for (const JpegSegment& s : HeaderSegments(jpeg))
        if (s.marker >= 0xC0 && s.marker <= 0xCF && s.marker != 0xC4 && s.marker != 0xC8 && s.marker != 0xCC)
            return s.offset;
    return 0;
}
