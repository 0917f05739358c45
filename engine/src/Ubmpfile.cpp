// Loading a .bmp file (the background textures) into one block of global memory, after BmpHeader's
// checks of every size in it against the file and the block. The pixels are taken where the file
// header says they are, after a longer header, colour masks or a gap as well.
#include "Ujpegload.h"

#include "BmpHeader.h"

#include "UTxLog.h"
#include "UTxUtils.h"
#include "Udib.h"

#include <cstring>

namespace {

bool ReadExact(HANDLE file, void* buffer, DWORD count)
{
    DWORD read = 0;
    return ::ReadFile(file, buffer, count, &read, nullptr) && read == count;
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

    BYTE fileHeader[BmpHeader::kFileHeaderSize];
    DWORD read = 0;
    if (!::ReadFile(file.get(), fileHeader, sizeof fileHeader, &read, nullptr)) return false;
    std::uint32_t declaredSize = 0;
    std::uint32_t blockSize = 0;
    std::uint32_t pixelStart = 0;
    switch (BmpHeader::CheckFileHeader(fileHeader, read, static_cast<ULONGLONG>(fileSize.QuadPart),
                                       declaredSize, blockSize, pixelStart)) {
    case BmpHeader::FileCheck::Bitmap:
        break;
    case BmpHeader::FileCheck::NotBitmap:
        return false;
    case BmpHeader::FileCheck::SizeMismatch:
        LogF("LoadBmpFromFile: %s: file size %lu does not match the file", szPath,
             static_cast<unsigned long>(declaredSize));
        return false;
    case BmpHeader::FileCheck::BadOffset:
        LogF("LoadBmpFromFile: %s: the pixel offset points outside the file", szPath);
        return false;
    }
    const DWORD dwBlockSize = blockSize;
    GlobalBlock fileBlock = AllocDibBlock(dwBlockSize);
    if (!fileBlock) {
        LogF("LoadBmpFromFile: %s: no memory for %lu bytes", szPath, static_cast<unsigned long>(dwBlockSize));
        return false;
    }
    if (!ReadExact(file.get(), fileBlock.get(), dwBlockSize)) return false;
    const BYTE* bytes = static_cast<const BYTE*>(static_cast<void*>(fileBlock.get()));

    BmpHeader::PixelLayout layout;
    if (!BmpHeader::FindPixels(bytes, dwBlockSize, pixelStart, layout)) {
        LogF("LoadBmpFromFile: %s: unsupported or damaged bitmap", szPath);
        if (pRefused) std::memcpy(pRefused, bytes, sizeof *pRefused);
        return false;
    }

    // The image is handed out as every DIB of the engine is laid out: a 40-byte header, for 8 bits a
    // full palette, then the rows, wherever the file kept its palette and pixels.
    const DWORD dwPaletteBytes = layout.bitCount == 8 ? 256 * sizeof(RGBQUAD) : 0;
    const DWORD dwPixelOffset = sizeof(BITMAPINFOHEADER) + dwPaletteBytes;
    GlobalBlock block = AllocDibBlock(dwPixelOffset + layout.pixelBytes);
    if (!block) {
        LogF("LoadBmpFromFile: %s: no memory for %lu bytes", szPath,
             static_cast<unsigned long>(dwPixelOffset + layout.pixelBytes));
        return false;
    }
    BYTE* out = static_cast<BYTE*>(static_cast<void*>(block.get()));
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes, sizeof header);
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biCompression = BI_RGB;
    header.biClrUsed = 0;
    header.biSizeImage = static_cast<DWORD>(layout.pixelBytes);
    std::memcpy(out, &header, sizeof header);
    // Colours the file does not hold stay black (the block is zeroed).
    std::memcpy(out + sizeof header, bytes + layout.paletteOffset, 4 * layout.paletteEntries);
    std::memcpy(out + dwPixelOffset, bytes + layout.pixelOffset, static_cast<size_t>(layout.pixelBytes));
    *ppBmpInfo = static_cast<BITMAPINFO*>(static_cast<void*>(block.release()));
    *ppBmpData = reinterpret_cast<BYTE*>(*ppBmpInfo) + dwPixelOffset;
    return true;
}
