#include "host/win32/container/InPlaceFrame.h"

#include <cwchar>

#include "host/win32/container/Utf.h"

HRESULT InPlaceFrame::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IOleWindow) && !IsEqualIID(riid, IID_IOleInPlaceUIWindow) &&
        !IsEqualIID(riid, IID_IOleInPlaceFrame))
        return E_NOINTERFACE;
    *ppv = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    return S_OK;
}

ULONG InPlaceFrame::Release()
{
    const ULONG left = --m_refs;
    if (left == 0) {
        if (m_active) m_active->Release();
        delete this;
    }
    return left;
}

HRESULT InPlaceFrame::GetWindow(HWND* window)
{
    if (!window) return E_POINTER;
    *window = m_window;
    return S_OK;
}

HRESULT InPlaceFrame::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR)
{
    if (object) object->AddRef();
    if (m_active) m_active->Release();
    m_active = object;
    return S_OK;
}

HRESULT InPlaceFrame::SetStatusText(LPCOLESTR text)
{
    if (m_onStatusText) m_onStatusText(text ? Narrow(text, std::wcslen(text)) : std::string());
    return S_OK;
}
