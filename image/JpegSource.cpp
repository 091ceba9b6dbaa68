#include "image/JpegSource.h"

#include <algorithm>
#include <cstring>

#include <jerror.h>

namespace {

void initSource(j_decompress_ptr cinfo)
{
    reinterpret_cast<JpegMemorySource*>(cinfo->src)->startOfFile = TRUE;
}

boolean fillInputBuffer(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<JpegMemorySource*>(cinfo->src);
    const long left = src->length - src->position;
    long n = left > 0 ? std::min<long>(JPEG_SOURCE_CHUNK, left) : 0;
    if (n > 0) {
        std::memcpy(src->buffer, src->data + src->position, static_cast<size_t>(n));
        src->position += n;
    } else {
        if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = static_cast<size_t>(n);
    src->startOfFile = FALSE;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0) return;
    auto* src = reinterpret_cast<JpegMemorySource*>(cinfo->src);
    while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
        count -= static_cast<long>(src->pub.bytes_in_buffer);
        fillInputBuffer(cinfo);
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void termSource(j_decompress_ptr) {}

} // namespace

void jpeg_memory_src(j_decompress_ptr cinfo, const unsigned char* data, long length)
{
    if (!cinfo->src) {
        auto* src = static_cast<JpegMemorySource*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegMemorySource)));
        src->buffer = static_cast<JOCTET*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, JPEG_SOURCE_CHUNK));
        cinfo->src = &src->pub;
    }
    auto* src = reinterpret_cast<JpegMemorySource*>(cinfo->src);
    src->data = data;
    src->length = length;
    src->position = 0;
    src->pub.next_input_byte = nullptr;
    src->pub.bytes_in_buffer = 0;
    src->pub.init_source = initSource;
    src->pub.fill_input_buffer = fillInputBuffer;
    src->pub.skip_input_data = skipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = termSource;
}
