// PNG files written through WIC, read back through WIC's own decoder: the
// exact pixels, in rows of an odd width (no padding leaks into the file).
#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/win32/container/PngWriter.h"

namespace {

struct Decoded {
    UINT width = 0;
    UINT height = 0;
    std::vector<BYTE> bgr; // 3 bytes a pixel, rows packed
};

Decoded decodePng(const std::string& path)
{
    Decoded d;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    const std::wstring file(path.begin(), path.end());
    GUID container{};
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(factory->CreateDecoderFromFilename(file.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                     &decoder)) &&
        SUCCEEDED(decoder->GetContainerFormat(&container)) && IsEqualGUID(container, GUID_ContainerFormatPng) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                        WICBitmapPaletteTypeCustom)) &&
        SUCCEEDED(converter->GetSize(&d.width, &d.height))) {
        d.bgr.resize(static_cast<size_t>(d.width) * d.height * 3);
        if (FAILED(converter->CopyPixels(nullptr, d.width * 3, static_cast<UINT>(d.bgr.size()), d.bgr.data()))) d.bgr.clear();
    }
    for (IUnknown* p : std::initializer_list<IUnknown*>{converter, frame, decoder, factory})
        if (p) p->Release();
    CoUninitialize();
    return d;
}

std::string tempFile(const char* name)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + name;
}

TEST(PngWriter, ThePixelsReadBackExactly)
{
    const int width = 7, height = 5;
    std::vector<std::uint32_t> pixels(width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            // Blue, green, red and an unused byte that must not show.
            pixels[y * width + x] = 0xAB000000u | static_cast<std::uint32_t>(x * 36) << 16 |
                                    static_cast<std::uint32_t>(y * 60) << 8 | static_cast<std::uint32_t>(x * 11 + y * 29);
    const std::string path = tempFile("ve-pngwriter.png");
    ASSERT_TRUE(WritePng(path, pixels.data(), width, height));
    const Decoded d = decodePng(path);
    std::remove(path.c_str());
    ASSERT_EQ(d.width, static_cast<UINT>(width));
    ASSERT_EQ(d.height, static_cast<UINT>(height));
    ASSERT_EQ(d.bgr.size(), static_cast<size_t>(width * height * 3));
    for (int i = 0; i < width * height; ++i) {
        const std::uint32_t p = pixels[i];
        EXPECT_EQ(d.bgr[i * 3 + 0], p & 0xFF) << i;
        EXPECT_EQ(d.bgr[i * 3 + 1], (p >> 8) & 0xFF) << i;
        EXPECT_EQ(d.bgr[i * 3 + 2], (p >> 16) & 0xFF) << i;
    }
}

TEST(PngWriter, NoPictureOrNoFolderWritesNothing)
{
    const std::uint32_t pixel = 0;
    EXPECT_FALSE(WritePng(tempFile("ve-pngwriter-empty.png"), &pixel, 0, 1));
    EXPECT_FALSE(WritePng(tempFile("ve-pngwriter-null.png"), nullptr, 1, 1));
    EXPECT_FALSE(WritePng(tempFile("ve-no-such-folder\\x.png"), &pixel, 1, 1));
}

} // namespace
