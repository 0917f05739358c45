#include "JpegFileSource.h"

#include <jerror.h>

namespace kvimage {
namespace {

constexpr DWORD kBufferBytes = 64 * 1024;

struct FileSource {
    jpeg_source_mgr pub;  // first, so libjpeg's pointer is also ours
    HANDLE file;
    JOCTET* buffer;
    bool startOfFile;
};

FileSource& SourceOf(j_decompress_ptr cinfo) { return *reinterpret_cast<FileSource*>(cinfo->src); }

void InitSource(j_decompress_ptr cinfo) { SourceOf(cinfo).startOfFile = true; }

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    FileSource& src = SourceOf(cinfo);
    DWORD got = 0;
    if (!::ReadFile(src.file, src.buffer, kBufferBytes, &got, nullptr)) ERREXIT(cinfo, JERR_FILE_READ);
    if (got == 0) {
        if (src.startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A cut-off file ends in a fake EOI, as libjpeg's own sources do: the decoder fills the
        // rest of the image and warns, and the warning is not a failure.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src.buffer[0] = 0xFF;
        src.buffer[1] = JPEG_EOI;
        got = 2;
    }
    src.pub.next_input_byte = src.buffer;
    src.pub.bytes_in_buffer = got;
    src.startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0) return;
    FileSource& src = SourceOf(cinfo);
    const size_t skip = static_cast<size_t>(count);
    if (skip <= src.pub.bytes_in_buffer) {
        src.pub.next_input_byte += skip;
        src.pub.bytes_in_buffer -= skip;
        return;
    }
    LARGE_INTEGER beyond;
    beyond.QuadPart = static_cast<LONGLONG>(skip - src.pub.bytes_in_buffer);
    src.pub.bytes_in_buffer = 0;
    // Seeking past the end is allowed; the next read then finds the end of the file.
    if (!::SetFilePointerEx(src.file, beyond, nullptr, FILE_CURRENT)) ERREXIT(cinfo, JERR_FILE_READ);
    src.startOfFile = false;
}

void TermSource(j_decompress_ptr) {}

}  // namespace

void UseFileSource(j_decompress_ptr cinfo, HANDLE file)
{
    auto* src = static_cast<FileSource*>((*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo),
                                                                    JPOOL_PERMANENT, sizeof(FileSource)));
    src->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kBufferBytes));
    src->file = file;
    src->startOfFile = true;
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInputBuffer;
    src->pub.skip_input_data = SkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    src->pub.next_input_byte = nullptr;
    src->pub.bytes_in_buffer = 0;
    cinfo->src = &src->pub;
}

}  // namespace kvimage
