// WinInet over libcurl: the calls the control makes for its preflight and
// its camera commands. One process-wide cookie store and credential cache;
// the proxy comes from the environment as the preconfigured setting; the
// password prompt is the container's. Closing a handle from another thread
// ends a call blocked on it promptly.
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"
#include <wininet.h>

#else

#include "platform/win/WinError.h"

using HINTERNET = void*;
using INTERNET_PORT = WORD;
using DWORD_PTR = std::uintptr_t;

constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;

constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000u;
constexpr DWORD INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000u;

constexpr DWORD INTERNET_OPTION_RECEIVE_TIMEOUT = 6;
constexpr DWORD INTERNET_OPTION_USERNAME = 28;
constexpr DWORD INTERNET_OPTION_PASSWORD = 29;
constexpr DWORD INTERNET_OPTION_DIAGNOSTIC_SOCKET_INFO = 67;
// The proxy setting of a session: its strings follow the structure in the
// caller's buffer.
constexpr DWORD INTERNET_OPTION_PROXY = 38;
struct INTERNET_PROXY_INFO {
    DWORD dwAccessType;
    LPCSTR lpszProxy;
    LPCSTR lpszProxyBypass;
};

constexpr DWORD IDSI_FLAG_KEEP_ALIVE = 1;
constexpr DWORD IDSI_FLAG_SECURE = 2;
constexpr DWORD IDSI_FLAG_PROXY = 4;
constexpr DWORD IDSI_FLAG_TUNNEL = 8;

struct INTERNET_DIAGNOSTIC_SOCKET_INFO {
    DWORD_PTR Socket;
    DWORD SourcePort;
    DWORD DestPort;
    DWORD Flags;
};

// InternetGetCookieExA: HttpOnly cookies too (the plain call leaves them out).
constexpr DWORD INTERNET_COOKIE_HTTPONLY = 0x2000;

constexpr DWORD HTTP_QUERY_CONTENT_TYPE = 1;
constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000u;

constexpr DWORD FLAGS_ERROR_UI_FILTER_FOR_ERRORS = 0x01;
constexpr DWORD FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS = 0x02;
constexpr DWORD FLAGS_ERROR_UI_FLAGS_GENERATE_DATA = 0x04;
constexpr DWORD FLAGS_ERROR_UI_FLAGS_NO_UI = 0x08;

constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_CANCELLED = 1223;
constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
constexpr DWORD ERROR_INTERNET_INVALID_OPTION = 12009;
constexpr DWORD ERROR_INTERNET_BAD_OPTION_LENGTH = 12010;
constexpr DWORD ERROR_INTERNET_INCORRECT_PASSWORD = 12014;
constexpr DWORD ERROR_INTERNET_OPERATION_CANCELLED = 12017;
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
constexpr DWORD ERROR_INTERNET_CONNECTION_RESET = 12031;
constexpr DWORD ERROR_INTERNET_FORCE_RETRY = 12032;
constexpr DWORD ERROR_HTTP_HEADER_NOT_FOUND = 12150;
constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags);
// An option the handle does not know fails with
// ERROR_INTERNET_INVALID_OPTION; a DWORD option given another length with
// ERROR_INTERNET_BAD_OPTION_LENGTH.
BOOL InternetSetOptionA(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length);
BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, LPVOID buffer, DWORD* length);
// Sends the request at once; the answer's head and body are then read
// from the handle.
HINTERNET InternetOpenUrlA(HINTERNET session, LPCSTR url, LPCSTR headers, DWORD headersLength, DWORD flags,
                           DWORD_PTR context);
// Sends the request of the handle again, with the credentials set on it:
// as in WinInet, a request opened with InternetOpenUrlA goes out a second
// time, whatever its first answer was.
BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional, DWORD optionalLength);
BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, LPVOID buffer, DWORD* length, DWORD* index);
BOOL InternetReadFile(HINTERNET request, LPVOID buffer, DWORD toRead, DWORD* read);
DWORD InternetErrorDlg(HWND parent, HINTERNET request, DWORD error, DWORD flags, LPVOID* data);
// Every cookie the store would send to the URL, as "name=value; ...": as
// in WinInet, the cookie name is not looked at, and HttpOnly cookies are
// left out unless InternetGetCookieExA is given INTERNET_COOKIE_HTTPONLY
// (its other flags change nothing here). Sizes count the terminator: with
// no buffer *size gets the bytes needed and the call succeeds; too small a
// buffer fails with ERROR_INSUFFICIENT_BUFFER and the bytes needed.
BOOL InternetGetCookieA(LPCSTR url, LPCSTR cookieName, LPSTR cookieData, DWORD* size);
BOOL InternetGetCookieExA(LPCSTR url, LPCSTR cookieName, LPSTR cookieData, DWORD* size, DWORD flags, LPVOID reserved);
BOOL InternetCloseHandle(HINTERNET handle);

#endif
