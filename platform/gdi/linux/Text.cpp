// Text: the default user-interface font (DejaVu Sans, 13 pixels), drawn
// with FreeType: from where Debian's fonts-dejavu-core puts it, or else
// wherever fontconfig finds it.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/linux/GdiObjects.h"
#include "platform/trace/Trace.h"

namespace {

constexpr int kPixelSize = 13;
// Loading fontconfig's configuration (some forty XML files) costs about
// 6 ms of CPU at every start; the file is opened here first and fontconfig
// asked only when it is missing or is not the font.
constexpr const char* kDejaVuSansFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct Glyph {
    int width = 0;
    int rows = 0;
    int left = 0;
    int top = 0;
    int advance = 0;
    std::vector<std::uint8_t> coverage;
};

class Font {
public:
    static Font& instance()
    {
        // Never destroyed: threads still running at exit may use it.
        static Font* font = new Font;
        return *font;
    }

    std::mutex& mutex() { return m_mutex; }
    bool ready() const { return m_face != nullptr; }
    int ascent() const { return m_ascent; }
    int lineHeight() const { return m_lineHeight; }

    const Glyph& glyph(unsigned char c)
    {
        auto it = m_glyphs.find(c);
        if (it != m_glyphs.end()) return it->second;
        Glyph g;
        // Bytes are Latin-1 text, as the system's narrow strings are.
        if (m_face && FT_Load_Char(m_face, c, FT_LOAD_RENDER) == 0) {
            const FT_GlyphSlot slot = m_face->glyph;
            g.width = static_cast<int>(slot->bitmap.width);
            g.rows = static_cast<int>(slot->bitmap.rows);
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            g.advance = static_cast<int>(slot->advance.x >> 6);
            g.coverage.resize(static_cast<size_t>(g.width) * static_cast<size_t>(g.rows));
            for (int y = 0; y < g.rows; ++y)
                std::memcpy(g.coverage.data() + static_cast<size_t>(y) * static_cast<size_t>(g.width),
                            slot->bitmap.buffer + static_cast<long>(y) * slot->bitmap.pitch, static_cast<size_t>(g.width));
        }
        return m_glyphs.emplace(c, std::move(g)).first->second;
    }

    int measure(const std::string& text)
    {
        int w = 0;
        for (unsigned char c : text) w += glyph(c).advance;
        return w;
    }

private:
    Font()
    {
        if (FT_Init_FreeType(&m_library) != 0) return;
        if (!openFace(kDejaVuSansFile, true) && !openFace(findFile().c_str(), false)) return;
        FT_Set_Pixel_Sizes(m_face, 0, kPixelSize);
        m_ascent = static_cast<int>(m_face->size->metrics.ascender >> 6);
        m_lineHeight = static_cast<int>(m_face->size->metrics.height >> 6);
    }

    ~Font()
    {
        if (m_face) FT_Done_Face(m_face);
        if (m_library) FT_Done_FreeType(m_library);
    }

    // The face at `path`; with `dejaVuOnly`, only when it is DejaVu Sans in
    // its regular style.
    bool openFace(const char* path, bool dejaVuOnly)
    {
        if (!*path || FT_New_Face(m_library, path, 0, &m_face) != 0) {
            m_face = nullptr;
            return false;
        }
        if (!dejaVuOnly || (m_face->family_name && std::strcmp(m_face->family_name, "DejaVu Sans") == 0 &&
                            m_face->style_name && std::strcmp(m_face->style_name, "Book") == 0))
            return true;
        FT_Done_Face(m_face);
        m_face = nullptr;
        return false;
    }

    static std::string findFile()
    {
        // A configuration of our own, released once the file is known, so
        // that nothing of fontconfig stays behind.
        std::string path;
        FcConfig* config = FcInitLoadConfigAndFonts();
        if (!config) return path;
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) path = reinterpret_cast<char*>(file);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
        FcConfigDestroy(config);
        return path;
    }

    std::mutex m_mutex;
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
    int m_ascent = 12;
    int m_lineHeight = 15;
    std::map<unsigned char, Glyph> m_glyphs;
};

