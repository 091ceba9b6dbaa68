// camview for Windows: loads a camera's viewer page, hosts the controls it
// embeds (the registered module, registered from beside this program when
// it is not yet) and shows their pictures in a window, or, with
// --headless, runs the same container in a window shown only while an
// input script moves the mouse over it.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "host/win32/headless/Headless.h"
#include "host/win32/serve/Win32Serve.h"
#include "host/win32/container/Utf.h"
#include "host/win32/window/Win32Face.h"
#include "host/core/CamviewOptions.h"
#include "host/core/Wall.h"

namespace {

// The control module beside this program.
std::string modulePath()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "VE_VIRIZU.OCX";
    std::wstring p(path, length);
    const auto slash = p.find_last_of(L"\\/");
    return Narrow(p.substr(0, slash == std::wstring::npos ? 0 : slash + 1)) + "VE_VIRIZU.OCX";
}

// camview is a program of the graphical subsystem: started from the Start
// menu it opens no console window. Started from a console, its report
// and messages go to that console; redirected, to where they were sent.
void attachParentConsole()
{
    const auto unset = [](DWORD which) {
        HANDLE h = GetStdHandle(which);
        return h == nullptr || h == INVALID_HANDLE_VALUE || GetFileType(h) == FILE_TYPE_UNKNOWN;
    };
    if (!unset(STD_OUTPUT_HANDLE) && !unset(STD_ERROR_HANDLE)) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (unset(STD_OUTPUT_HANDLE) || GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR)
        std::freopen("CONOUT$", "w", stdout);
    if (unset(STD_ERROR_HANDLE) || GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_CHAR)
        std::freopen("CONOUT$", "w", stderr);
}

} // namespace

int main(int argc, char** argv)
{
    attachParentConsole();
    CamviewOptions options;
    const int parsed = ParseCamviewOptions(argc, argv, VE_VERSION, options);
    if (parsed >= 0) return parsed;
    if (const int walls = ApplyWallOptions(options); walls >= 0) return walls;
    // The report's lines are whole lines, and are read by other programs
    // while the viewer runs.
    std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    if (FAILED(OleInitialize(nullptr))) {
        std::fprintf(stderr, "camview: OLE cannot be started\n");
        return 2;
    }
    if (options.serve && !options.addUser.empty()) {
        std::fprintf(stderr, "camview: camview.exe serve listens on this machine only and needs no login: "
                             "logins (--add-user) are camview serve's on Linux\n");
        return 2;
    }
    const int status = options.serve      ? RunServe(options, modulePath())
                       : options.headless ? RunHeadless(options, modulePath())
                                          : RunWindow(options, modulePath());
    OleUninitialize();
    return status;
}
