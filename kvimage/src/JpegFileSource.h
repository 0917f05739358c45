// A libjpeg data source reading a Windows file handle in blocks, so a header query reads only the
// first block or two, and large skipped segments (EXIF thumbnails, ICC profiles) are seeked over.
//
// Once the first scan begins, the source also follows the file's marker structure and hands libjpeg
// a marker segment only when it is complete. A file cut off inside a segment between two scans (a
// Huffman table or a scan header of a progressive file) then ends, for libjpeg, after the last
// whole scan, and the image decodes from the scans it has, instead of failing on a half table.
#pragma once

#include <windows.h>

#include <cstdio>

#include <jpeglib.h>

namespace kvimage {

// Installs the source on a created decompressor. Its state and buffer come from the decompressor's
// pool, so jpeg_destroy_decompress frees them. The handle stays the caller's. Read errors go
// through error_exit; the end of the file is a warning followed by a fake EOI marker.
void UseFileSource(j_decompress_ptr cinfo, HANDLE file);

// Whether the source has run out of file and fed libjpeg its fake end marker.
bool FileSourceReachedEnd(j_decompress_ptr cinfo);

// Called right after jpeg_read_header, when the next byte is the first scan's coded data: from
// here on only whole marker segments are handed over.
void FileSourceFollowSegments(j_decompress_ptr cinfo);

}  // namespace kvimage
