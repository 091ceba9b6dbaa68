// The viewer's private switches on a control's receiving and drawing: a
// container that asks for them gets a picture sooner and cheaper; one that
// does not gets the control's own behaviour, unchanged. Called on the
// control's thread before the control is sited. Both sides are our own.
#pragma once

#include "platform/com/Unknown.h"

enum : DWORD {
    // A part is complete once its JPEG is: its end-of-image marker,
    // found by walking the picture, ends it without waiting for the next
    // part's boundary. A part whose picture is damaged still ends at the
    // boundary.
    VIEW_TUNE_EARLY_CUT = 0x1,
    // The receive step runs when the socket has data (WSAAsyncSelect,
    // FD_READ, to the control's window), not only on the tick; a tick with
    // nothing received to handle returns at once.
    VIEW_TUNE_SOCKET_READ = 0x2,
    // Where the control is drawn at half the picture's size or less, the
    // picture is decoded at the smallest of 1/2, 1/4, 1/8 of its size that
    // still covers what is drawn. Drawn at a larger size it is decoded
    // whole, as without the switch.
    VIEW_TUNE_SCALED_DECODE = 0x4,
    // The tick may come up to one period late, so that the ticks of the
    // controls of one thread fall on one wake-up; with nothing to step it
    // rests (a few periods). The connection's worker, with nothing to do,
    // looks at its state once a second instead of ten times, and is woken
    // when a connection is to be opened.
    VIEW_TUNE_COALESCED_TICK = 0x8,
    VIEW_TUNE_ALL = 0xF,
};

struct IViewTuning : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetViewTuning(DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetViewTuning(DWORD* flags) = 0;
    // The size the container shows the control at from now on, drawing it
    // into bounds of that size (0 x 0: the control's own size). With
    // VIEW_TUNE_SCALED_DECODE a size below the picture's has the picture
    // drawn into it whole, and decoded no larger than it needs to be.
    virtual HRESULT STDMETHODCALLTYPE SetShownSize(LONG cx, LONG cy) = 0;

protected:
    ~IViewTuning() = default;
};

// {6C1E2B7A-3D55-4F0B-A7C2-9E41D0B8F35A}
inline constexpr IID IID_IViewTuning = {0x6c1e2b7a, 0x3d55, 0x4f0b, {0xa7, 0xc2, 0x9e, 0x41, 0xd0, 0xb8, 0xf3, 0x5a}};
