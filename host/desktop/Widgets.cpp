#include "host/desktop/Widgets.h"
#include "platform/gdi/linux/StandInGdi.h"

#include <algorithm>

namespace widgets {

void fill(Surface& surface, const RECT& rect, std::uint32_t rgb) { surface.fillRgb(rect, rgb); }

void frame(Surface& surface, const RECT& r, std::uint32_t rgb)
{
    surface.fillRgb(RECT{r.left, r.top, r.right, r.top + 1}, rgb);
    surface.fillRgb(RECT{r.left, r.bottom - 1, r.right, r.bottom}, rgb);
    surface.fillRgb(RECT{r.left, r.top, r.left + 1, r.bottom}, rgb);
    surface.fillRgb(RECT{r.right - 1, r.top, r.right, r.bottom}, rgb);
}

void text(const std::shared_ptr<Surface>& surface, const RECT& rect, const std::string& value, std::uint32_t rgb, bool wrap)
{
    HDC hdc = standin::CreateSurfaceDC(surface, 0, 0, &rect);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RgbToColorRef(rgb));
    RECT r = rect;
    DrawTextA(hdc, value.c_str(), -1, &r, (wrap ? DT_WORDBREAK : DT_SINGLELINE) | DT_END_ELLIPSIS);
    DeleteDC(hdc);
}

void field(const std::shared_ptr<Surface>& surface, const RECT& rect, const std::string& value, bool focused)
{
    fill(*surface, rect, 0xFFFFFF);
    frame(*surface, rect, focused ? kFocus : kBorder);
    text(surface, RECT{rect.left + 4, rect.top + 3, rect.right - 4, rect.bottom - 2}, value + (focused ? "|" : ""), kText);
}

void button(const std::shared_ptr<Surface>& surface, const RECT& rect, const std::string& label, bool focused)
{
    fill(*surface, rect, 0xD8D8D8);
    frame(*surface, rect, focused ? kFocus : kBorder);
    const int width = static_cast<int>(label.size()) * 7;
    const int left = std::max<int>(rect.left + 4, (rect.left + rect.right - width) / 2);
    text(surface, RECT{left, rect.top + 4, rect.right - 2, rect.bottom - 2}, label, kText);
}

bool contains(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

RECT inside(const RECT& box, int left, int top, int width, int height)
{
    return RECT{box.left + left, box.top + top, box.left + left + width, box.top + top + height};
}

void eraseLastCharacter(std::string& text)
{
    while (!text.empty()) {
        const unsigned char last = static_cast<unsigned char>(text.back());
        text.pop_back();
        if ((last & 0xC0) != 0x80) break;
    }
}

} // namespace widgets
