// One JPEG file decoded with libjpeg-turbo into a bottom-up DIB.
//
// libjpeg reports fatal errors through error_exit, which here jumps back with longjmp into the
// member function that made the call. Those functions hold only plain locals, and everything that
// needs freeing (the decompressor and all it allocated from its pools) is owned by this object,
// whose destructor runs on every path: a jump never skips a destructor.
#pragma once

#include <windows.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>

#include <KvImage.h>
#include <jpeglib.h>

#include "DibLayout.h"

namespace kvimage {

// The caller's last error for a file that could not be opened or read: the system's code, unless it
// is taken by another reason of KvImage.h.
DWORD FileErrorCode(DWORD system);

class JpegDecoder {
public:
    JpegDecoder();
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // Reads the markers up to the first scan and gives the DIB this file decodes to at scaleEighths / 8
    // of its size (1 to 8); false for a file that is not a JPEG, is damaged before the first scan,
    // cannot become 8 or 24 bits, or is above the size cap at that scale.
    bool ReadHeader(HANDLE file, unsigned scaleEighths, DibGeometry& geometry);

    // After ReadHeader: decodes every row into pixels, which holds geometry.pixelBytes bytes.
    bool DecodeInto(std::uint8_t* pixels);

    // After a false result: why, as the caller's last error (see KvImage.h); never 0, which the
    // export reads as success.
    DWORD Error() const { return error_ != 0 ? error_ : KVIMAGE_ERROR_DATA; }

private:
    struct ErrorTrap {
        jpeg_error_mgr pub;  // first, so libjpeg's pointer is also ours
        std::jmp_buf jump;
        DWORD error;  // the reason ErrorExit found, before the jump
    };
    struct ScanLimit {
        jpeg_progress_mgr pub;  // first, as above
    };
    enum class Output { Gray, Bgr, Cmyk };

    [[noreturn]] static void ErrorExit(j_common_ptr cinfo);
    static void EmitMessage(j_common_ptr cinfo, int level);
    static void OutputMessage(j_common_ptr cinfo);
    static void CheckScanCount(j_common_ptr cinfo);

    bool Refuse(DWORD error)
    {
        error_ = error;
        return false;
    }
    void SetOutputColorSpace();
    void DecodeBgrOrGray(std::uint8_t* pixels);
    void DecodeCmyk(std::uint8_t* pixels);

    ErrorTrap trap_{};
    ScanLimit scanLimit_{};
    jpeg_decompress_struct cinfo_{};
    DibGeometry geometry_{};
    Output output_ = Output::Bgr;
    bool adobeInverted_ = false;
    DWORD error_ = 0;
};

}  // namespace kvimage
