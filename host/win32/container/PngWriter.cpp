#include "host/win32/container/PngWriter.h"

#include <wincodec.h>

#include <cstring>
#include <vector>

namespace {

// Releases a COM pointer when it goes.
template <typename T>
class Com {
public:
    Com() = default;
    ~Com()
    {
        if (m_p) m_p->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T** out() { return &m_p; }
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }

private:
    T* m_p = nullptr;
};

// COM for this thread while the file is written, unless the thread has it
// already (in whichever apartment).
class ComScope {
public:
    ComScope() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_result;
};

std::wstring widePath(const std::string& path)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

} // namespace

bool WritePng(const std::string& path, const void* pixels, int width, int height)
{
    // A picture the viewer paints fits well within this; anything larger is
    // a caller's mistake, refused before any size is multiplied.
    constexpr int kMaxSide = 32768;
    if (!pixels || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    const std::wstring file = widePath(path);
    if (file.empty()) return false;

    const ComScope com;
    Com<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.out()))))
        return false;
    Com<IWICStream> stream;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    Com<IPropertyBag2> options;
    if (FAILED(factory->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromFilename(file.c_str(), GENERIC_WRITE)) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.out(), options.out())) || FAILED(frame->Initialize(options.get())) ||
        FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))))
        return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) return false;

    // Row by row, the unused fourth byte of each pixel dropped.
    const UINT stride = static_cast<UINT>(width) * 3;
    std::vector<BYTE> row(stride);
    const BYTE* source = static_cast<const BYTE*>(pixels);
    for (int y = 0; y < height; ++y) {
        const BYTE* from = source + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
        for (int x = 0; x < width; ++x) std::memcpy(&row[static_cast<size_t>(x) * 3], from + static_cast<size_t>(x) * 4, 3);
        if (FAILED(frame->WritePixels(1, stride, stride, row.data()))) return false;
    }
    return SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}
