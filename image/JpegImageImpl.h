// CJpegImageImpl: an image filled by decoding one JPEG frame.
#pragma once

#include "image/ImageImpl.h"

class CJpegImageImpl final : public CImageImpl {
public:
    ~CJpegImageImpl() override = default;
    // 1 when the frame was decoded to its end, 0 after a fatal error (the
    // image then keeps what was decoded, if its size was known).
    int Load(const unsigned char* data, int length) override;
    // Decodes the next Load at 1/denominator of the picture's size (1, 2,
    // 4 or 8; anything else is 1): the decoder leaves out the detail the
    // smaller picture cannot show, so it does a fraction of the work.
    void SetScale(int denominator) { m_nScaleDenom = denominator; }
    // The picture's own size, whatever size it was decoded at.
    int sourceWidth = 0;
    int sourceHeight = 0;

private:
    // Clears the pixels of the rows from the given output scanline (counted
    // from the top) to the last.
    void clearRowsFrom(unsigned scanline);
    int m_nScaleDenom = 1;
};
