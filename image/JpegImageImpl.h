// CJpegImageImpl: an image filled by decoding one JPEG frame.
#pragma once

#include "image/ImageImpl.h"

class CJpegImageImpl final : public CImageImpl {
public:
    ~CJpegImageImpl() override = default;
    // 1 when the frame was decoded to its end, 0 after a fatal error (the
    // image then keeps what was decoded, if its size was known).
    int Load(const unsigned char* data, int length) override;

private:
    // Clears the pixels of the rows from the given output scanline (counted
    // from the top) to the last.
    void clearRowsFrom(unsigned scanline);
};
