// Loading a .bmp file (the background textures) into one block of global memory, after BmpHeader's
// checks of every size in it against the file and the block.
#include "Ujpegload.h"

#include "BmpHeader.h"

#include "UTxLog.h"
#include "UTxUtils.h"
#include "Udib.h"

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
    switch (BmpHeader::CheckFileHeader(fileHeader, read, static_cast<ULONGLONG>(fileSize.QuadPart),
                                       declaredSize, blockSize)) {
    case BmpHeader::FileCheck::Bitmap:
        break;
    case BmpHeader::FileCheck::NotBitmap:
        return false;
    case BmpHeader::FileCheck::SizeMismatch:
        LogF("LoadBmpFromFile: %s: file size %lu does not match the file", szPath,
             static_cast<unsigned long>(declaredSize));
        return false;
    }
    const DWORD dwBlockSize = blockSize;
    GlobalBlock block = AllocDibBlock(dwBlockSize);
    if (!block) {
        LogF("LoadBmpFromFile: %s: no memory for %lu bytes", szPath, static_cast<unsigned long>(dwBlockSize));
        return false;
    }
    if (!ReadExact(file.get(), block.get(), dwBlockSize)) return false;

    BmpHeader::PixelLayout layout;
    if (!BmpHeader::FindPixels(static_cast<const BYTE*>(static_cast<void*>(block.get())), dwBlockSize,
                               layout)) {
        LogF("LoadBmpFromFile: %s: unsupported or damaged bitmap", szPath);
        if (pRefused) *pRefused = *static_cast<const BITMAPINFOHEADER*>(static_cast<void*>(block.get()));
        return false;
    }
    const DWORD dwOffset = layout.pixelOffset;
    *ppBmpInfo = static_cast<BITMAPINFO*>(static_cast<void*>(block.release()));
    *ppBmpData = reinterpret_cast<BYTE*>(*ppBmpInfo) + dwOffset;
    return true;
}
