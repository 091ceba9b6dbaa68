// The PARAMs of one OBJECT as a property bag, as a browser hands them to
// the control it creates: texts by name, names matched without regard to
// letter case, converted to the type the control asks for.
#pragma once

#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

class ParamBag final : public IPropertyBag {
public:
    explicit ParamBag(const std::vector<std::pair<std::string, std::string>>& params);
    virtual ~ParamBag() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    // Lives on its owner's stack for the load; the count only guards misuse.
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_refs; }
    // A missing name is E_INVALIDARG; a text that does not convert to the
    // asked type is the conversion's error.
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    // A page's bag is read-only.
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

private:
    ULONG m_refs = 1;
    std::vector<std::pair<std::wstring, std::wstring>> m_params;
};
