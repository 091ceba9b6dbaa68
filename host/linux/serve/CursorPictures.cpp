#include "host/linux/serve/CursorPictures.h"

#include <algorithm>
#include <csetjmp>
#include <vector>

#include <png.h>

#include "platform/window/linux/StandInWindow.h"

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void noFlush(png_structp) {}

} // namespace

std::string EncodeArgbPng(const std::uint32_t* argb, int width, int height)
{
    if (!argb || width <= 0 || height <= 0 || width > 1024 || height > 1024) return {};
    std::vector<png_byte> rgba(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (std::size_t i = 0; i < rgba.size() / 4; ++i) {
        const std::uint32_t p = argb[i];
        rgba[i * 4 + 0] = static_cast<png_byte>(p >> 16);
        rgba[i * 4 + 1] = static_cast<png_byte>(p >> 8);
        rgba[i * 4 + 2] = static_cast<png_byte>(p);
        rgba[i * 4 + 3] = static_cast<png_byte>(p >> 24);
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) rows[static_cast<std::size_t>(y)] = rgba.data() + static_cast<std::size_t>(y) * width * 4;
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return {};
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, appendBytes, noFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

void CursorPictures::note(HCURSOR cursor, const std::string& name)
{
    if (!cursor || cursor == m_last) return;
    m_last = cursor;
    std::string key = name;
    std::replace(key.begin(), key.end(), ' ', '-');
    {
        std::lock_guard lock(m_mutex);
        if (m_pictures.count(key)) return;
    }
    const IconImage* icon = standin::GetIconImage(cursor);
    if (!icon || icon->argb.size() < static_cast<std::size_t>(std::max(icon->width, 0)) * static_cast<std::size_t>(std::max(icon->height, 0)))
        return;
    Picture picture{EncodeArgbPng(icon->argb.data(), icon->width, icon->height), icon->hotspotX, icon->hotspotY};
    if (picture.png.empty()) return;
    std::lock_guard lock(m_mutex);
    m_pictures.emplace(key, std::move(picture));
}

bool CursorPictures::find(const std::string& name, std::string& png, int& hotX, int& hotY) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_pictures.find(name);
    if (it == m_pictures.end()) return false;
    png = it->second.png;
    hotX = it->second.hotX;
    hotY = it->second.hotY;
    return true;
}
