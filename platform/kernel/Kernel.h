// Threads, waits, sleeping, handles and the tick count.
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"
#include <process.h>

#else

#include <cstdint>

#include "platform/win/WinError.h"

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

// Starts a thread running start(arg); returns its handle, or 0 on failure.
// Stack size and flags are accepted for form; the thread starts at once.
std::uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned(WINAPI* start)(void*), void* arg,
                              unsigned initFlags, unsigned* threadId);
DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs);
BOOL CloseHandle(HANDLE handle);
BOOL GetExitCodeThread(HANDLE handle, DWORD* exitCode);
void Sleep(DWORD ms);
// Unnamed events; a wait on an auto-reset event clears it.
HANDLE CreateEventA(void* security, BOOL bManualReset, BOOL bInitialState, LPCSTR name);
BOOL SetEvent(HANDLE handle);
// Mutexes; a name opens the mutex of that name if one exists, and then
// GetLastError is ERROR_ALREADY_EXISTS.
HANDLE CreateMutexA(void* security, BOOL bInitialOwner, LPCSTR name);
BOOL ReleaseMutex(HANDLE handle);
BOOL ResetEvent(HANDLE handle);
DWORD GetLastError();
void SetLastError(DWORD error);
DWORD GetCurrentThreadId();
// Milliseconds by the process clock (the stand-in's window room keeps it).
DWORD GetTickCount();

#endif
