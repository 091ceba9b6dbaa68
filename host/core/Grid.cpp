#include "host/core/Grid.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "host/core/page/ViewerPage.h"

namespace {
constexpr int kGap = 4;
} // namespace

std::size_t GridColumns(std::size_t cells)
{
    return static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(cells))));
}

SIZE LayOutGrid(std::vector<RECT>& cells, int caption)
{
    const std::size_t n = cells.size();
    if (n == 0) return SIZE{0, 0};
    const std::size_t columns = GridColumns(n);
    const std::size_t rows = (n + columns - 1) / columns;
    std::vector<int> widths(columns, 0), heights(rows, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const RECT& r = cells[i];
        widths[i % columns] = std::max(widths[i % columns], static_cast<int>(r.right - r.left));
        heights[i / columns] = std::max(heights[i / columns], static_cast<int>(r.bottom - r.top));
    }
    int extentX = 0, extentY = 0;
    for (std::size_t i = 0; i < n; ++i) {
        int x = 0, y = 0;
        for (std::size_t c = 0; c < i % columns; ++c) x += widths[c] + kGap;
        for (std::size_t r = 0; r < i / columns; ++r) y += heights[r] + kGap + caption;
        y += caption;
        RECT& rect = cells[i];
        rect = RECT{x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
        extentX = std::max(extentX, static_cast<int>(rect.right));
        extentY = std::max(extentY, static_cast<int>(rect.bottom));
    }
    return SIZE{extentX, extentY};
}

std::string CameraHostOf(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params)
{
    std::string host = UrlAuthority(pageUrl);
    for (const auto& [name, value] : params) {
        const bool imagePath = std::equal(name.begin(), name.end(), "ImagePath", "ImagePath" + 9, [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        });
        if (imagePath && value.compare(0, 7, "http://") == 0) host = UrlAuthority(value);
    }
    return host;
}

std::string EventValueText(const VARIANT& v)
{
    switch (v.vt) {
    case VT_R8: {
        char text[32];
        std::snprintf(text, sizeof text, "%.6g", v.dblVal);
        return text;
    }
    case VT_I2: return std::to_string(v.iVal);
    case VT_I4: return std::to_string(v.lVal);
    default: return "null";
    }
}
