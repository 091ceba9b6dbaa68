// Property pages: a control names its pages (ISpecifyPropertyPages), and the
// container's property frame creates each page by class and shows it for
// the control (IPropertyPage).
#pragma once

#include <string>

#include "platform/com/Unknown.h"

extern const IID IID_ISpecifyPropertyPages;
extern const IID IID_IPropertyPage;

// A counted array of class identifiers, allocated with CoTaskMemAlloc; the
// caller frees pElems with CoTaskMemFree.
struct CAUUID {
    ULONG cElems = 0;
    GUID* pElems = nullptr;
};

struct ISpecifyPropertyPages : IUnknown {
    virtual HRESULT GetPages(CAUUID* pPages) = 0;

protected:
    ~ISpecifyPropertyPages() = default;
};

struct PROPPAGEINFO {
    std::string title;
    SIZE size;
    std::string staticText;
};

struct IPropertyPage : IUnknown {
    virtual HRESULT GetPageInfo(PROPPAGEINFO* info) = 0;
    virtual HRESULT SetObjects(ULONG count, IUnknown** objects) = 0;
    virtual HRESULT Apply() = 0;

protected:
    ~IPropertyPage() = default;
};
