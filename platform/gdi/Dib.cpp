// Transfers of device-independent bitmaps and of surfaces.
#include <algorithm>
#include <array>
#include <type_traits>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/PixelRows.h"

namespace {

// What a 32-bit surface stores: the colour itself.
struct KeepRgb {
    std::uint32_t operator()(std::uint32_t rgb) const { return rgb; }
};

// Reads the pixels of a bottom-up bitmap as 0x00RRGGBB.
class DibReader {
public:
    DibReader(DeviceContext& dc, const void* bits, const BITMAPINFO* info, UINT usage)
        : m_bits(static_cast<const BYTE*>(bits)), m_header(info->bmiHeader)
    {
        m_bitCount = m_header.biBitCount;
        m_rowBytes = DibStride(m_bitCount, m_header.biWidth);
        if (m_bitCount <= 8) {
            const unsigned entries = m_header.biClrUsed ? std::min<unsigned>(m_header.biClrUsed, 256) : 1u << m_bitCount;
            const auto* table = reinterpret_cast<const BYTE*>(info) + m_header.biSize;
            for (unsigned i = 0; i < entries; ++i) {
                if (usage == DIB_PAL_COLORS) {
                    const WORD index = static_cast<WORD>(table[2 * i] | (table[2 * i + 1] << 8));
                    m_colours[i] = PaletteColour(dc, index);
                } else {
                    const BYTE* q = table + 4 * i;
                    m_colours[i] = static_cast<std::uint32_t>(q[2]) << 16 | static_cast<std::uint32_t>(q[1]) << 8 | q[0];
                }
            }
        }
    }

    bool supported() const
    {
        return m_bits && m_header.biCompression == BI_RGB && m_header.biWidth > 0 && m_header.biHeight > 0 &&
               (m_bitCount == 8 || m_bitCount == 24 || m_bitCount == 32);
    }
    int width() const { return m_header.biWidth; }
    int height() const { return m_header.biHeight; }

    // Reads the pixels of row r at the given columns into out, as `store`
    // keeps them. Columns that follow one another (a copy without
    // horizontal scaling) are read in one pass without the column table.
    template <typename Store>
    void readRow(int r, const std::vector<int>& columns, std::uint32_t* out, Store store) const
    {
        const BYTE* row = m_bits + static_cast<long long>(r) * m_rowBytes;
        const size_t n = columns.size();
        const bool contiguous = n > 0 && static_cast<size_t>(columns.back() - columns.front()) == n - 1;
        switch (m_bitCount) {
        case 8:
            for (size_t i = 0; i < n; ++i) out[i] = store(m_colours[row[columns[i]]]);
            break;
        case 24:
            if (contiguous) {
                const BYTE* p = row + 3 * static_cast<long long>(columns.front());
                if constexpr (std::is_same_v<Store, KeepRgb>) {
                    BgrToXrgb(p, n, out);
                } else {
                    for (size_t i = 0; i < n; ++i, p += 3) out[i] = store(bgr(p));
                }
            } else {
                for (size_t i = 0; i < n; ++i) out[i] = store(bgr(row + 3 * columns[i]));
            }
            break;
        default:
            if (contiguous) {
                const BYTE* p = row + 4 * static_cast<long long>(columns.front());
                for (size_t i = 0; i < n; ++i, p += 4) out[i] = store(bgr(p));
            } else {
                for (size_t i = 0; i < n; ++i) out[i] = store(bgr(row + 4 * columns[i]));
            }
            break;
        }
    }

    static std::uint32_t bgr(const BYTE* p)
    {
        return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
    }

    // Row r counts from the bottom of the picture.
    std::uint32_t at(int x, int r) const
    {
        const BYTE* row = m_bits + static_cast<long long>(r) * m_rowBytes;
        switch (m_bitCount) {
        case 8:
            return m_colours[row[x]];
        case 24: {
            const BYTE* p = row + 3 * static_cast<long long>(x);
            return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
        }
        default: {
            const BYTE* p = row + 4 * static_cast<long long>(x);
            return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
        }
        }
    }

private:
    const BYTE* m_bits;
    BITMAPINFOHEADER m_header;
    int m_bitCount;
    long long m_rowBytes;
    std::array<std::uint32_t, 256> m_colours{};
};

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

int StretchDIBits(HDC hdc, int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc, int wSrc, int hSrc,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop)
{
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc || !dc->surface || !info || rop != SRCCOPY || wDst <= 0 || hDst <= 0 || wSrc <= 0 || hSrc <= 0) return 0;
    DibReader source(*dc, bits, info, usage);
    if (!source.supported()) return 0;
    Surface& surface = *dc->surface;
    PixelWriter writer(surface);
    const RECT paint = dc->paintable();
    const int left = xDst + dc->originX;
    const int top = yDst + dc->originY;

    // The destination columns that land on the surface and on the bitmap,
    // each with the source column it samples (nearest pixel).
    const int firstX = std::max<int>(left, paint.left);
    const int lastX = std::min<int>(left + wDst, paint.right);
    std::vector<int> columns;
    int columnStart = firstX;
    for (int x = firstX; x < lastX; ++x) {
        const int sx = xSrc + static_cast<int>(static_cast<long long>(x - left) * wSrc / wDst);
        if (sx < 0 || sx >= source.width()) {
            if (columns.empty()) columnStart = x + 1;
            continue;
        }
        if (static_cast<int>(columns.size()) != x - columnStart) break; // a gap: keep the first run
        columns.push_back(sx);
    }
    for (int dy = 0; dy < hDst && !columns.empty(); ++dy) {
        const int y = top + dy;
        if (y < paint.top || y >= paint.bottom) continue;
        // Destination rows go down; source rows are counted up from ySrc.
        const int r = ySrc + hSrc - 1 - static_cast<int>(static_cast<long long>(dy) * hSrc / hDst);
        if (r < 0 || r >= source.height()) continue;
        std::uint32_t* out = surface.row(y) + columnStart;
        if (writer.paletted())
            source.readRow(r, columns, out, [&writer](std::uint32_t rgb) { return writer.stored(rgb); });
        else
            source.readRow(r, columns, out, KeepRgb{});
    }
    surface.recordPicture(RECT{left, top, left + wDst, top + hDst});
    return hDst;
}

int SetDIBitsToDevice(HDC hdc, int xDst, int yDst, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage)
{
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc || !dc->surface || !info || startScan != 0) return 0;
    DibReader source(*dc, bits, info, usage);
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
    if (left < right && top < bottom) {
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
