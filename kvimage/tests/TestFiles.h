// Files for the KvImage tests: fixtures, djpeg's reference bitmaps, temporary JPEGs built from a
// fixture, and the JPEG marker walk those edits need.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

std::string FixturePath(const std::string& name);    // a committed .jpg
std::string ReferencePath(const std::string& name);  // djpeg's .bmp of that fixture, made at build time

Bytes ReadWholeFile(const std::string& path);  // empty when the file cannot be read
bool FileExists(const std::string& path);

// A file in the temporary folder, deleted when the object goes.
class TempFile {
public:
    explicit TempFile(const Bytes& contents);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// One file in the temporary folder, rewritten for each case, deleted when the object goes.
class ScratchFile {
public:
    ScratchFile();
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Write(const Bytes& contents);  // returns the path

private:
    std::string path_;
};

// A .bmp file as written by djpeg, read without any of the code under test.
struct BmpFile {
    int width = 0;
    int height = 0;  // as stored: positive means bottom-up
    int bitCount = 0;
    std::uint32_t rowBytes = 0;
    std::vector<RGBQUAD> palette;
    Bytes pixels;  // rows as stored in the file
};
bool ReadBmpFile(const std::string& path, BmpFile& out);

// One marker segment of a JPEG: its offset (at the FF) and total length including the marker.
struct JpegSegment {
    std::size_t offset;
    std::size_t length;
    std::uint8_t marker;
};
// The segments from SOI up to and including the first SOS (whose length covers only its header).
std::vector<JpegSegment> HeaderSegments(const Bytes& jpeg);
// Every marker segment of the file, the coded data between them skipped.
std::vector<JpegSegment> AllSegments(const Bytes& jpeg);
// Offset of the first SOFn segment, or 0.
std::size_t FindSof(const Bytes& jpeg);
