#include "host/core/ViewScaling.h"

#include <algorithm>

namespace {

LONG width(const RECT& r) { return std::max<LONG>(r.right - r.left, 1); }
LONG height(const RECT& r) { return std::max<LONG>(r.bottom - r.top, 1); }

// a * b / c rounded toward minus infinity, in 64 bits.
LONG scaleFloor(LONG a, LONG b, LONG c)
{
    const long long n = static_cast<long long>(a) * b;
    long long q = n / c;
    if ((n % c != 0) && ((n < 0) != (c < 0))) --q;
    return static_cast<LONG>(q);
}

} // namespace

ViewScaling::ViewScaling(const RECT& view, const RECT& area) : m_view(view)
{
    const LONG vw = width(view), vh = height(view);
    const LONG aw = width(area), ah = height(area);
    // The larger size that fits: full width when the view is relatively
    // wider than the area, else full height.
    LONG tw = aw, th = ah;
    if (static_cast<long long>(vw) * ah > static_cast<long long>(vh) * aw)
        th = std::max<LONG>(1, scaleFloor(aw, vh, vw));
    else
        tw = std::max<LONG>(1, scaleFloor(ah, vw, vh));
    const LONG left = area.left + (aw - tw) / 2;
    const LONG top = area.top + (ah - th) / 2;
    m_target = RECT{left, top, left + tw, top + th};
}

POINT ViewScaling::toPicture(POINT window) const
{
    return POINT{m_view.left + scaleFloor(window.x - m_target.left, width(m_view), width(m_target)),
                 m_view.top + scaleFloor(window.y - m_target.top, height(m_view), height(m_target))};
}

POINT ViewScaling::toWindow(POINT picture) const
{
    // The first window pixel whose picture position is `picture`.
    const auto first = [](LONG p, LONG from, LONG pictureSize, LONG targetSize, LONG targetFrom) {
        const LONG offset = p - from;
        // ceil(offset * targetSize / pictureSize)
        LONG q = scaleFloor(offset, targetSize, pictureSize);
        if (static_cast<long long>(q) * pictureSize < static_cast<long long>(offset) * targetSize) ++q;
        return targetFrom + q;
    };
    return POINT{first(picture.x, m_view.left, width(m_view), width(m_target), m_target.left),
                 first(picture.y, m_view.top, height(m_view), height(m_target), m_target.top)};
}

PictureHit HitPicture(const ViewScaling& scaling, const std::vector<RECT>& cells, int alone, int captured, POINT window)
{
    PictureHit hit;
    const POINT picture = scaling.toPicture(window);
    const auto at = [&](int index) {
        const RECT& cell = cells[static_cast<std::size_t>(index)];
        return PictureHit{index, POINT{picture.x - cell.left, picture.y - cell.top}};
    };
    const int count = static_cast<int>(cells.size());
    if (captured >= 0 && captured < count) return at(captured);
    const RECT& t = scaling.target();
    if (window.x < t.left || window.x >= t.right || window.y < t.top || window.y >= t.bottom) return hit;
    for (int i = 0; i < count; ++i) {
        if (alone >= 0 && i != alone) continue;
        const RECT& c = cells[static_cast<std::size_t>(i)];
        if (picture.x >= c.left && picture.x < c.right && picture.y >= c.top && picture.y < c.bottom) return at(i);
    }
    return hit;
}
