// The Linux stand-in's objects behind internet handles and what the internet
// layer's families share. Only Http.cpp and Cookie.cpp meet libcurl; only
// Options.cpp and Handles.cpp meet Winsock, so the two never share a file.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/kernel/linux/HandleTable.h"
#include "platform/wininet/linux/StandInWinInet.h"

namespace inet {

constexpr DWORD kDefaultReceiveTimeoutMs = 30000;

struct Object {
    virtual ~Object() = default;
};

struct Request;

struct Session final : Object {
    std::mutex childrenMutex;
    std::vector<std::weak_ptr<Request>> children;
    std::string agent;
    std::string proxy; // empty: direct
    std::vector<std::string> noProxy;
    std::string bypass; // the bypass list as given
    DWORD receiveTimeoutMs = kDefaultReceiveTimeoutMs;
};

struct Request final : Object {
    std::shared_ptr<Session> session;
    std::string url;
    std::string user;
    std::string password;
    DWORD receiveTimeoutMs = kDefaultReceiveTimeoutMs;
    bool answered = false;
    long status = 0;
    std::string body;
    size_t readPosition = 0;
    std::string contentType; // as the answer's head gave it
    // A picture stream's body never ends: its head is answered, its body
    // is not read ahead (the caller looks at the type and goes elsewhere).
    bool endlessBody = false;
    void* easy = nullptr;    // curl's handle, while a transfer runs
    bool proxied = false;
    std::string peerIp;
    long peerPort = 0;
    std::uintptr_t peerSocket = 0; // a peer-only socket, once asked for
    std::atomic<bool> closing{false};
    std::mutex multiMutex;
    void* multi = nullptr; // curl's multi handle, while a transfer runs
    ~Request() override;
};

// Handles.cpp: the handle table and the calls' common answers.
HandleTable<HINTERNET, Object>& Handles();
template <typename T>
std::shared_ptr<T> Find(HINTERNET handle)
{
    return std::dynamic_pointer_cast<T>(Handles().find(handle));
}
BOOL FailWith(DWORD error);
// Copies text with its terminator; too small a buffer, or none, gives
// ERROR_INSUFFICIENT_BUFFER with the size needed, terminator included.
BOOL CopyText(const std::string& text, LPVOID buffer, DWORD* length);

// Http.cpp: the process's state and the transfer.
struct ProcessState {
    std::mutex mutex;
    std::map<std::string, std::pair<std::string, std::string>> credentials; // by server
    standin::PasswordPrompt prompt;
};
ProcessState& Process();
// The cookie store's curl share handle.
void* CookieShare();
// Runs the request to its end, or until the handle is closed or no byte has
// come for the receive timeout. Returns 0 or a WinInet error.
DWORD Perform(Request& request);
// Makes a transfer of the request, running or to come, end at once.
void AbortTransfer(Request& request);

// Proxy.cpp: pure functions over URLs and bypass lists.
std::string Lower(std::string s);
// Host and port of an http URL, lower-cased, for matching and caching
// ("host:80" when none is given); hostOnly gets the host alone, an IPv6
// literal without its brackets.
std::string ServerOf(const std::string& url, std::string* hostOnly = nullptr);
// The entries of a bypass list, separated by commas or spaces, lower-cased.
std::vector<std::string> ParseBypassList(const std::string& list);
// Whether a request to host goes direct: an entry "*", the host itself, or
// a domain the host lies in (with or without a leading dot).
bool BypassesProxy(const std::vector<std::string>& noProxy, const std::string& host);

// Cookie.cpp: whether a line of the cookie store (domain, tail match, path,
// secure, expiry, name and value, tab-separated) is sent to host and path,
// and with which name and value.
bool CookieLineMatches(const std::string& line, const std::string& host, const std::string& path, std::string* name,
                       std::string* value);

} // namespace inet
