// The JPEG library's data source over a frame in memory, handed over in
// chunks, with an end-of-image marker supplied after a truncated frame.
#pragma once

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

// 64 KiB, a whole frame of most cameras at once: libjpeg-turbo decodes its
// entropy-coded data on its fast path only while at least 512 bytes per
// block of an MCU (3 KiB for 4:2:0 colour) are in hand, so with chunks of
// 4 KiB most of every chunk went through the slow path (measured: decoding
// a 1280x720 frame 1.25 times TurboJPEG's time with 4 KiB chunks, 1.00
// with 64 KiB). What is decoded is the same byte for byte.
constexpr int JPEG_SOURCE_CHUNK = 65536;

struct JpegMemorySource {
    jpeg_source_mgr pub;
    const JOCTET* data; // neither copied nor owned
    long length;
    long position;
    JOCTET* buffer; // JPEG_SOURCE_CHUNK bytes from the permanent pool
    boolean startOfFile;
};

void jpeg_memory_src(j_decompress_ptr cinfo, const unsigned char* data, long length);
