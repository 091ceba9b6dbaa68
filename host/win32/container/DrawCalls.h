// What a hosted module draws, as it calls Windows to draw it: the texts it
// writes (DrawTextA, TextOutA) and the pictures it transfers with their
// bits (StretchDIBits, SetDIBitsToDevice, DrawDibDraw). The viewer reports
// a control's status text exactly as the control wrote it and counts its
// pictures, whatever device it draws on and whatever fonts the system has
// to lay text out with. The module's imports of those calls are pointed at
// recorders that pass each call on unchanged (InvalidateRect too, for
// WatchRepaints).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A hosted module's InvalidateRect is passed on and then told to
// `watcher` (null: to nobody), from whichever thread made the call: the
// viewer's window learns so that a control drew a new picture although
// the control's own window is not shown.
void WatchRepaints(void (*watcher)(HWND));

// Points `module`'s imports of the calls above at the recorders; false
// when it imports none of them. Safe to call again for the same module.
bool WatchDrawCalls(HMODULE module);

// Hands a text or a picture (its size on the destination) to this thread's
// recording, if any (the recorders call them).
void RecordTextCall(const char* text, int length);
void RecordPictureCall(int width, int height);

// Collects, on this thread, what is drawn while it lives.
class DrawCallRecording {
public:
    DrawCallRecording();
    ~DrawCallRecording();
    DrawCallRecording(const DrawCallRecording&) = delete;
    DrawCallRecording& operator=(const DrawCallRecording&) = delete;
    const std::vector<std::string>& texts() const { return m_texts; }
    const std::vector<SIZE>& pictures() const { return m_pictures; }

private:
    friend void RecordTextCall(const char* text, int length);
    friend void RecordPictureCall(int width, int height);
    std::vector<std::string> m_texts;
    std::vector<SIZE> m_pictures;
    DrawCallRecording* m_outer;
};
