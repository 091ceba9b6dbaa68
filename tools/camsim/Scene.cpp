#include "tools/camsim/Scene.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/gdi/linux/StandInGdi.h"

namespace {
// The comment's payload: 11 digits of frame number, a zero byte, the two
// motion levels, 17 digits of send time in microseconds, a zero byte.
constexpr std::uint8_t kCommentPayload = 32;
constexpr size_t kPayloadAt = 6;
} // namespace

void Scene::Stamp(std::vector<std::uint8_t>& jpeg, long number, std::int64_t sendTimeUs)
{
    if (jpeg.size() < kPayloadAt + kCommentPayload || jpeg[2] != 0xFF || jpeg[3] != 0xFE) return;
    std::uint8_t* payload = jpeg.data() + kPayloadAt;
    char digits[24];
    std::snprintf(digits, sizeof digits, "%011ld", number % 100000000000L);
    std::memcpy(payload, digits, 11);
    payload[12] = static_cast<std::uint8_t>(number % 21);
    payload[13] = static_cast<std::uint8_t>((number * 7) % 21);
    std::snprintf(digits, sizeof digits, "%017lld", static_cast<long long>(sendTimeUs % 100000000000000000LL));
    std::memcpy(payload + 14, digits, 17);
}

void Scene::recentre(double dx, double dy)
{
    std::lock_guard lock(m_mutex);
    m_panX = std::clamp(m_panX + dx, 0.0, 1.0);
    m_panY = std::clamp(m_panY + dy, 0.0, 1.0);
}

void Scene::setZoom(int magnification)
{
    std::lock_guard lock(m_mutex);
    m_zoom = std::clamp(magnification, 100, 4200);
}

int Scene::zoom() const
{
    std::lock_guard lock(m_mutex);
    return m_zoom;
}

std::vector<std::uint8_t> Scene::frame(int width, int height, long number, std::int64_t sendTimeUs, double drift)
{
    double panX, panY, scale;
    {
        std::lock_guard lock(m_mutex);
        panX = m_panX + drift;
        panY = m_panY;
        scale = 100.0 / m_zoom;
    }
    auto surface = std::make_shared<Surface>(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = surface->row(y);
        for (int x = 0; x < width; ++x) {
            // Scene coordinates: a 4 x 3 world of sky, hills and houses.
            const double sx = panX * 4 + (x - width / 2.0) / width * 4 * scale;
            const double sy = panY * 3 + (y - height / 2.0) / height * 3 * scale;
            const double hill = 1.6 + 0.3 * std::sin(sx * 2.1);
            int r, g, b;
            if (sy < hill) {
                r = 90 + static_cast<int>(60 * sy);
                g = 150 + static_cast<int>(40 * sy);
                b = 230;
            } else {
                const bool house = std::fmod(std::fabs(sx) * 3, 1.0) < 0.4 && sy < hill + 0.5;
                r = house ? 200 : 60;
                g = house ? 80 : 140 + static_cast<int>(20 * std::sin(sx * 9));
                b = house ? 60 : 50;
            }
            row[x] = static_cast<std::uint32_t>(std::clamp(r, 0, 255) << 16 | std::clamp(g, 0, 255) << 8 | std::clamp(b, 0, 255));
        }
    }
    HDC hdc = standin::CreateSurfaceDC(surface);
    char text[96];
    std::snprintf(text, sizeof text, "frame %ld  t=%lld us  zoom %d", number, static_cast<long long>(sendTimeUs), zoom());
    RECT rect{4, 4, width - 4, height - 4};
    DrawTextA(hdc, text, -1, &rect, DT_WORDBREAK);
    DeleteDC(hdc);

    std::vector<unsigned char> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = surface->rgb(x, y);
            unsigned char* p = &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
            p[0] = static_cast<unsigned char>(c >> 16);
            p[1] = static_cast<unsigned char>(c >> 8);
            p[2] = static_cast<unsigned char>(c);
        }
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_420, 80, TJFLAG_FASTDCT);
    std::vector<std::uint8_t> out;
    if (jpeg && size > 2) {
        // A comment segment after the start-of-image marker, filled by Stamp.
        out.assign(jpeg, jpeg + 2);
        out.push_back(0xFF);
        out.push_back(0xFE);
        out.push_back(0);
        out.push_back(kCommentPayload + 2);
        out.insert(out.end(), kCommentPayload, 0);
        out.insert(out.end(), jpeg + 2, jpeg + size);
        Stamp(out, number, sendTimeUs);
    }
    tjFree(jpeg);
    tjDestroy(handle);
    return out;
}
