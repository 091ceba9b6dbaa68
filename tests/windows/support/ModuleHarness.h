// What the module's tests under Windows share: the module beside the test
// program and its registration (regsvr32, the keys it writes), a camera's
// picture fetched and decoded as the control decodes it, what a control
// paints, and a message pump.
#pragma once

#include <ole2.h>
#include <ocidl.h>

#include <set>
#include <string>
#include <vector>

std::wstring exeDirectory();
// The module beside the test program.
std::wstring modulePath();
std::string narrow(const std::wstring& text);
// Runs a command line and returns its exit code (-1 when it could not be
// started), waiting at most waitMs.
DWORD runProcess(std::wstring command, DWORD waitMs);
// Runs regsvr32 on the module (or on `module`) and returns its exit code.
DWORD regsvr32(const std::wstring& options, const std::wstring& module = modulePath());
std::wstring guidText(REFGUID guid);
// Every key under HKEY_CLASSES_ROOT\path and every string value in them,
// as "key" and "key|name=value" (the default value's name is @); `view`
// may name the 32-bit view (KEY_WOW64_32KEY).
void readTree(const std::wstring& path, std::set<std::wstring>& out, REGSAM view = 0);
std::set<std::wstring> registeredEntries();
// What registration writes for the module at `module`: the list the Linux
// registration writes too, with Windows' name for the platform's type
// library key.
std::set<std::wstring> expectedEntries(const std::wstring& module = modulePath());
std::vector<std::string> differences(const std::set<std::wstring>& expected, const std::set<std::wstring>& found);
HRESULT moduleCanUnloadNow();
// One picture of the camera's stream, fetched the way any client would.
std::vector<unsigned char> fetchFrame(const std::string& camera);

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bgr; // top row first
};
// Decoded as the control decodes: the fast integer transform, no smoothing
// of chroma.
Picture decode(const std::vector<unsigned char>& jpeg);
// What the control paints through IViewObject::Draw into a 32-bit DIB
// section of width x height.
Picture paint(IViewObject* view, int width, int height);
// What a metafile plays into a 32-bit DIB section of width x height.
Picture play(HENHMETAFILE metafile, int width, int height);

// Runs the thread's messages (the control's tick among them) for up to
// `ms`, or until `done` says so.
template <typename Done>
bool pumpUntil(DWORD ms, Done done)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return done();
}

// A test run in a child process of the test program (a fresh process: no
// library started, the module not loaded): the child runs the named tests
// with VE_CHILD set, and the parent gets their exit code.
DWORD runChild(const std::wstring& filter);
bool inChild();
