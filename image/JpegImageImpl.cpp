#include "image/JpegImageImpl.h"

#include <csetjmp>
#include <algorithm>
#include <cstring>

#include "image/Dib.h"
#include "image/JpegSource.h"

namespace {

constexpr JDIMENSION kMaxRowsPerRead = 16;

// The library's error manager with the way back into Load. Fatal errors
// jump back; messages are neither shown nor logged.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

void JpegOutputMessage(j_common_ptr) {}

// Four CMYK bytes to blue, green, red and a zero byte. Adobe files store
// the inks inverted.
void cmykToBgrx(BYTE* row, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x) {
        BYTE* p = row + 4 * x;
        unsigned c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        p[0] = static_cast<BYTE>((y * k + 127) / 255);
        p[1] = static_cast<BYTE>((m * k + 127) / 255);
        p[2] = static_cast<BYTE>((c * k + 127) / 255);
        p[3] = 0;
    }
}

} // namespace

void CJpegImageImpl::clearRowsFrom(unsigned scanline)
{
    const long long used = (static_cast<long long>(bitCount) * imageWidth + 7) / 8;
    for (long long s = scanline; s < imageHeight; ++s)
        std::memset(imageBits + rowBytes * (imageHeight - 1 - s), 0, static_cast<std::size_t>(used));
}

// Only trivially destructible objects live in this frame: a fatal error
// jumps back into it from inside the library.
int CJpegImageImpl::Load(const unsigned char* data, int length)
{
    jpeg_decompress_struct cinfo;
    JpegErrorManager jerr;
    cinfo.err = jpeg_std_error(&jerr.pub);
    jerr.pub.error_exit = JpegErrorExit;
    jerr.pub.output_message = JpegOutputMessage;
    // The bitmap's rows are not cleared before decoding: the library
    // writes each one whole. Rows it has not finished when a fatal error
    // stops it are cleared then, so that they show as black, as the rows of
    // a zero-filled bitmap would. (A read fails before it writes any row:
    // the library decodes a row group's data first, then writes its rows.)
    volatile bool rowsPending = false;
    volatile JDIMENSION rowsDone = 0;
    if (setjmp(jerr.jump)) {
        if (rowsPending) clearRowsFrom(rowsDone);
        jpeg_destroy_decompress(&cinfo);
        return 0;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_memory_src(&cinfo, data, length);
    jpeg_read_header(&cinfo, TRUE);

    // The header is untrusted: a picture whose bitmap would exceed the
    // largest block is refused before the library allocates for it (a
    // progressive file's coefficients are held whole), and the library's
    // own allocations are bounded the same way.
    if (DibBlockBytes(cinfo.num_components * 8, cinfo.image_width, cinfo.image_height, DIB_COLOR_TABLE_BYTES) >
        DIB_MAX_BLOCK_BYTES)
        std::longjmp(jerr.jump, 1);
    cinfo.mem->max_memory_to_use = DIB_MAX_BLOCK_BYTES;

    if (cinfo.jpeg_color_space != JCS_GRAYSCALE) cinfo.quantize_colors = FALSE;
    cinfo.dither_mode = JDITHER_NONE;
    cinfo.do_fancy_upsampling = FALSE;
    cinfo.do_block_smoothing = FALSE;
    cinfo.dct_method = JDCT_IFAST;
    // Colour reaches the bitmap as blue, green, red; CMYK and YCCK files
    // come out as CMYK and are converted row by row.
    if (cinfo.out_color_space == JCS_RGB) cinfo.out_color_space = JCS_EXT_BGR;
    const bool cmyk = cinfo.out_color_space == JCS_CMYK;
    const bool inverted = cinfo.saw_Adobe_marker;
    sourceWidth = static_cast<int>(cinfo.image_width);
    sourceHeight = static_cast<int>(cinfo.image_height);
    if (m_nScaleDenom == 2 || m_nScaleDenom == 4 || m_nScaleDenom == 8) {
        cinfo.scale_num = 1;
        cinfo.scale_denom = static_cast<unsigned>(m_nScaleDenom);
    }

    jpeg_start_decompress(&cinfo);
    if (!CreateBlock(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                     cinfo.output_components * 8, -1, DibRows::ToBeWritten))
        std::longjmp(jerr.jump, 1);
    rowsPending = true;
    if (cinfo.out_color_space == JCS_GRAYSCALE) CreateGrayPalette(256);

    // Rows are decoded straight into the bitmap, top row last, as many at
    // a time as the library hands out in one call; no second copy of the
    // picture is made.
    JSAMPROW rows[kMaxRowsPerRead];
    const JDIMENSION perRead = std::min<JDIMENSION>(std::max(cinfo.rec_outbuf_height, 1), kMaxRowsPerRead);
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION first = cinfo.output_scanline;
        const JDIMENSION count = std::min(perRead, cinfo.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = imageBits + static_cast<long long>(rowBytes) * (imageHeight - 1 - static_cast<int>(first + i));
        const JDIMENSION read = jpeg_read_scanlines(&cinfo, rows, count);
        if (cmyk)
            for (JDIMENSION i = 0; i < read; ++i) cmykToBgrx(rows[i], cinfo.output_width, inverted);
        rowsDone = first + read;
    }
    rowsPending = false;
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return 1;
}
