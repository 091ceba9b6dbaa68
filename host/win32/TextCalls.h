// The texts a hosted module writes, as it passes them to DrawTextA and
// TextOutA: the viewer reports a control's status text exactly as the
// control wrote it, whatever fonts the system has to lay it out with (a
// metafile records only the laid-out lines, and none at all where the
// layout fails). The module's imports of the two calls are pointed at
// recorders that pass each call on unchanged.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Points `module`'s imports of DrawTextA and TextOutA at the recorders;
// false when it imports neither. Safe to call again for the same module.
bool WatchTextCalls(HMODULE module);

// Hands a text to this thread's recording, if any (the recorders call it).
void RecordTextCall(const char* text, int length);

// Collects, on this thread, the texts written while it lives.
class TextCallRecording {
public:
    TextCallRecording();
    ~TextCallRecording();
    TextCallRecording(const TextCallRecording&) = delete;
    TextCallRecording& operator=(const TextCallRecording&) = delete;
    const std::vector<std::string>& texts() const { return m_texts; }

private:
    friend void RecordTextCall(const char* text, int length);
    std::vector<std::string> m_texts;
    TextCallRecording* m_outer;
};
