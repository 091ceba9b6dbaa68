#include "image/Dib.h"

#include <cstring>

#include "platform/kernel/Memory.h"

namespace {

// The 16 standard colours, as blue, green, red, 0.
constexpr RGBQUAD kStandardColours[16] = {
    {0, 0, 0, 0},     {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
    {128, 0, 0, 0},   {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0}, {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},   {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0},
};

DWORD coloursUsed(int bitCount) { return bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0; }

} // namespace

BITMAPINFO* AllocateDib(int bitCount, int width, int height, DibRows rows)
{
    if (bitCount <= 0 || width < 0 || height < 0) return nullptr;
    const long long blockBytes = DibBlockBytes(bitCount, width, height, DIB_COLOR_TABLE_BYTES);
    if (blockBytes > DIB_MAX_BLOCK_BYTES) return nullptr;
    const long long imageSize = DibStride(bitCount, width) * height;
    const bool zeroRows = rows == DibRows::Zero;
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | (zeroRows ? GMEM_ZEROINIT : 0), static_cast<std::size_t>(blockBytes));
    if (!handle) return nullptr;
    auto* info = static_cast<BITMAPINFO*>(GlobalLock(handle));
    if (!info) {
        GlobalFree(handle);
        return nullptr;
    }
    if (!zeroRows) {
        // All but the pixels themselves: header and colour table, each
        // row's padding, the spare bytes after the last row.
        auto* block = reinterpret_cast<BYTE*>(info);
        const long long tableBytes = coloursUsed(bitCount) * sizeof(RGBQUAD);
        BYTE* bits = block + sizeof(BITMAPINFOHEADER) + tableBytes;
        const long long stride = DibStride(bitCount, width);
        const long long used = (static_cast<long long>(bitCount) * width + 7) / 8;
        std::memset(block, 0, static_cast<std::size_t>(bits - block));
        for (long long r = 0; used < stride && r < height; ++r)
            std::memset(bits + r * stride + used, 0, static_cast<std::size_t>(stride - used));
        std::memset(bits + imageSize, 0, static_cast<std::size_t>(block + blockBytes - (bits + imageSize)));
    }
    BITMAPINFOHEADER& h = info->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bitCount);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(imageSize);
    h.biClrUsed = coloursUsed(bitCount);
    auto* table = reinterpret_cast<BYTE*>(info) + sizeof(BITMAPINFOHEADER);
    for (DWORD i = 0; i < h.biClrUsed / 16; ++i) std::memcpy(table + i * sizeof kStandardColours, kStandardColours, sizeof kStandardColours);
    return info;
}

void FreeDib(BITMAPINFO* info)
{
    if (!info) return;
    HGLOBAL handle = GlobalHandle(info);
    GlobalUnlock(handle);
    GlobalFree(handle);
}

int SetColorTableIndices(BITMAPINFO* info)
{
    if (!info) return 0;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    DWORD n = h.biClrUsed;
    if (n == 0 && h.biBitCount <= 8) n = 1u << h.biBitCount;
    if (n > DIB_COLOR_TABLE_BYTES / sizeof(WORD)) n = DIB_COLOR_TABLE_BYTES / sizeof(WORD);
    auto* words = reinterpret_cast<BYTE*>(info) + sizeof(BITMAPINFOHEADER);
    for (DWORD i = 0; i < n; ++i) {
        words[2 * i] = static_cast<BYTE>(i & 0xFF);
        words[2 * i + 1] = static_cast<BYTE>(i >> 8);
    }
    return 1;
}

BYTE* DibBits(BITMAPINFO* info)
{
    if (!info) return nullptr;
    return reinterpret_cast<BYTE*>(info) + sizeof(BITMAPINFOHEADER) + info->bmiHeader.biClrUsed * sizeof(RGBQUAD);
}
