#include "platform/gdi/linux/Surface.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <utility>

namespace {

// Pixel buffers of destroyed surfaces, kept for the next surface of the
// same size whose contents start undefined: an off-screen bitmap made and
// deleted for every frame then costs neither an allocation nor a clear.
using Pixels = std::vector<std::uint32_t>;

class PixelStore {
public:
    static PixelStore& instance()
    {
        // Never destroyed: surfaces may outlive static destruction.
        static auto* store = new PixelStore;
        return *store;
    }

    // A buffer of that many pixels, contents undefined; null when none is kept.
    std::shared_ptr<Pixels> take(size_t pixels)
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_buffers.begin(); it != m_buffers.end(); ++it) {
            if ((*it)->size() != pixels) continue;
            std::shared_ptr<Pixels> buffer = std::move(*it);
            m_pixels -= buffer->size();
            m_buffers.erase(it);
            return buffer;
        }
        return nullptr;
    }

    // Keeps a buffer that nothing else holds.
    void give(std::shared_ptr<Pixels>&& buffer)
    {
        if (!buffer || buffer.use_count() != 1 || buffer->size() < kSmallest || buffer->size() > kMostPixels) return;
        std::lock_guard lock(m_mutex);
        m_pixels += buffer->size();
        m_buffers.push_back(std::move(buffer));
        while (m_buffers.size() > kMostBuffers || m_pixels > kMostPixels) {
            m_pixels -= m_buffers.front()->size();
            m_buffers.pop_front();
        }
    }

private:
    static constexpr size_t kSmallest = 16 * 1024;         // below this, allocating is cheap
    static constexpr size_t kMostPixels = 16 * 1024 * 1024; // 64 MiB kept at most
    static constexpr size_t kMostBuffers = 4;

    std::mutex m_mutex;
    std::deque<std::shared_ptr<Pixels>> m_buffers;
    size_t m_pixels = 0;
};

} // namespace

const std::array<std::uint32_t, 256>& HalftonePalette()
{
    static const std::array<std::uint32_t, 256> palette = [] {
        std::array<std::uint32_t, 256> p{};
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p[static_cast<size_t>(36 * r + 6 * g + b)] =
                        static_cast<std::uint32_t>((r * 51) << 16 | (g * 51) << 8 | (b * 51));
        for (int i = 0; i < 40; ++i) {
            const auto v = static_cast<std::uint32_t>(i * 255 / 39);
            p[static_cast<size_t>(216 + i)] = v << 16 | v << 8 | v;
        }
        return p;
    }();
    return palette;
}

Surface::Surface(int width, int height, int bitsPerPixel, Contents contents)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)), m_bitsPerPixel(bitsPerPixel == 8 ? 8 : 32)
{
    const size_t pixels = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    if (contents == Contents::Undefined) m_pixels = PixelStore::instance().take(pixels);
    if (!m_pixels) m_pixels = std::make_shared<Pixels>(pixels, 0);
    if (m_bitsPerPixel == 8) m_palette = HalftonePalette();
}

Surface::~Surface()
{
    PixelStore::instance().give(std::move(m_pixels));
}

std::uint32_t* Surface::ownPixels()
{
    if (m_pixels.use_count() > 1) {
        // Drawing on shared pixels: a copy of them first, in a kept buffer
        // when there is one.
        std::shared_ptr<Pixels> own = PixelStore::instance().take(m_pixels->size());
        if (own)
            std::copy(m_pixels->begin(), m_pixels->end(), own->begin());
        else
            own = std::make_shared<Pixels>(*m_pixels);
        m_pixels = std::move(own);
    }
    return m_pixels->data();
}

bool Surface::sharePixelsOf(const Surface& from)
{
    if (from.m_width != m_width || from.m_height != m_height || from.m_bitsPerPixel != m_bitsPerPixel) return false;
    if (from.m_pixels == m_pixels) return true;
    std::shared_ptr<Pixels> previous = std::exchange(m_pixels, from.m_pixels);
    PixelStore::instance().give(std::move(previous));
    return true;
}

std::uint32_t Surface::raw(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    return row(y)[x];
}

void Surface::setRaw(int x, int y, std::uint32_t value)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    row(y)[x] = value;
}

std::uint32_t Surface::rgb(int x, int y) const
{
    const std::uint32_t v = raw(x, y);
    return m_bitsPerPixel == 8 ? m_palette[v & 0xFF] : v;
}

std::uint8_t Surface::nearestIndex(std::uint32_t rgb) const
{
    const int r = static_cast<int>((rgb >> 16) & 0xFF);
    const int g = static_cast<int>((rgb >> 8) & 0xFF);
    const int b = static_cast<int>(rgb & 0xFF);
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t p = m_palette[static_cast<size_t>(i)];
        const int dr = r - static_cast<int>((p >> 16) & 0xFF);
        const int dg = g - static_cast<int>((p >> 8) & 0xFF);
        const int db = b - static_cast<int>(p & 0xFF);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

void Surface::setRgb(int x, int y, std::uint32_t value)
{
    setRaw(x, y, m_bitsPerPixel == 8 ? nearestIndex(value) : (value & 0xFFFFFF));
}

void Surface::fillRgb(const RECT& rect, std::uint32_t value)
{
    const int left = std::max<int>(rect.left, 0);
    const int top = std::max<int>(rect.top, 0);
    const int right = std::min<int>(rect.right, m_width);
    const int bottom = std::min<int>(rect.bottom, m_height);
    if (left >= right) return;
    const std::uint32_t stored = m_bitsPerPixel == 8 ? nearestIndex(value) : (value & 0xFFFFFF);
    for (int y = top; y < bottom; ++y) std::fill(row(y) + left, row(y) + right, stored);
}
