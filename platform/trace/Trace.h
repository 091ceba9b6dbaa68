// Tracing by channel, in the manner of Wine's WINEDEBUG: VE_TRACE names the
// channels to trace ("wininet,stream", "all"); each traced call writes one
// line "TTTT:trace:CHANNEL:Function args" to standard error, TTTT being the
// thread's id in hex. Off, a trace costs one test of a cached word: the
// arguments are not evaluated.
//
//   VE_TRACE(wininet, "(%p, %s)", handle, traceText(url).c_str());
//
// Texts go through traceText, which quotes them, bounds them and hides
// passwords (a URL's user:password@, Authorization and Cookie values);
// a password given on its own is never passed, "***" is written instead.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

enum class TraceChannel : unsigned { stream, wininet, winsock, window, gdi, com, viewer, kernel, registry };

// The channels chosen, one bit each, and kTraceUnread until VE_TRACE has been
// read (the first test then reads it, once per process or module).
constexpr unsigned kTraceUnread = 0x80000000u;
extern std::atomic<unsigned> g_traceChannels;

constexpr unsigned traceBit(TraceChannel channel) { return 1u << static_cast<unsigned>(channel); }

// Reads VE_TRACE if it was not read yet; whether `channel` is traced.
bool traceEnabledSlow(TraceChannel channel);

inline bool traceEnabled(TraceChannel channel)
{
    const unsigned word = g_traceChannels.load(std::memory_order_acquire);
    if (!(word & (traceBit(channel) | kTraceUnread))) [[likely]]
        return false;
    return traceEnabledSlow(channel);
}

// A handle or pointer as %p shows it, whether the handle is a pointer or a
// number.
template <class T> const void* traceHandle(T value)
{
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<const void*>(value);
    else
        return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(value));
}

#if defined(__GNUC__)
#define VE_TRACE_PRINTF(a, b) __attribute__((format(printf, a, b)))
#else
#define VE_TRACE_PRINTF(a, b)
#endif

// Writes one trace line for `function` (the rest printf-formatted).
void traceLine(TraceChannel channel, const char* function, const char* format, ...) VE_TRACE_PRINTF(3, 4);

// `text` (at most `length` bytes, up to a terminator) quoted and escaped as C
// text, cut after 200 characters, with passwords and cookie values as ***;
// "(null)" for a null pointer.
std::string traceText(const char* text, std::size_t length = static_cast<std::size_t>(-1));
inline std::string traceText(const std::string& text) { return traceText(text.c_str(), text.size()); }

// A name that may be a resource's or an entry's number (MAKEINTRESOURCE):
// "#number" for a number, else as traceText shows it.
std::string traceName(const char* name);

// The channel names as VE_TRACE spells them; the bit mask a VE_TRACE value
// names, and in `unknown` the names it holds that are no channel.
const char* traceChannelName(TraceChannel channel);
unsigned parseTraceChannels(const char* value, std::string* unknown);

#define VE_TRACE(channel, ...)                                                                                         \
    do {                                                                                                               \
        if (traceEnabled(TraceChannel::channel)) [[unlikely]]                                                          \
            traceLine(TraceChannel::channel, __func__, __VA_ARGS__);                                                   \
    } while (0)

// A call the system makes into a Windows service that Windows itself
// provides: traced at the call on Windows, where nothing of ours runs inside
// the call; on Linux the stand-in's function traces its own entry.
#ifdef _WIN32
#define VE_TRACE_CALL(channel, function, ...)                                                                          \
    do {                                                                                                               \
        if (traceEnabled(TraceChannel::channel)) [[unlikely]]                                                          \
            traceLine(TraceChannel::channel, function, __VA_ARGS__);                                                   \
    } while (0)
#else
#define VE_TRACE_CALL(channel, function, ...)                                                                          \
    do {                                                                                                               \
    } while (0)
#endif
