// Transfers of device-independent bitmaps and of surfaces.
#include <algorithm>
#include <vector>

#include "platform/gdi/linux/DibReader.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/linux/GdiObjects.h"
#include "platform/trace/Trace.h"

namespace {

// Writes colours onto a surface, mapping them to palette indices on 8 bits
// through a 32 x 32 x 32 lookup. Every 8-bit surface has the halftone
// palette, so the lookup is made once for the process, not per transfer.
class PixelWriter {
public:
    explicit PixelWriter(const Surface& s) : m_lookup(s.bitsPerPixel() == 8 ? &halftoneLookup(s) : nullptr) {}
    bool paletted() const { return m_lookup != nullptr; }
    std::uint32_t stored(std::uint32_t rgb) const
    {
        if (!m_lookup) return rgb & 0xFFFFFF;
        return (*m_lookup)[((rgb >> 9) & 0x7C00) | ((rgb >> 6) & 0x3E0) | ((rgb >> 3) & 0x1F)];
    }

private:
    static const std::vector<std::uint8_t>& halftoneLookup(const Surface& s)
    {
        static const std::vector<std::uint8_t> lookup = [&s] {
            std::vector<std::uint8_t> t(32 * 32 * 32);
            for (int r = 0; r < 32; ++r)
                for (int g = 0; g < 32; ++g)
                    for (int b = 0; b < 32; ++b)
                        t[static_cast<size_t>((r << 10) | (g << 5) | b)] = s.nearestIndex(
                            static_cast<std::uint32_t>((r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2)));
            return t;
        }();
        return lookup;
    }

    const std::vector<std::uint8_t>* m_lookup;
};

} // namespace

DibReader::DibReader(HDC hdc, const void* bits, const BITMAPINFO* info, UINT usage)
    : m_bits(static_cast<const BYTE*>(bits)), m_header(info->bmiHeader)
{
    m_bitCount = m_header.biBitCount;
    m_rowBytes = DibStride(m_bitCount, m_header.biWidth);
    if (m_bitCount <= 8) {
        const auto dc = usage == DIB_PAL_COLORS ? GdiTable::instance().dc(hdc) : nullptr;
        const unsigned entries = m_header.biClrUsed ? std::min<unsigned>(m_header.biClrUsed, 256) : 1u << m_bitCount;
        const auto* table = reinterpret_cast<const BYTE*>(info) + m_header.biSize;
        for (unsigned i = 0; i < entries; ++i) {
            if (usage == DIB_PAL_COLORS) {
                const WORD index = static_cast<WORD>(table[2 * i] | (table[2 * i + 1] << 8));
                m_colours[i] = dc ? PaletteColour(*dc, index) : 0;
            } else {
                m_colours[i] = bgr(table + 4 * i);
            }
        }
    }
}

bool GetDibTarget(HDC hdc, int xDst, int yDst, int wDst, int hDst, DibTarget* target)
{
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc || !dc->surface || !target) return false;
    target->surface = dc->surface;
    target->paint = dc->paintable();
    const int left = xDst + dc->originX;
    const int top = yDst + dc->originY;
    target->destination = RECT{left, top, left + wDst, top + hDst};
    return true;
}

int StretchDIBits(HDC hdc, int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc, int wSrc, int hSrc,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop)
{
    DibTarget target;
    if (!info || rop != SRCCOPY || wDst <= 0 || hDst <= 0 || wSrc <= 0 || hSrc <= 0 ||
        !GetDibTarget(hdc, xDst, yDst, wDst, hDst, &target))
        return 0;
    DibReader source(hdc, bits, info, usage);
    if (!source.supported()) return 0;
    PixelWriter writer(*target.surface);
    if (writer.paletted())
        StretchDib(source, target, xSrc, ySrc, wSrc, hSrc, [&writer](std::uint32_t rgb, int, int) { return writer.stored(rgb); });
    else
        StretchDib(source, target, xSrc, ySrc, wSrc, hSrc, KeepRgb{});
    return hDst;
}

