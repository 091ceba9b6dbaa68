// Text between the viewer's UTF-8 and Windows' UTF-16.
#pragma once

#include <windows.h>

#include <string>

std::wstring Widen(const std::string& text);
std::string Narrow(const wchar_t* text, std::size_t length);
std::string Narrow(const std::wstring& text);
// A BSTR of the text (the caller frees it); null when out of memory.
BSTR AllocBstr(const std::string& text);