// Draws one line with its top-left corner at (x, y) in surface coordinates,
// clipped to `clip`.
void drawLine(DeviceContext& dc, const std::string& line, int x, int y, const RECT& clip)
{
    Font& font = Font::instance();
    Surface& s = *dc.surface;
    const std::uint32_t ink = ColorRefToRgb(dc.textColour);
    if (dc.bkMode == OPAQUE) {
        const RECT cell{std::max<int>(x, clip.left), std::max<int>(y, clip.top),
                        std::min<int>(x + font.measure(line), clip.right),
                        std::min<int>(y + font.lineHeight(), clip.bottom)};
        if (cell.left < cell.right && cell.top < cell.bottom) s.fillRgb(cell, ColorRefToRgb(dc.bkColour));
    }
    int penX = x;
    const int baseline = y + font.ascent();
    for (unsigned char c : line) {
        const Glyph& g = font.glyph(c);
        for (int gy = 0; gy < g.rows; ++gy) {
            const int py = baseline - g.top + gy;
            if (py < clip.top || py >= clip.bottom) continue;
            for (int gx = 0; gx < g.width; ++gx) {
                const int px = penX + g.left + gx;
                if (px < clip.left || px >= clip.right) continue;
                const unsigned a = g.coverage[static_cast<size_t>(gy) * static_cast<size_t>(g.width) + static_cast<size_t>(gx)];
                if (a == 0) continue;
                const std::uint32_t under = s.rgb(px, py);
                std::uint32_t out = 0;
                for (int shift = 0; shift <= 16; shift += 8) {
                    const unsigned fg = (ink >> shift) & 0xFF;
                    const unsigned bg = (under >> shift) & 0xFF;
                    out |= ((fg * a + bg * (255 - a) + 127) / 255) << shift;
                }
                s.setRgb(px, py, out);
            }
        }
        penX += g.advance;
    }
}

RECT intersect(const RECT& a, const RECT& b)
{
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// Splits text into lines: at line breaks, and with word breaking at the
// last blank that keeps a line within `width` (a word longer than the
// width stands on a line of its own).
std::vector<std::string> layout(const std::string& text, bool wordBreak, int width)
{
    Font& font = Font::instance();
    std::vector<std::string> lines;
    std::string current;
    size_t i = 0;
    auto flush = [&] {
        lines.push_back(current);
        current.clear();
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            continue;
        }
        if (c == '\n' || c == '\r') {
            flush();
            ++i;
            continue;
        }
        if (!wordBreak) {
            current.push_back(c);
            ++i;
            continue;
        }
        // The next word with the blanks before it.
        size_t end = i;
        while (end < text.size() && text[end] == ' ') ++end;
        while (end < text.size() && text[end] != ' ' && text[end] != '\n' && text[end] != '\r') ++end;
        const std::string piece = text.substr(i, end - i);
        if (!current.empty() && font.measure(current + piece) > width) {
            flush();
            size_t start = piece.find_first_not_of(' ');
            current = start == std::string::npos ? std::string() : piece.substr(start);
        } else {
            current += piece;
        }
        i = end;
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

// A line cut to `width` with "..." at its end, as DT_END_ELLIPSIS draws
// one that does not fit; never inside a UTF-8 character.
std::string endEllipsis(std::string line, int width)
{
    Font& font = Font::instance();
    if (font.measure(line) <= width) return line;
    while (!line.empty() && font.measure(line + "...") > width) {
        while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80) line.pop_back();
        if (!line.empty()) line.pop_back();
    }
    return line + "...";
}

} // namespace

int DrawTextA(HDC hdc, LPCSTR text, int count, RECT* rect, UINT format)
{
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc || !text || !rect || !dc->surface) return 0;
    const std::string s(text, count < 0 ? std::strlen(text) : static_cast<size_t>(count));
    const RECT area = dc->toSurface(*rect);
    dc->surface->recordText(DrawnText{s, area, dc->textColour});
    Font& font = Font::instance();
    std::lock_guard lock(font.mutex());
    const bool wordBreak = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE);
    const RECT clip = (format & DT_NOCLIP) ? dc->paintable() : intersect(dc->paintable(), area);
    int y = area.top;
    for (const auto& line : layout(s, wordBreak, area.right - area.left)) {
        if (font.ready())
            drawLine(*dc, (format & DT_END_ELLIPSIS) ? endEllipsis(line, area.right - area.left) : line, area.left, y, clip);
        y += font.lineHeight();
    }
    return y - area.top;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count)
{
    VE_TRACE(gdi, "(%p, %ld, %ld, %s, %ld)", traceHandle(hdc), static_cast<long>(x), static_cast<long>(y),
             traceText(text, count > 0 ? static_cast<std::size_t>(count) : 0).c_str(), static_cast<long>(count));
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc || !text || count < 0 || !dc->surface) return FALSE;
    const std::string s(text, static_cast<size_t>(count));
    const RECT at = dc->toSurface(RECT{x, y, x, y});
    dc->surface->recordText(DrawnText{s, at, dc->textColour});
    Font& font = Font::instance();
    std::lock_guard lock(font.mutex());
    if (font.ready()) drawLine(*dc, s, at.left, at.top, dc->paintable());
    return TRUE;
}
