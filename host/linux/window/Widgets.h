// The few pieces the viewer draws itself around the controls: panels,
// text, input fields and buttons, painted onto the window's surface with
// the GDI stand-in (so the viewer's text is the controls' typeface).
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/linux/StandInGdi.h"

namespace widgets {

constexpr std::uint32_t kBackground = 0x202428;
constexpr std::uint32_t kPanel = 0xECECEC;
constexpr std::uint32_t kBorder = 0x5A5A5A;
constexpr std::uint32_t kText = 0x101010;
constexpr std::uint32_t kLightText = 0xE8E8E8;
constexpr std::uint32_t kFocus = 0x2A6FD6;

void fill(Surface& surface, const RECT& rect, std::uint32_t rgb);
void frame(Surface& surface, const RECT& rect, std::uint32_t rgb);
// Text in a rectangle, one line or wrapped at word breaks.
void text(const std::shared_ptr<Surface>& surface, const RECT& rect, const std::string& text, std::uint32_t rgb,
          bool wrap = false);
void field(const std::shared_ptr<Surface>& surface, const RECT& rect, const std::string& text, bool focused);
void button(const std::shared_ptr<Surface>& surface, const RECT& rect, const std::string& label, bool focused);

bool contains(const RECT& rect, int x, int y);
// A rectangle placed inside `box`, at (left, top) from its corner.
RECT inside(const RECT& box, int left, int top, int width, int height);
// Removes the last whole UTF-8 character of a field's text.
void eraseLastCharacter(std::string& text);

} // namespace widgets
