// The viewer's private tap on the frames a control cuts from its stream:
// a container that wants the camera's own bytes (to record them) asks the
// control for IFrameTap and gives it a sink. The control calls the sink on
// its window's thread, once for every frame it cuts, with the frame's
// bytes exactly as the camera sent them and the tick count when they were
// cut; the bytes are the control's and valid only during the call. With
// no sink set the control does nothing more than look at the pointer.
// Its queries read values the control publishes, and may be asked from
// any thread.
// Both sides are our own: the control answers the interface, the viewers
// ask for it; nothing else knows of it.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/kernel/Kernel.h" // GetTickCount, which gives the arrival ticks

// What the control hands each frame to. Not reference counted: the
// container keeps the sink alive until it has set another (or none).
struct IFrameSink {
    virtual HRESULT STDMETHODCALLTYPE OnFrame(const BYTE* bytes, DWORD length, DWORD arrivalTick) = 0;

protected:
    ~IFrameSink() = default;
};

struct IFrameTap : IUnknown {
    // Sets the sink (null: none). Called on the control's thread.
    virtual HRESULT STDMETHODCALLTYPE SetFrameSink(IFrameSink* sink) = 0;
    // Whether the picture stream ended (the camera closed it or it broke)
    // after a picture was drawn. The control shows its last picture then
    // and no error, and never opens the stream again; a viewer that wants
    // pictures makes the control again.
    virtual HRESULT STDMETHODCALLTYPE GetStreamEnded(BOOL* ended) = 0;
    // Whether the picture stream got past the camera's answer head at least
    // once, so that the control reads pictures: a control that then draws
    // none for a while has a frozen stream.
    virtual HRESULT STDMETHODCALLTYPE GetStreamStarted(BOOL* started) = 0;
    // The frames the control dropped because they did not fit its receive
    // buffer: how many so far, and the length in bytes of the last one.
    // The control shows nothing for them.
    virtual HRESULT STDMETHODCALLTYPE GetOversizedFrames(DWORD* count, DWORD* lastLength) = 0;
    // The container gave the control a picture stream's address directly
    // (not a camera's page): read any multipart/x-mixed-replace stream,
    // with the boundary its answer names. Off by default. Called on the
    // control's thread before the properties are loaded and the control is
    // sited; the address is the ImagePath property when that is a whole
    // http:// address, else the page's address.
    virtual HRESULT STDMETHODCALLTYPE SetAnyPictureStream(BOOL on) = 0;

protected:
    ~IFrameTap() = default;
};

// {0BEFA9A9-BF59-4020-9BD1-04DBE76617D1}
inline constexpr IID IID_IFrameTap = {0x0befa9a9, 0xbf59, 0x4020, {0x9b, 0xd1, 0x04, 0xdb, 0xe7, 0x66, 0x17, 0xd1}};
