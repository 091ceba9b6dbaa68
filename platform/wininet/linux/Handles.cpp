// Internet handles: opening a session, closing any handle (which ends a
// call blocked on it), and the answers every call shares.
#include <cstdlib>
#include <cstring>

#include "platform/kernel/Kernel.h"
#include "platform/wininet/linux/InternetObjects.h"
#include "platform/winsock/Winsock.h"
#include "platform/trace/Trace.h"

namespace inet {

HandleTable<HINTERNET, Object>& Handles()
{
    // Never destroyed: threads still running at exit may use it.
    static auto* h = new HandleTable<HINTERNET, Object>(0xCC0000);
    return *h;
}

BOOL FailWith(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

BOOL CopyText(const std::string& text, LPVOID buffer, DWORD* length)
{
    if (!length) return FailWith(ERROR_INVALID_PARAMETER);
    const DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (!buffer || *length < needed) {
        *length = needed;
        return FailWith(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, text.c_str(), needed);
    *length = needed - 1;
    return TRUE;
}

Request::~Request()
{
    if (peerSocket) closesocket(peerSocket);
}

} // namespace inet

namespace {

const char* env(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
}

} // namespace

using namespace inet;

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD)
{
    VE_TRACE(wininet, "(%s, %lu, %s, %s)", traceText(agent).c_str(), static_cast<unsigned long>(accessType),
             traceText(proxy).c_str(), traceText(proxyBypass).c_str());
    Process();
    auto session = std::make_shared<Session>();
    session->agent = agent ? agent : "";
    std::string bypass;
    if (accessType == INTERNET_OPEN_TYPE_PRECONFIG) {
        // The preconfigured setting is the environment's.
        if (const char* p = env("http_proxy")) session->proxy = p;
        else if (const char* q = env("HTTP_PROXY")) session->proxy = q;
        if (const char* n = env("no_proxy")) bypass = n;
        else if (const char* m = env("NO_PROXY")) bypass = m;
    } else if (accessType == INTERNET_OPEN_TYPE_PROXY) {
        session->proxy = proxy ? proxy : "";
        bypass = proxyBypass ? proxyBypass : "";
    }
    session->noProxy = ParseBypassList(bypass);
    session->bypass = bypass;
    return Handles().insert(session);
}

BOOL InternetCloseHandle(HINTERNET handle)
{
    VE_TRACE(wininet, "(%p)", handle);
    const std::shared_ptr<Object> object = Handles().remove(handle);
    if (!object) return FailWith(ERROR_INVALID_HANDLE);
    if (auto request = std::dynamic_pointer_cast<Request>(object)) AbortTransfer(*request);
    if (auto session = std::dynamic_pointer_cast<Session>(object)) {
        // Closing a session ends the requests opened under it, even one
        // whose handle has not been returned yet.
        std::lock_guard lock(session->childrenMutex);
        for (auto& child : session->children)
            if (auto request = child.lock()) AbortTransfer(*request);
    }
    return TRUE;
}
