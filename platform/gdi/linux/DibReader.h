// The Linux stand-in's reader of device-independent bitmaps, which stretches
// them onto a device context, nearest pixel: the one reader behind
// StretchDIBits, SetDIBitsToDevice and DrawDib. Each pixel's stored value is
// left to the caller, who may map it to a palette or dither it by its
// position.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/gdi/linux/PixelRows.h"
#include "platform/gdi/linux/Surface.h"
#include "platform/gdi/WinGdi.h"

// The store that keeps a colour as it is, on a 32-bit surface; it takes
// the row conversion's fast path.
struct KeepRgb {
    std::uint32_t operator()(std::uint32_t rgb, int, int) const { return rgb; }
};

// Reads the pixels of a bottom-up bitmap as 0x00RRGGBB.
class DibReader {
public:
    // The colour table is read as colours (DIB_RGB_COLORS) or as indices
    // into the palette selected into hdc (DIB_PAL_COLORS).
    DibReader(HDC hdc, const void* bits, const BITMAPINFO* info, UINT usage);

    // Uncompressed, bottom-up, 8, 24 or 32 bits per pixel.
    bool supported() const
    {
        return m_bits && m_header.biCompression == BI_RGB && m_header.biWidth > 0 && m_header.biHeight > 0 &&
               (m_bitCount == 8 || m_bitCount == 24 || m_bitCount == 32);
    }
    int width() const { return m_header.biWidth; }
    int height() const { return m_header.biHeight; }

    // Reads the pixels of row r at the given columns into out, as
    // store(colour, x, y) keeps them, where the first lands at surface
    // column x0 of surface row y. Columns that follow one another (a copy
    // without horizontal scaling) are read in one pass.
    template <typename Store>
    void readRow(int r, const std::vector<int>& columns, std::uint32_t* out, int x0, int y, Store store) const
    {
        const BYTE* row = m_bits + static_cast<long long>(r) * m_rowBytes;
        const size_t n = columns.size();
        const bool contiguous = n > 0 && static_cast<size_t>(columns.back() - columns.front()) == n - 1;
        const auto x = [x0](size_t i) { return x0 + static_cast<int>(i); };
        switch (m_bitCount) {
        case 8:
            for (size_t i = 0; i < n; ++i) out[i] = store(m_colours[row[columns[i]]], x(i), y);
            break;
        case 24:
            if (contiguous) {
                const BYTE* p = row + 3 * static_cast<long long>(columns.front());
                if constexpr (std::is_same_v<Store, KeepRgb>) {
                    BgrToXrgb(p, n, out);
                } else {
                    for (size_t i = 0; i < n; ++i, p += 3) out[i] = store(bgr(p), x(i), y);
                }
            } else if constexpr (std::is_same_v<Store, KeepRgb>) {
                // A stretched row: one 4-byte read per pixel, masked, for
                // every pixel but the row's last, where it would pass the end.
                const int last = width() - 1;
                for (size_t i = 0; i < n; ++i) {
                    const int c = columns[i];
                    if (c < last) {
                        std::uint32_t word;
                        std::memcpy(&word, row + 3 * static_cast<long long>(c), sizeof word);
                        out[i] = word & 0xFFFFFF;
                    } else {
                        out[i] = bgr(row + 3 * static_cast<long long>(c));
                    }
                }
            } else {
                for (size_t i = 0; i < n; ++i) out[i] = store(bgr(row + 3 * columns[i]), x(i), y);
            }
            break;
        default:
            if (contiguous) {
                const BYTE* p = row + 4 * static_cast<long long>(columns.front());
                for (size_t i = 0; i < n; ++i, p += 4) out[i] = store(bgr(p), x(i), y);
            } else {
                for (size_t i = 0; i < n; ++i) out[i] = store(bgr(row + 4 * columns[i]), x(i), y);
            }
            break;
        }
    }

    // The colour at column x of row r, rows counted from the bottom.
    std::uint32_t at(int x, int r) const
    {
        const BYTE* row = m_bits + static_cast<long long>(r) * m_rowBytes;
        switch (m_bitCount) {
        case 8: return m_colours[row[x]];
        case 24: return bgr(row + 3 * static_cast<long long>(x));
        default: return bgr(row + 4 * static_cast<long long>(x));
        }
    }

    static std::uint32_t bgr(const BYTE* p)
    {
        return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
    }

private:
    const BYTE* m_bits;
    BITMAPINFOHEADER m_header;
    int m_bitCount;
    long long m_rowBytes;
    std::array<std::uint32_t, 256> m_colours{};
};

// Where a transfer lands: the context's surface (kept alive while drawing),
// the part of it the context may paint, and the destination rectangle on
// it. False when the context has no surface.
struct DibTarget {
    std::shared_ptr<Surface> surface;
    RECT paint;
    RECT destination;
};
bool GetDibTarget(HDC hdc, int xDst, int yDst, int wDst, int hDst, DibTarget* target);

// Stretches the source rectangle (ySrc counts rows up from the bottom row)
// onto the target's destination, nearest pixel, each pixel kept as
// store(colour, x, y) gives it. Records the picture on the surface.
template <typename Store>
void StretchDib(const DibReader& source, const DibTarget& target, int xSrc, int ySrc, int wSrc, int hSrc, Store store)
{
    Surface& surface = *target.surface;
    const RECT& paint = target.paint;
    const int left = target.destination.left;
    const int top = target.destination.top;
    const int wDst = target.destination.right - left;
    const int hDst = target.destination.bottom - top;

    // The destination columns that land on the surface and on the bitmap,
    // each with the source column it samples.
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
        source.readRow(r, columns, surface.row(y) + columnStart, columnStart, y, store);
    }
    surface.recordPicture(target.destination);
}
