// A control's property pages as a property frame meets them: asked for by
// class (ISpecifyPropertyPages), each created, given the control, and asked
// what it is.
#pragma once

#include <functional>
#include <string>

#include "platform/com/PropertyPage.h"

// What a page says of itself, in UTF-8; size in pixels.
struct PageDescription {
    std::string title;
    std::string text;
    SIZE size;
};

// Creates each page the control names, gives it the control and hands it,
// with its description, to visit, which answers whether the page counts;
// *counted receives how many did. classes, when given, receives the pages'
// classes (the caller frees pElems with CoTaskMemFree). E_NOINTERFACE when
// the control names no pages.
HRESULT VisitPropertyPages(IUnknown* control, const std::function<bool(IPropertyPage*, const PageDescription&)>& visit,
                           ULONG* counted, CAUUID* classes = nullptr);
