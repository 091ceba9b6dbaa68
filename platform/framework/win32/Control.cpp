// COleControl on Windows: identity, reference count, the overridables'
// defaults, sizing, the exchange helpers and the module's resource handle.
#include "platform/framework/OleControl.h"

#include <utility>

COleControl::COleControl()
{
    m_xUnknown.m_pThis = this;
    m_xDispatch.m_pThis = this;
    m_xOleObject.m_pThis = this;
    m_xOleInPlaceObject.m_pThis = this;
    m_xOleInPlaceActiveObject.m_pThis = this;
    m_xOleControl.m_pThis = this;
    m_xViewObject.m_pThis = this;
    m_xPersistPropertyBag.m_pThis = this;
    m_xPersistStreamInit.m_pThis = this;
    m_xProvideClassInfo.m_pThis = this;
    m_xSpecifyPropertyPages.m_pThis = this;
    m_xConnPtContainer.m_pThis = this;
    m_xEventConnPt.m_pThis = this;
    m_xPersistStorage.m_pThis = this;
    m_xDataObject.m_pThis = this;
    m_xRunnableObject.m_pThis = this;
}

COleControl::~COleControl()
{
    // The aggregated cache answers through this object's reference count:
    // keep it from reaching zero again while the cache is taken down.
    m_dwRef = 1 << 20;
    Stop();
    if (IDataAdviseHolder* holder = std::exchange(m_pDataAdviseHolder, nullptr)) holder->Release();
    if (IUnknown* cache = std::exchange(m_pDataCache, nullptr)) cache->Release();
    if (IStorage* storage = std::exchange(m_pStorage, nullptr)) storage->Release();
    if (m_hWnd) {
        HWND hwnd = std::exchange(m_hWnd, nullptr);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd);
    }
    for (auto& sink : m_sinks) sink.dispatch->Release();
    m_sinks.clear();
    if (IOleInPlaceFrame* frame = std::exchange(m_pInPlaceFrame, nullptr)) frame->Release();
    if (IOleInPlaceUIWindow* doc = std::exchange(m_pInPlaceDoc, nullptr)) doc->Release();
    if (IOleInPlaceSite* site = std::exchange(m_pInPlaceSite, nullptr)) site->Release();
    if (IOleAdviseHolder* holder = std::exchange(m_pOleAdviseHolder, nullptr)) holder->Release();
    if (IAdviseSink* sink = std::exchange(m_pViewAdviseSink, nullptr)) sink->Release();
    if (ITypeLib* lib = std::exchange(m_pTypeLib, nullptr)) lib->Release();
    if (IOleClientSite* site = std::exchange(m_pClientSite, nullptr)) site->Release();
}

HRESULT COleControl::ExternalQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    IUnknown* found = nullptr;
    if (riid == IID_IUnknown)
        found = &m_xUnknown;
    else if (riid == IID_IDispatch || (riid == m_piidPrimary && !(m_piidPrimary == GUID_NULL)))
        found = &m_xDispatch;
    else if (riid == IID_IOleObject)
        found = &m_xOleObject;
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject)
        found = &m_xOleInPlaceObject;
    else if (riid == IID_IOleInPlaceActiveObject)
        found = &m_xOleInPlaceActiveObject;
    else if (riid == IID_IOleControl)
        found = &m_xOleControl;
    else if (riid == IID_IViewObject || riid == IID_IViewObject2)
        found = &m_xViewObject;
    else if (riid == IID_IPersistPropertyBag)
        found = &m_xPersistPropertyBag;
    else if (riid == IID_IPersist || riid == IID_IPersistStream || riid == IID_IPersistStreamInit)
        found = &m_xPersistStreamInit;
    else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2)
        found = &m_xProvideClassInfo;
    else if (riid == IID_ISpecifyPropertyPages)
        found = &m_xSpecifyPropertyPages;
    else if (riid == IID_IConnectionPointContainer)
        found = &m_xConnPtContainer;
    else if (riid == IID_IPersistStorage)
        found = &m_xPersistStorage;
    else if (riid == IID_IDataObject)
        found = &m_xDataObject;
    else if (riid == IID_IRunnableObject)
        found = &m_xRunnableObject;
    else if (riid == IID_IOleCache || riid == IID_IOleCache2 || riid == IID_IOleCacheControl) {
        // OLE's own cache, aggregated: its interfaces count on this object.
        if (IUnknown* cache = DataCache()) return cache->QueryInterface(riid, ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    return AnswerQuery(riid, found, ppv);
}

// The control lives in one apartment: its interfaces are called on the
// thread that made it, as OLE's apartment rules have it.
ULONG COleControl::ExternalAddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef)); }

ULONG COleControl::ExternalRelease()
{
    const LONG remaining = ::InterlockedDecrement(&m_dwRef);
    if (remaining == 0) delete this;
    return static_cast<ULONG>(remaining);
}

BOOL COleControl::SetControlSize(int cx, int cy)
{
    SetInitialSize(cx, cy);
    if (!m_bInPlaceActive || !m_pInPlaceSite) return TRUE;
    // The container places the control: it learns the new size and answers
    // with SetObjectRects.
    const RECT rect{m_rcPos.left, m_rcPos.top, m_rcPos.left + cx, m_rcPos.top + cy};
    return SUCCEEDED(m_pInPlaceSite->OnPosRectChange(&rect)) ? TRUE : FALSE;
}

namespace {
// The module this code is linked into: a control module's own handle, or
// the program's when the framework is linked into one.
HINSTANCE thisModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

HINSTANCE& resourceHandle()
{
    static HINSTANCE handle = thisModule();
    return handle;
}
} // namespace

HINSTANCE AfxGetInstanceHandle() { return resourceHandle(); }
HINSTANCE AfxGetResourceHandle() { return resourceHandle(); }
void AfxSetResourceHandle(HINSTANCE module) { resourceHandle() = module; }

VE_FORWARD_IUNKNOWN(COleControl, XUnknown)
