// The Linux stand-in's own text calls: UTF-8 to and from UTF-16, as its
// COM strings and its containers' tests use them. Not Windows calls (the
// system uses Utf8ToOle and OleToUtf8 of Variant.h, on both platforms), so
// they live in namespace standin.
#pragma once

#include <string>
#include <string_view>

namespace standin {

// UTF-8 <-> UTF-16, standing in for MultiByteToWideChar/WideCharToMultiByte
// with the system code page (UTF-8 here). Invalid input becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

} // namespace standin
