#include "JpegFileSource.h"

#include <jerror.h>

#include <cstring>

namespace kvimage {
namespace {

// One read. After the first scan begins the buffer must also hold a whole marker segment (at most
// 2 + 65535 bytes) on top of a read, so it is twice that.
constexpr DWORD kReadBytes = 64 * 1024;
constexpr size_t kBufferBytes = 2 * kReadBytes + 16;

// Where the first byte not yet handed to libjpeg stands in the file's structure.
enum class Position {
    Headers,  // before the first scan: bytes are handed over as they are read
    Coded,    // inside a scan's entropy-coded data
    Markers,  // between segments, where the next marker (or stray bytes) comes
    AfterEnd  // after EOI: nothing more is looked at
};

struct FileSource {
    jpeg_source_mgr pub;  // first, so libjpeg's pointer is also ours
    HANDLE file;
    JOCTET* buffer;
    size_t held;  // start of the bytes read but not yet handed over
    size_t end;   // end of the bytes read
    Position position;
    bool startOfFile;
    bool fileEnded;   // ReadFile found the end
    bool reachedEnd;  // libjpeg has been given the fake EOI
};

FileSource& SourceOf(j_decompress_ptr cinfo)
{
    return *reinterpret_cast<FileSource*>(cinfo->src);
}

bool IsStandalone(JOCTET marker)
{
    return marker == 0x01 || marker == 0xD8 || marker == 0xD9 || (marker >= 0xD0 && marker <= 0xD7);
}

// Reads more of the file after the bytes already in the buffer. False at the end of the file.
bool ReadMore(j_decompress_ptr cinfo, FileSource& src)
{
    if (src.fileEnded) return false;
    const DWORD room = static_cast<DWORD>(kBufferBytes - src.end);
    const DWORD want = room < kReadBytes ? room : kReadBytes;
    DWORD got = 0;
    if (!::ReadFile(src.file, src.buffer + src.end, want, &got, nullptr)) ERREXIT(cinfo, JERR_FILE_READ);
    if (got == 0) {
        src.fileEnded = true;
        return false;
    }
    src.end += got;
    src.startOfFile = false;
    return true;
}

// How many of the held bytes form whole pieces of the file's structure, advancing the position over
// them: coded data up to a marker, and complete marker segments.
size_t CompletePrefix(FileSource& src)
{
    const JOCTET* const data = src.buffer;
    size_t at = src.held;
    while (at < src.end) {
        if (src.position == Position::AfterEnd) return src.end - src.held;
        if (src.position == Position::Coded) {
            const void* ff = std::memchr(data + at, 0xFF, src.end - at);
            if (!ff) return src.end - src.held;
            at = static_cast<size_t>(static_cast<const JOCTET*>(ff) - data);
            if (at + 1 >= src.end) break;  // the byte after 0xFF decides
            const JOCTET next = data[at + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                at += 2;  // a stuffed byte or a restart marker: still coded data
            } else if (next == 0xFF) {
                at += 1;  // fill before a marker
            } else {
                src.position = Position::Markers;
            }
            continue;
        }
        // Between segments: stray bytes and fill bytes pass as libjpeg's marker reader skips them.
        if (data[at] != 0xFF) {
            ++at;
            continue;
        }
        if (at + 1 >= src.end) break;
        const JOCTET marker = data[at + 1];
        if (marker == 0xFF) {
            at += 1;
        } else if (marker == 0x00 || IsStandalone(marker)) {
            at += 2;
            if (marker == 0xD9) src.position = Position::AfterEnd;
        } else {
            if (at + 4 > src.end) break;
            const size_t length = size_t{data[at + 2]} << 8 | data[at + 3];
            if (at + 2 + length > src.end) break;
            at += 2 + length;
            if (marker == 0xDA) src.position = Position::Coded;
        }
    }
    return at - src.held;
}

void HandOver(FileSource& src, size_t count)
{
    src.pub.next_input_byte = src.buffer + src.held;
    src.pub.bytes_in_buffer = count;
    src.held += count;
}

void HandOverFakeEnd(j_decompress_ptr cinfo, FileSource& src)
{
    if (src.startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    // A cut-off file ends in a fake EOI, as libjpeg's own sources do: the decoder fills the rest of
    // the image and warns, and the warning is not a failure.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src.reachedEnd = true;
    src.buffer[0] = 0xFF;
    src.buffer[1] = JPEG_EOI;
    src.held = src.end = 0;
    src.pub.next_input_byte = src.buffer;
    src.pub.bytes_in_buffer = 2;
}

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    FileSource& src = SourceOf(cinfo);
    // Everything handed over has been used: keep only what is held back, at the buffer's start.
    if (src.held > 0) {
        std::memmove(src.buffer, src.buffer + src.held, src.end - src.held);
        src.end -= src.held;
        src.held = 0;
    }
    if (src.position == Position::Headers) {
        if (!ReadMore(cinfo, src)) {
            HandOverFakeEnd(cinfo, src);
            return TRUE;
        }
        HandOver(src, src.end - src.held);
        return TRUE;
    }
    for (;;) {
        const size_t complete = CompletePrefix(src);
        if (complete > 0) {
            HandOver(src, complete);
            return TRUE;
        }
        // An incomplete segment at the end of the file is dropped: the data ends before it.
        if (!ReadMore(cinfo, src)) {
            HandOverFakeEnd(cinfo, src);
            return TRUE;
        }
    }
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0) return;
    FileSource& src = SourceOf(cinfo);
    size_t skip = static_cast<size_t>(count);
    if (skip <= src.pub.bytes_in_buffer) {
        src.pub.next_input_byte += skip;
        src.pub.bytes_in_buffer -= skip;
        return;
    }
    // Only in the headers is more skipped than was handed over (segments after the first scan are
    // handed over whole), so nothing is held back here and the rest is seeked over.
    skip -= src.pub.bytes_in_buffer;
    src.pub.bytes_in_buffer = 0;
    const size_t inBuffer = src.end - src.held;
    if (skip <= inBuffer) {
        src.held += skip;
        return;
    }
    skip -= inBuffer;
    src.held = src.end = 0;
    LARGE_INTEGER beyond;
    beyond.QuadPart = static_cast<LONGLONG>(skip);
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
    src->held = src->end = 0;
    src->position = Position::Headers;
    src->startOfFile = true;
    src->fileEnded = false;
    src->reachedEnd = false;
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInputBuffer;
    src->pub.skip_input_data = SkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    src->pub.next_input_byte = nullptr;
    src->pub.bytes_in_buffer = 0;
    cinfo->src = &src->pub;
}

bool FileSourceReachedEnd(j_decompress_ptr cinfo)
{
    return SourceOf(cinfo).reachedEnd;
}

void FileSourceFollowSegments(j_decompress_ptr cinfo)
{
    FileSource& src = SourceOf(cinfo);
    if (src.reachedEnd) return;
    // Take back what libjpeg has not read yet; the next fill hands it over again, piece by piece.
    src.held = static_cast<size_t>(src.pub.next_input_byte - src.buffer);
    src.pub.bytes_in_buffer = 0;
    src.position = Position::Coded;
}

}  // namespace kvimage
