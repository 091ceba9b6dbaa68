// The JPEG library's data source over a frame in memory, handed over in
// chunks of 4096 bytes, with an end-of-image marker supplied after a
// truncated frame.
#pragma once

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

constexpr int JPEG_SOURCE_CHUNK = 4096;

struct JpegMemorySource {
    jpeg_source_mgr pub;
    const JOCTET* data; // neither copied nor owned
    long length;
    long position;
    JOCTET* buffer; // JPEG_SOURCE_CHUNK bytes from the permanent pool
    boolean startOfFile;
};

void jpeg_memory_src(j_decompress_ptr cinfo, const unsigned char* data, long length);
