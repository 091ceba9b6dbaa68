#include "image/Palette.h"

#include "platform/kernel/Memory.h"

int CreatePaletteFromRGB(CPalette* palette, int count, const unsigned char* red, const unsigned char* green,
                         const unsigned char* blue)
{
    if (!palette || palette->GetSafeHandle()) return 0;
    const WORD n = static_cast<WORD>(count);
    auto* record = static_cast<LOGPALETTE*>(LocalAlloc(LMEM_FIXED, 8 + 4 * static_cast<std::size_t>(n)));
    if (!record) return 0;
    record->palVersion = 0x300;
    record->palNumEntries = n;
    // The entries follow the record's four-byte head.
    auto* entries = reinterpret_cast<PALETTEENTRY*>(reinterpret_cast<BYTE*>(record) + 4);
    for (WORD i = 0; i < n; ++i) entries[i] = PALETTEENTRY{red[i], green[i], blue[i], 0};
    HPALETTE handle = CreatePalette(record);
    LocalFree(record);
    palette->Attach(handle);
    return 1;
}

int NearestPaletteIndex(CPalette* palette, int red, int green, int blue)
{
    return static_cast<int>(GetNearestPaletteIndex(palette ? palette->GetPalette() : nullptr,
                                                   static_cast<COLORREF>(red + green * 256 + blue * 65536)));
}

int GetPaletteEntryRGB(CPalette* palette, int index, unsigned char* red, unsigned char* green, unsigned char* blue)
{
    if (!palette || index < 0 || index >= 256) return 0;
    PALETTEENTRY entry{};
    if (GetPaletteEntries(palette->GetPalette(), static_cast<UINT>(index), 1, &entry) == 0) return 0;
    if (red) *red = entry.peRed;
    if (green) *green = entry.peGreen;
    if (blue) *blue = entry.peBlue;
    return 1;
}
