// CImage: the picture of one decoded frame, owned by the control until the
// next frame replaces it.
#pragma once

#include "platform/win/WinTypes.h"

class CImage {
public:
    CImage() = default;
    virtual ~CImage() = default;
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }

protected:
    int m_nWidth = 0;
    int m_nHeight = 0;
};
