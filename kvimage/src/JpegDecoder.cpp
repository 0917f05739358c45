#include "JpegDecoder.h"

#include <jerror.h>

#include <algorithm>
#include <cstring>

#include "JpegFileSource.h"

namespace kvimage {
namespace {

// libjpeg's own scan-script tools stop at 100 scans; real progressive files have about ten. Each
// scan can be a full pass over the image, so without a limit a small crafted file of repeated
// scans holds the caller for minutes.
constexpr int kMaxScans = 100;

// Rows handed to libjpeg per call: enough to keep its call overhead out of the profile.
constexpr int kRowsPerCall = 16;

// Adobe CMYK is stored inverted (0 = full ink), so the channel times black gives the colour
// directly; plain CMYK is not. Both round like libjpeg's own CMYK-to-RGB conversion.
inline std::uint8_t InvertedInk(unsigned ink, unsigned black)
{
    return static_cast<std::uint8_t>((2 * ink * black + 255) / 510);
}
inline std::uint8_t PlainInk(unsigned ink, unsigned black)
{
    return static_cast<std::uint8_t>((2 * (255 - ink) * (255 - black) + 255) / 510);
}

// The caller's last error for one of libjpeg's fatal errors; any code not named is damaged data.
DWORD ErrorOfMessage(int code)
{
    switch (code) {
    case JERR_FILE_READ:
        // Raised straight after the failed ReadFile or seek, so the system's code still stands.
        return FileErrorCode(::GetLastError());
    case JERR_BAD_PRECISION:
    case JERR_SOF_UNSUPPORTED:
    case JERR_ARITH_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_NOTIMPL:
    case JERR_CCIR601_NOTIMPL:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_FRACT_SAMPLE_NOTIMPL:
    case JERR_COMPONENT_COUNT:
        return KVIMAGE_ERROR_UNSUPPORTED;
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE:
        return KVIMAGE_ERROR_TOO_LARGE;
    default:
        return KVIMAGE_ERROR_DATA;
    }
}

}  // namespace

DWORD FileErrorCode(DWORD system)
{
    // The other reasons have codes of their own; a file error must never read as one of them.
    switch (system) {
    case ERROR_SUCCESS:
    case KVIMAGE_ERROR_DATA:
    case KVIMAGE_ERROR_UNSUPPORTED:
    case KVIMAGE_ERROR_TOO_LARGE:
    case KVIMAGE_ERROR_BUFFER_TOO_SMALL:
        return ERROR_READ_FAULT;
    default:
        return system;
    }
}

JpegDecoder::JpegDecoder()
{
    cinfo_.err = jpeg_std_error(&trap_.pub);
    trap_.pub.error_exit = ErrorExit;
    trap_.pub.emit_message = EmitMessage;
    trap_.pub.output_message = OutputMessage;
    scanLimit_.pub.progress_monitor = CheckScanCount;
}

JpegDecoder::~JpegDecoder()
{
    // Also after a failed or partial create: jpeg_destroy only frees what the memory manager holds.
    if (cinfo_.mem) jpeg_destroy_decompress(&cinfo_);
}

void JpegDecoder::ErrorExit(j_common_ptr cinfo)
{
    ErrorTrap* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
    if (trap->error == 0) trap->error = ErrorOfMessage(cinfo->err->msg_code);
    std::longjmp(trap->jump, 1);
}

void JpegDecoder::EmitMessage(j_common_ptr cinfo, int level)
{
    // Warnings (damaged or cut-off data) are counted and otherwise ignored; nothing is printed.
    if (level < 0) ++cinfo->err->num_warnings;
}

void JpegDecoder::OutputMessage(j_common_ptr) {}

void JpegDecoder::CheckScanCount(j_common_ptr cinfo)
{
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        reinterpret_cast<ErrorTrap*>(cinfo->err)->error = KVIMAGE_ERROR_UNSUPPORTED;
        (*cinfo->err->error_exit)(cinfo);
    }
}

