// DrawDib over the DIB reader: the source rectangle stretched nearest pixel,
// dithered to the halftone palette's colour cube on 8-bit surfaces.
#include <algorithm>
#include <memory>
#include <mutex>

#include "platform/gdi/linux/DibReader.h"
#include "platform/kernel/linux/HandleTable.h"
#include "platform/vfw/Vfw.h"
#include "platform/trace/Trace.h"

namespace {

// What DrawDibBegin was told; kept for form, drawing does not need it.
struct DrawDibState {
    std::mutex mutex;
    int dxDst = 0;
    int dyDst = 0;
    bool halftone = false;
};

HandleTable<HDRAWDIB, DrawDibState>& table()
{
    // Never destroyed: threads still running at exit may use it.
    static auto* t = new HandleTable<HDRAWDIB, DrawDibState>(0xDD0000);
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

} // namespace

HDRAWDIB DrawDibOpen() { return table().insert(std::make_shared<DrawDibState>()); }

BOOL DrawDibClose(HDRAWDIB hdd) { return table().remove(hdd) ? TRUE : FALSE; }

BOOL DrawDibBegin(HDRAWDIB hdd, HDC, int dxDst, int dyDst, LPBITMAPINFOHEADER lpbi, int, int, UINT flags)
{
    VE_TRACE(gdi, "(%p, %ld, %ld, %p, 0x%lx)", traceHandle(hdd), static_cast<long>(dxDst), static_cast<long>(dyDst),
             traceHandle(lpbi), static_cast<unsigned long>(flags));
    const auto state = table().find(hdd);
    if (!state || !lpbi) return FALSE;
    std::lock_guard lock(state->mutex);
    state->dxDst = dxDst;
    state->dyDst = dyDst;
    state->halftone = (flags & DDF_HALFTONE) != 0;
    return TRUE;
}

BOOL DrawDibDraw(HDRAWDIB hdd, HDC hdc, int xDst, int yDst, int dxDst, int dyDst, LPBITMAPINFOHEADER lpbi,
                 LPVOID bits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT)
{
    if (!table().find(hdd)) return FALSE;
    if (!lpbi || !bits) return FALSE;
    // The header is followed by its colour table, as in a BITMAPINFO.
    const DibReader source(hdc, bits, reinterpret_cast<const BITMAPINFO*>(lpbi), DIB_RGB_COLORS);
    if (!source.supported()) return FALSE;
    if (dxSrc == -1) dxSrc = source.width() - xSrc;
    if (dySrc == -1) dySrc = source.height() - ySrc;
    if (dxDst <= 0 || dyDst <= 0 || dxSrc <= 0 || dySrc <= 0) return FALSE;
    DibTarget target;
    if (!GetDibTarget(hdc, xDst, yDst, dxDst, dyDst, &target)) return FALSE;
    if (target.surface->bitsPerPixel() == 8) {
        StretchDib(source, target, xSrc, ySrc, dxSrc, dySrc, [](std::uint32_t c, int x, int y) {
            const int red = cubeLevel(static_cast<int>((c >> 16) & 0xFF), x, y);
            const int green = cubeLevel(static_cast<int>((c >> 8) & 0xFF), x, y);
            const int blue = cubeLevel(static_cast<int>(c & 0xFF), x, y);
            return static_cast<std::uint32_t>(36 * red + 6 * green + blue);
        });
    } else {
        StretchDib(source, target, xSrc, ySrc, dxSrc, dySrc, KeepRgb{});
    }
    return TRUE;
}
