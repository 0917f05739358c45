// Loading a .bmp file (the background textures) into one block of global memory. The files can be
// replaced by the user, so every size in them is checked against the file and the block before
// the pixels are handed out.
#include "Ujpegload.h"

#include "UTxLog.h"
#include "UTxUtils.h"
#include "Udib.h"

namespace {

constexpr WORD kBmpSignature = 0x4D42;  // "BM"
constexpr DWORD kFileHeaderSize = 14;

bool ReadExact(HANDLE file, void* buffer, DWORD count)
{
    DWORD read = 0;
    return ::ReadFile(file, buffer, count, &read, nullptr) && read == count;
}

// The pixels of a valid 8- or 24-bit uncompressed image start after the 40-byte header and, for 8
// bits, a full 256-entry palette, and end inside the block.
bool FindPixels(const BITMAPINFOHEADER& h, DWORD dwBlockSize, DWORD* pdwOffset)
{
    if (h.biSize != sizeof(BITMAPINFOHEADER) || h.biWidth < 1 || h.biHeight == 0 ||
        (h.biBitCount != 8 && h.biBitCount != 24) || h.biCompression != BI_RGB) {
        return false;
    }
    const DWORD dwOffset = h.biSize + (h.biBitCount == 8 ? 256 * sizeof(RGBQUAD) : 0);
    if (static_cast<ULONGLONG>(dwOffset) + DibPixelBytes(h) > dwBlockSize) return false;
    *pdwOffset = dwOffset;
    return true;
}

}  // namespace

bool LoadBmpFromFile(const char* szPath, BITMAPINFO** ppBmpInfo, void** ppBmpData)
{
    BITMAPINFOHEADER refused;
    return LoadBmpFromFile(szPath, ppBmpInfo, ppBmpData, &refused);
}

bool LoadBmpFromFile(const char* szPath, BITMAPINFO** ppBmpInfo, void** ppBmpData, BITMAPINFOHEADER* pRefused)
{
    CLogScope scope("LoadBmpFromFile");
    if (pRefused) *pRefused = BITMAPINFOHEADER{};
    if (ppBmpInfo) *ppBmpInfo = nullptr;
    if (ppBmpData) *ppBmpData = nullptr;
    if (!szPath || !ppBmpInfo || !ppBmpData) return false;

    FileHandle file(
        ::CreateFileA(szPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER fileSize{};
    if (!::GetFileSizeEx(file.get(), &fileSize)) return false;

    BITMAPFILEHEADER fh{};
    static_assert(sizeof(fh) == kFileHeaderSize, "file header layout");
    if (!ReadExact(file.get(), &fh, kFileHeaderSize) || fh.bfType != kBmpSignature) return false;

    if (fh.bfSize < kFileHeaderSize + sizeof(BITMAPINFOHEADER) ||
        fh.bfSize > static_cast<ULONGLONG>(fileSize.QuadPart)) {
        LogF("LoadBmpFromFile: %s: file size %lu does not match the file", szPath,
             static_cast<unsigned long>(fh.bfSize));
        return false;
    }
    const DWORD dwBlockSize = fh.bfSize - kFileHeaderSize;
    GlobalBlock block = AllocDibBlock(dwBlockSize);
    if (!block) {
        LogF("LoadBmpFromFile: %s: no memory for %lu bytes", szPath, static_cast<unsigned long>(dwBlockSize));
        return false;
    }
    if (!ReadExact(file.get(), block.get(), dwBlockSize)) return false;

    DWORD dwOffset = 0;
    const BITMAPINFOHEADER& header = *static_cast<const BITMAPINFOHEADER*>(static_cast<void*>(block.get()));
    if (!FindPixels(header, dwBlockSize, &dwOffset)) {
        LogF("LoadBmpFromFile: %s: unsupported or damaged bitmap", szPath);
        if (pRefused) *pRefused = header;
        return false;
    }
    *ppBmpInfo = static_cast<BITMAPINFO*>(static_cast<void*>(block.release()));
    *ppBmpData = reinterpret_cast<BYTE*>(*ppBmpInfo) + dwOffset;
    return true;
}
