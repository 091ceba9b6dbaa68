#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/vfw/Vfw.h"

namespace {

struct DrawDibState {
    int dxDst = 0;
    int dyDst = 0;
    bool halftone = false;
};

struct DrawDibTable {
    std::mutex mutex;
    std::set<std::unique_ptr<DrawDibState>> open;
    DrawDibState* find(HDRAWDIB h)
    {
        for (auto& s : open)
            if (s.get() == h) return s.get();
        return nullptr;
    }
};

DrawDibTable& table()
{
    // Never destroyed: threads still running at exit may use it.
    static DrawDibTable* t = new DrawDibTable;
    return *t;
}

// Ordered dither thresholds, 4 x 4.
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// A channel value dithered to one of the six levels of the colour cube.
int cubeLevel(int value, int x, int y)
{
    const int scaled = value * 5 * 16 + (kBayer[y & 3][x & 3] * 255) + 127;
    return std::min(5, scaled / (255 * 16));
}

std::uint32_t bitmapColour(const BITMAPINFOHEADER& h, const BYTE* bits, long long rowBytes,
                           const std::array<std::uint32_t, 256>& table, int x, int r)
{
    const BYTE* row = bits + r * rowBytes;
    switch (h.biBitCount) {
    case 8:
        return table[row[x]];
    case 24:
        return static_cast<std::uint32_t>(row[3 * x + 2]) << 16 | static_cast<std::uint32_t>(row[3 * x + 1]) << 8 | row[3 * x];
    default:
        return static_cast<std::uint32_t>(row[4 * x + 2]) << 16 | static_cast<std::uint32_t>(row[4 * x + 1]) << 8 | row[4 * x];
    }
}

} // namespace

HDRAWDIB DrawDibOpen()
{
    auto state = std::make_unique<DrawDibState>();
    HDRAWDIB h = state.get();
    auto& t = table();
    std::lock_guard lock(t.mutex);
    t.open.insert(std::move(state));
    return h;
}

BOOL DrawDibClose(HDRAWDIB hdd)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    for (auto it = t.open.begin(); it != t.open.end(); ++it) {
        if (it->get() == hdd) {
            t.open.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL DrawDibBegin(HDRAWDIB hdd, HDC, int dxDst, int dyDst, const BITMAPINFOHEADER* lpbi, int, int, UINT flags)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    DrawDibState* state = t.find(hdd);
    if (!state || !lpbi) return FALSE;
    state->dxDst = dxDst;
    state->dyDst = dyDst;
    state->halftone = (flags & DDF_HALFTONE) != 0;
    return TRUE;
}

BOOL DrawDibDraw(HDRAWDIB hdd, HDC hdc, int xDst, int yDst, int dxDst, int dyDst, const BITMAPINFOHEADER* lpbi,
                 const void* bits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT)
{
    {
        auto& t = table();
        std::lock_guard lock(t.mutex);
        if (!t.find(hdd)) return FALSE;
    }
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc || !dc->surface || !lpbi || !bits) return FALSE;
    const BITMAPINFOHEADER& h = *lpbi;
    if (h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight <= 0 ||
        (h.biBitCount != 8 && h.biBitCount != 24 && h.biBitCount != 32))
        return FALSE;
    if (dxSrc == -1) dxSrc = h.biWidth - xSrc;
    if (dySrc == -1) dySrc = h.biHeight - ySrc;
    if (dxDst <= 0 || dyDst <= 0 || dxSrc <= 0 || dySrc <= 0) return FALSE;

    std::array<std::uint32_t, 256> colours{};
    if (h.biBitCount == 8) {
        const auto* q = reinterpret_cast<const BYTE*>(lpbi) + h.biSize;
        const unsigned n = h.biClrUsed ? std::min<unsigned>(h.biClrUsed, 256) : 256;
        for (unsigned i = 0; i < n; ++i)
            colours[i] = static_cast<std::uint32_t>(q[4 * i + 2]) << 16 | static_cast<std::uint32_t>(q[4 * i + 1]) << 8 | q[4 * i];
    }
    const long long rowBytes = DibStride(h.biBitCount, h.biWidth);
    const auto* pixels = static_cast<const BYTE*>(bits);
    Surface& s = *dc->surface;
    const RECT paint = dc->paintable();
    const bool paletted = s.bitsPerPixel() == 8;
    for (int dy = 0; dy < dyDst; ++dy) {
        const int y = yDst + dc->originY + dy;
        const int r = ySrc + dySrc - 1 - static_cast<int>(static_cast<long long>(dy) * dySrc / dyDst);
        if (y < paint.top || y >= paint.bottom || r < 0 || r >= h.biHeight) continue;
        for (int dx = 0; dx < dxDst; ++dx) {
            const int x = xDst + dc->originX + dx;
            const int sx = xSrc + static_cast<int>(static_cast<long long>(dx) * dxSrc / dxDst);
            if (x < paint.left || x >= paint.right || sx < 0 || sx >= h.biWidth) continue;
            const std::uint32_t c = bitmapColour(h, pixels, rowBytes, colours, sx, r);
            if (paletted) {
                const int red = cubeLevel(static_cast<int>((c >> 16) & 0xFF), x, y);
                const int green = cubeLevel(static_cast<int>((c >> 8) & 0xFF), x, y);
                const int blue = cubeLevel(static_cast<int>(c & 0xFF), x, y);
                s.row(y)[x] = static_cast<std::uint32_t>(36 * red + 6 * green + blue);
            } else {
                s.row(y)[x] = c;
            }
        }
    }
    s.recordPicture(RECT{xDst + dc->originX, yDst + dc->originY, xDst + dc->originX + dxDst, yDst + dc->originY + dyDst});
    return TRUE;
}
