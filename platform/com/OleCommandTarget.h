// IOleCommandTarget: how a browser sends its commands (Stop among them).
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

extern const IID IID_IOleCommandTarget;

constexpr DWORD OLECMDID_STOP = 23;

struct OLECMD {
    ULONG cmdID;
    DWORD cmdf;
};
struct OLECMDTEXT {
    DWORD cmdtextf;
    ULONG cwActual;
    ULONG cwBuf;
    OLECHAR rgwz[1];
};

struct IOleCommandTarget : IUnknown {
    virtual HRESULT QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT* pCmdText) = 0;
    virtual HRESULT Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                         VARIANT* pvaOut) = 0;

protected:
    ~IOleCommandTarget() = default;
};

#endif
