// IOleCommandTarget: how a browser sends its commands (Stop among them).
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

extern const IID IID_IOleCommandTarget;

// The commands and options a browser sends (those the system meets).
enum OLECMDID { OLECMDID_STOP = 23 };
enum OLECMDF { OLECMDF_SUPPORTED = 0x1, OLECMDF_ENABLED = 0x2, OLECMDF_LATCHED = 0x4, OLECMDF_NINCHED = 0x8 };
enum OLECMDEXECOPT {
    OLECMDEXECOPT_DODEFAULT = 0,
    OLECMDEXECOPT_PROMPTUSER = 1,
    OLECMDEXECOPT_DONTPROMPTUSER = 2,
    OLECMDEXECOPT_SHOWHELP = 3,
};

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