bool JpegDecoder::ReadHeader(HANDLE file, unsigned scaleEighths, DibGeometry& geometry)
{
    trap_.error = 0;
    if (setjmp(trap_.jump)) return Refuse(trap_.error);

    jpeg_create_decompress(&cinfo_);
    // No backing store exists, so a coefficient buffer beyond this limit fails instead of
    // exhausting the address space.
    cinfo_.mem->max_memory_to_use = static_cast<long>(kMaxPixelBytes);
    cinfo_.progress = &scanLimit_.pub;
    UseFileSource(&cinfo_, file);
    if (jpeg_read_header(&cinfo_, TRUE) != JPEG_HEADER_OK) return Refuse(KVIMAGE_ERROR_DATA);
    // Cut off before the first scan's data begins: libjpeg read its fake end marker as part of the
    // headers, and there is no pixel to decode. Refused here, so the query agrees with the decode.
    if (FileSourceReachedEnd(&cinfo_)) return Refuse(KVIMAGE_ERROR_DATA);
    FileSourceFollowSegments(&cinfo_);
    if (cinfo_.data_precision != 8) return Refuse(KVIMAGE_ERROR_UNSUPPORTED);

    std::uint16_t bitCount = 24;
    if (cinfo_.num_components == 1 && cinfo_.jpeg_color_space == JCS_GRAYSCALE) {
        output_ = Output::Gray;
        bitCount = 8;
    } else if (cinfo_.num_components == 3 &&
               (cinfo_.jpeg_color_space == JCS_YCbCr || cinfo_.jpeg_color_space == JCS_RGB)) {
        output_ = Output::Bgr;
    } else if (cinfo_.num_components == 4 &&
               (cinfo_.jpeg_color_space == JCS_CMYK || cinfo_.jpeg_color_space == JCS_YCCK)) {
        output_ = Output::Cmyk;
        adobeInverted_ = cinfo_.saw_Adobe_marker != 0;
    } else {
        return Refuse(KVIMAGE_ERROR_UNSUPPORTED);
    }
    SetOutputColorSpace();
    // The reduced-size inverse DCT gives ceil(size * M / 8) pixels a side: the size the buffer needs
    // is known from the header alone.
    cinfo_.scale_num = scaleEighths;
    cinfo_.scale_denom = 8;
    jpeg_calc_output_dimensions(&cinfo_);
    // libjpeg refuses an empty frame itself, so what fails here is the size cap.
    if (!MakeDibGeometry(cinfo_.output_width, cinfo_.output_height, bitCount, geometry_))
        return Refuse(KVIMAGE_ERROR_TOO_LARGE);
    geometry = geometry_;
    return true;
}

void JpegDecoder::SetOutputColorSpace()
{
    switch (output_) {
    case Output::Gray:
        cinfo_.out_color_space = JCS_GRAYSCALE;
        break;
    case Output::Bgr:
        cinfo_.out_color_space = JCS_EXT_BGR;
        break;
    case Output::Cmyk:
        cinfo_.out_color_space = JCS_CMYK;
        break;  // libjpeg turns YCCK into CMYK
    }
}

bool JpegDecoder::DecodeInto(std::uint8_t* pixels)
{
    trap_.error = 0;
    if (setjmp(trap_.jump)) return Refuse(trap_.error);

    jpeg_start_decompress(&cinfo_);
    if (cinfo_.output_width != geometry_.width || cinfo_.output_height != geometry_.height)
        return Refuse(KVIMAGE_ERROR_DATA);

    if (output_ == Output::Cmyk)
        DecodeCmyk(pixels);
    else
        DecodeBgrOrGray(pixels);
    // The rest of the file after the last row (often nothing but EOI) is not read: every pixel is
    // already in place. The destructor ends the decompression.
    return cinfo_.output_scanline == cinfo_.output_height || Refuse(KVIMAGE_ERROR_DATA);
}

void JpegDecoder::DecodeBgrOrGray(std::uint8_t* pixels)
{
    const std::uint32_t usedBytes = geometry_.width * (geometry_.bitCount / 8);
    const std::uint32_t padBytes = geometry_.rowBytes - usedBytes;
    JSAMPROW rows[kRowsPerCall];
    while (cinfo_.output_scanline < cinfo_.output_height) {
        const JDIMENSION first = cinfo_.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, cinfo_.output_height - first);
        // The DIB is bottom-up: image row y lives at row height - 1 - y of the buffer.
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = pixels + std::size_t{geometry_.height - 1 - (first + i)} * geometry_.rowBytes;
        const JDIMENSION got = jpeg_read_scanlines(&cinfo_, rows, count);
        if (got == 0) return;  // cannot happen with a file source; never loop on it
        if (padBytes != 0)
            for (JDIMENSION i = 0; i < got; ++i)
                std::memset(rows[i] + usedBytes, 0, padBytes);
    }
}

void JpegDecoder::DecodeCmyk(std::uint8_t* pixels)
{
    const std::uint32_t width = geometry_.width;
    const std::uint32_t padBytes = geometry_.rowBytes - width * 3;
    JSAMPARRAY cmyk = (*cinfo_.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo_), JPOOL_IMAGE,
                                                  width * 4, kRowsPerCall);
    while (cinfo_.output_scanline < cinfo_.output_height) {
        const JDIMENSION first = cinfo_.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, cinfo_.output_height - first);
        const JDIMENSION got = jpeg_read_scanlines(&cinfo_, cmyk, count);
        if (got == 0) return;
        for (JDIMENSION i = 0; i < got; ++i) {
            const JSAMPLE* in = cmyk[i];
            std::uint8_t* out = pixels + std::size_t{geometry_.height - 1 - (first + i)} * geometry_.rowBytes;
            for (std::uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
                const unsigned k = in[3];
                if (adobeInverted_) {
                    out[0] = InvertedInk(in[2], k);
                    out[1] = InvertedInk(in[1], k);
                    out[2] = InvertedInk(in[0], k);
                } else {
                    out[0] = PlainInk(in[2], k);
                    out[1] = PlainInk(in[1], k);
                    out[2] = PlainInk(in[0], k);
                }
            }
            std::memset(out, 0, padBytes);
        }
    }
}

}  // namespace kvimage
