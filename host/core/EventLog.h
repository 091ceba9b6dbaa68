// The viewer's report: one JSON object per line for each thing that
// happened (events, navigations, the "Message" frame's text, cursor and
// status changes, frames drawn, property pages), stamped with the
// milliseconds since the viewer started. Safe to call from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

#include "host/core/ContainerListener.h"

class EventLog {
public:
    // Lines go to `out`; a null stream makes a log that writes nothing.
    explicit EventLog(std::FILE* out);

    // A listener whose every callback writes its line here, then calls the
    // matching callback of `chained` (if any).
    ContainerListener listener(ContainerListener chained = {});

    void write(const std::string& jsonFields);
    // Also hands every line (without its newline) to `tap`, with the
    // control it is about (-1: none); set before the first line.
    void setTap(std::function<void(int control, const std::string& line)> tap) { m_tap = std::move(tap); }
    // The line for a page that could not be loaded, with the reason the
    // viewer prints.
    void pageFailed(const std::string& page, const std::string& reason);
    long long elapsedMs() const;

    long frames() const { return m_frames; }
    // Whether a line could not be written (the reader closed its end):
    // nothing more is written, and the viewer ends its run.
    bool broken() const { return m_broken.load(std::memory_order_acquire); }

    static std::string Escape(const std::string& text);

private:
    std::FILE* m_out;
    std::function<void(int, const std::string&)> m_tap;
    std::mutex m_mutex;
    std::chrono::steady_clock::time_point m_start;
    std::atomic<bool> m_broken{false};
    long m_frames = 0; // frames drawn so far, numbered in the report
};
