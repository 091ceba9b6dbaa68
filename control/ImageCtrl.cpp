// Construction, destruction and the framework overrides of CImageCtrl.
#include "control/ImageCtrl.h"

#include <new>

#include "image/Image.h"
#include "operation/ZoomController.h"
#include "platform/vfw/Vfw.h"
#include "platform/window/Cursor.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamClient.h"

namespace {

CImageCtrl* ctrl(COleControl* self) { return static_cast<CImageCtrl*>(self); }
POINT pointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// The message map, in its order. The double clicks go to the framework's
// own handling: the second press of a double click neither restarts nor
// cancels a pending click-and-centre request.
const AFX_MSGMAP_ENTRY kMessageEntries[] = {
    {WM_LBUTTONDOWN,
     [](COleControl* self, WPARAM wParam, LPARAM lParam) -> LRESULT {
         ctrl(self)->PaceTick(false);
         ctrl(self)->OnLButtonDown(static_cast<UINT>(wParam), pointOf(lParam));
         return 0;
     }},
    {WM_TIMER,
     [](COleControl* self, WPARAM wParam, LPARAM) -> LRESULT {
         ctrl(self)->OnTimer(wParam);
         return 0;
     }},
    {WM_RBUTTONDOWN,
     [](COleControl* self, WPARAM wParam, LPARAM lParam) -> LRESULT {
         ctrl(self)->PaceTick(false);
         ctrl(self)->OnRButtonDown(static_cast<UINT>(wParam), pointOf(lParam));
         return 0;
     }},
    {WM_SETCURSOR,
     [](COleControl* self, WPARAM wParam, LPARAM lParam) -> LRESULT {
         return ctrl(self)->OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                                        HIWORD(static_cast<std::uintptr_t>(lParam)));
     }},
    {WM_MOUSEWHEEL,
     [](COleControl* self, WPARAM wParam, LPARAM lParam) -> LRESULT {
         ctrl(self)->PaceTick(false);
         return ctrl(self)->OnMouseWheel(LOWORD(wParam), GET_WHEEL_DELTA_WPARAM(wParam), pointOf(lParam));
     }},
    {WM_MOUSEMOVE,
     [](COleControl* self, WPARAM wParam, LPARAM lParam) -> LRESULT {
         if (wParam & (MK_LBUTTON | MK_RBUTTON)) ctrl(self)->PaceTick(false);
         ctrl(self)->OnMouseMove(static_cast<UINT>(wParam), pointOf(lParam));
         return 0;
     }},
    {WM_RBUTTONUP,
     [](COleControl* self, WPARAM wParam, LPARAM lParam) -> LRESULT {
         ctrl(self)->PaceTick(false);
         ctrl(self)->OnRButtonUp(static_cast<UINT>(wParam), pointOf(lParam));
         return 0;
     }},
    {WM_STREAM_SOCKET,
     [](COleControl* self, WPARAM wParam, LPARAM lParam) -> LRESULT {
         ctrl(self)->OnStreamSocket(wParam, lParam);
         return 0;
     }},
};
const AFX_MSGMAP kMessageMap = {kMessageEntries, sizeof kMessageEntries / sizeof kMessageEntries[0]};

} // namespace

CImageCtrl::CImageCtrl()
{
    m_xObjectSafety.m_pThis = this;
    m_xOleCommandTarget.m_pThis = this;
    m_xFrameTap.m_pThis = this;
    m_xViewTuning.m_pThis = this;
    InitializeIIDs(&IID__ZEz_orerir, &IID__VEd_oruvudUruzuv);

    // The framework starts a control as complete; this one reports loading
    // from its first exchange on.
    m_lReadyState = READYSTATE_UNINITIALIZED;

    SetInitialSize(320, 240);
    SetControlSize(320, 240);

    m_pStreamBuffer = new (std::nothrow) CStreamBuffer;

    m_hHandCursor = LoadCursorA(nullptr, IDC_HAND);
    // The zoom pointers are loaded as cursors, whose hot spot is the
    // magnifier's centre (12, 12); as icons their hot spot would be the
    // picture's middle.
    m_hZoomIcon = LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_ZOOM));
    m_hZoomInIcon = LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_ZOOM_IN));
    m_hZoomOutIcon = LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_ZOOM_OUT));
}

CImageCtrl::~CImageCtrl()
{
    m_bDestroying = TRUE;
    if (m_nTimerId != 0) {
        KillTimer(TIMER_TICK);
        m_nTimerId = 0;
    }
    delete m_pStreamClient;
    m_pStreamClient = nullptr;
    if (m_hDrawDib) {
        DrawDibClose(m_hDrawDib);
        m_hDrawDib = nullptr;
    }
    delete m_pImage;
    m_pImage = nullptr;
    delete m_pStreamBuffer;
    m_pStreamBuffer = nullptr;
    if (m_pBrowser) {
        m_pBrowser->Release();
        m_pBrowser = nullptr;
    }
    delete m_pZoom;
    m_pZoom = nullptr;
}

const AFX_MSGMAP* CImageCtrl::GetMessageMap() const { return &kMessageMap; }

const AFX_INTERFACEMAP* CImageCtrl::GetInterfaceMap() const
{
    static const AFX_INTERFACEMAP_ENTRY entries[] = {
        {&IID_IObjectSafety, [](COleControl* self) -> IUnknown* {
             return &static_cast<CImageCtrl*>(self)->m_xObjectSafety;
         }},
        {&IID_IOleCommandTarget, [](COleControl* self) -> IUnknown* {
             return &static_cast<CImageCtrl*>(self)->m_xOleCommandTarget;
         }},
        {&IID_IFrameTap, [](COleControl* self) -> IUnknown* {
             return &static_cast<CImageCtrl*>(self)->m_xFrameTap;
         }},
        {&IID_IViewTuning, [](COleControl* self) -> IUnknown* {
             return &static_cast<CImageCtrl*>(self)->m_xViewTuning;
         }},
    };
    static const AFX_INTERFACEMAP map = {entries, sizeof entries / sizeof entries[0]};
    return &map;
}

void CImageCtrl::OnResetState() { COleControl::OnResetState(); }

HRESULT CImageCtrl::GetClassID(CLSID* pClsid)
{
    if (!pClsid) return E_POINTER;
    *pClsid = CLSID_ImageCtrl;
    return S_OK;
}

HRESULT CImageCtrl::GetTypeLib(LCID, GUID* libid, WORD* major, WORD* minor) const
{
    if (!libid || !major || !minor) return E_POINTER;
    *libid = LIBID_ImageCtrlLib;
    *major = IMAGECTRL_LIB_MAJOR;
    *minor = IMAGECTRL_LIB_MINOR;
    return S_OK;
}

HRESULT CImageCtrl::GetTypeLibCache(GUID* libid) const
{
    if (!libid) return E_POINTER;
    *libid = LIBID_ImageCtrlLib;
    return S_OK;
}

const CLSID* CImageCtrl::GetPropPageIDs(ULONG* count) const
{
    if (count) *count = 1;
    return &CLSID_ImagePropPage;
}

void CImageCtrl::OnSetClientSite()
{
    // The window comes first: the tick is bound to it, and a control must
    // have it before its properties are loaded.
    RecreateControlWindow();
    COleControl::OnSetClientSite();
    FinishStartUpAtSiting();
}