int SetDIBitsToDevice(HDC hdc, int xDst, int yDst, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage)
{
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc || !dc->surface || !info || startScan != 0) return 0;
    DibReader source(hdc, bits, info, usage);
    if (!source.supported()) return 0;
    const int lines = std::min<int>(static_cast<int>(scanLines), source.height());
    Surface& surface = *dc->surface;
    PixelWriter writer(surface);
    const RECT paint = dc->paintable();
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    for (int dy = 0; dy < h; ++dy) {
        const int y = yDst + dc->originY + dy;
        const int r = ySrc + h - 1 - dy;
        if (y < paint.top || y >= paint.bottom || r < 0 || r >= lines) continue;
        for (int dx = 0; dx < w; ++dx) {
            const int x = xDst + dc->originX + dx;
            const int sx = xSrc + dx;
            if (x < paint.left || x >= paint.right || sx < 0 || sx >= source.width()) continue;
            surface.row(y)[x] = writer.stored(source.at(sx, r));
        }
    }
    surface.recordPicture(RECT{xDst + dc->originX, yDst + dc->originY, xDst + dc->originX + w, yDst + dc->originY + h});
    return lines;
}

BOOL BitBlt(HDC hdcDst, int x, int y, int width, int height, HDC hdcSrc, int xSrc, int ySrc, DWORD rop)
{
    VE_TRACE(gdi, "(%p, %ld, %ld, %ld, %ld, %p, %ld, %ld, 0x%lx)", traceHandle(hdcDst), static_cast<long>(x),
             static_cast<long>(y), static_cast<long>(width), static_cast<long>(height), traceHandle(hdcSrc),
             static_cast<long>(xSrc), static_cast<long>(ySrc), static_cast<unsigned long>(rop));
    const auto dst = GdiTable::instance().dc(hdcDst);
    const auto src = GdiTable::instance().dc(hdcSrc);
    if (!dst || !src || !dst->surface || !src->surface || rop != SRCCOPY) return FALSE;
    Surface& to = *dst->surface;
    const Surface& from = *src->surface;
    const RECT paint = dst->paintable();
    // The part of the transfer that lies on both surfaces.
    const int shiftX = x + dst->originX - (xSrc + src->originX);
    const int shiftY = y + dst->originY - (ySrc + src->originY);
    const int left = std::max({x + dst->originX, static_cast<int>(paint.left), shiftX});
    const int right = std::min({x + dst->originX + width, static_cast<int>(paint.right), from.width() + shiftX});
    const int top = std::max({y + dst->originY, static_cast<int>(paint.top), shiftY});
    const int bottom = std::min({y + dst->originY + height, static_cast<int>(paint.bottom), from.height() + shiftY});
    const bool whole = left == 0 && top == 0 && right == to.width() && bottom == to.height() && shiftX == 0 &&
                       shiftY == 0 && from.width() == to.width() && from.height() == to.height();
    if (whole && to.sharePixelsOf(from)) {
        // The whole of one surface onto the whole of another of its size and
        // depth (an off-screen picture the size of the window): the target
        // takes the source's pixels, shared until either is drawn on.
    } else if (left < right && top < bottom) {
        const bool sameFormat = to.bitsPerPixel() == from.bitsPerPixel();
        PixelWriter writer(to);
        for (int ty = top; ty < bottom; ++ty) {
            const std::uint32_t* in = from.row(ty - shiftY) + (left - shiftX);
            std::uint32_t* out = to.row(ty) + left;
            if (sameFormat) {
                std::copy(in, in + (right - left), out);
            } else {
                for (int i = 0; i < right - left; ++i)
                    out[i] = writer.stored(from.bitsPerPixel() == 8 ? from.palette()[in[i] & 0xFF] : in[i]);
            }
        }
    }
    // A picture composed off-screen counts as drawn where it lands.
    for (const auto& p : from.pictures())
        to.recordPicture(RECT{p.rect.left + shiftX, p.rect.top + shiftY, p.rect.right + shiftX, p.rect.bottom + shiftY});
    return TRUE;
}
