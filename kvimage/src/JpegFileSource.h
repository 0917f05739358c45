// A libjpeg data source reading a Windows file handle in blocks, so a header query reads only the
// first block or two, and large skipped segments (EXIF thumbnails, ICC profiles) are seeked over.
#pragma once

#include <windows.h>

#include <cstdio>

#include <jpeglib.h>

namespace kvimage {

// Installs the source on a created decompressor. Its buffer comes from the decompressor's pool, so
// jpeg_destroy_decompress frees it. The handle stays the caller's. Errors go through error_exit.
void UseFileSource(j_decompress_ptr cinfo, HANDLE file);

}  // namespace kvimage
