#include "host/win32/container/DrawCalls.h"

#include "host/win32/container/ImportTable.h"

#include <vfw.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

thread_local DrawCallRecording* t_recording = nullptr;
std::atomic<void (*)(HWND)> g_repaintWatcher{nullptr};

// The real call, from the library that exports it.
template <typename Function>
Function real(const wchar_t* library, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(RealFunction(library, name)));
}

int WINAPI recordedDrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format)
{
    static const auto call = real<decltype(&DrawTextA)>(L"user32.dll", "DrawTextA");
    if (text) RecordTextCall(text, length);
    return call(dc, text, length, rect, format);
}

BOOL WINAPI recordedTextOutA(HDC dc, int x, int y, LPCSTR text, int length)
{
    static const auto call = real<decltype(&TextOutA)>(L"gdi32.dll", "TextOutA");
    if (text) RecordTextCall(text, length);
    return call(dc, x, y, text, length);
}

int WINAPI recordedStretchDIBits(HDC dc, int xDst, int yDst, int dxDst, int dyDst, int xSrc, int ySrc, int dxSrc,
                                 int dySrc, const VOID* bits, const BITMAPINFO* info, UINT usage, DWORD rop)
{
    static const auto call = real<decltype(&StretchDIBits)>(L"gdi32.dll", "StretchDIBits");
    if (bits) RecordPictureCall(std::abs(dxDst), std::abs(dyDst));
    return call(dc, xDst, yDst, dxDst, dyDst, xSrc, ySrc, dxSrc, dySrc, bits, info, usage, rop);
}

int WINAPI recordedSetDIBitsToDevice(HDC dc, int xDst, int yDst, DWORD width, DWORD height, int xSrc, int ySrc,
                                     UINT startScan, UINT scanLines, const VOID* bits, const BITMAPINFO* info,
                                     UINT usage)
{
    static const auto call = real<decltype(&SetDIBitsToDevice)>(L"gdi32.dll", "SetDIBitsToDevice");
    if (bits) RecordPictureCall(static_cast<int>(width), static_cast<int>(height));
    return call(dc, xDst, yDst, width, height, xSrc, ySrc, startScan, scanLines, bits, info, usage);
}

BOOL VFWAPI recordedDrawDibDraw(HDRAWDIB hdd, HDC dc, int xDst, int yDst, int dxDst, int dyDst, LPBITMAPINFOHEADER info,
                                LPVOID bits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT flags)
{
    static const auto call = real<decltype(&DrawDibDraw)>(L"msvfw32.dll", "DrawDibDraw");
    if (bits) RecordPictureCall(std::abs(dxDst), std::abs(dyDst));
    return call(hdd, dc, xDst, yDst, dxDst, dyDst, info, bits, xSrc, ySrc, dxSrc, dySrc, flags);
}

BOOL WINAPI watchedInvalidateRect(HWND window, const RECT* rect, BOOL erase)
{
    static const auto call = real<decltype(&InvalidateRect)>(L"user32.dll", "InvalidateRect");
    const BOOL done = call(window, rect, erase);
    if (auto* watcher = g_repaintWatcher.load(std::memory_order_acquire)) watcher(window);
    return done;
}

// The drawing calls first, then InvalidateRect (which is not one).
const ImportReplacement kRecorders[] = {
    {"DrawTextA", reinterpret_cast<ULONG_PTR>(&recordedDrawTextA)},
    {"TextOutA", reinterpret_cast<ULONG_PTR>(&recordedTextOutA)},
    {"StretchDIBits", reinterpret_cast<ULONG_PTR>(&recordedStretchDIBits)},
    {"SetDIBitsToDevice", reinterpret_cast<ULONG_PTR>(&recordedSetDIBitsToDevice)},
    {"DrawDibDraw", reinterpret_cast<ULONG_PTR>(&recordedDrawDibDraw)},
    {"InvalidateRect", reinterpret_cast<ULONG_PTR>(&watchedInvalidateRect)},
};
constexpr unsigned kDrawingCalls = 0x1F;

} // namespace

void RecordTextCall(const char* text, int length)
{
    if (!t_recording) return;
    t_recording->m_texts.emplace_back(text, length < 0 ? std::strlen(text) : static_cast<std::size_t>(length));
}

void RecordPictureCall(int width, int height)
{
    if (t_recording) t_recording->m_pictures.push_back(SIZE{width, height});
}

void WatchRepaints(void (*watcher)(HWND)) { g_repaintWatcher.store(watcher, std::memory_order_release); }

DrawCallRecording::DrawCallRecording() : m_outer(t_recording) { t_recording = this; }

DrawCallRecording::~DrawCallRecording() { t_recording = m_outer; }

bool WatchDrawCalls(HMODULE module)
{
    return (ReplaceImports(module, kRecorders, sizeof kRecorders / sizeof kRecorders[0]) & kDrawingCalls) != 0;
}
