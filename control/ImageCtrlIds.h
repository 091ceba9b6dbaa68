// The control's identity and its fixed numbers: class and interface
// identifiers, event dispatch ids, timers, feature bits and view phases.
#pragma once

#include "platform/com/Guid.h"

extern const CLSID CLSID_ImageCtrl;
extern const CLSID CLSID_ImagePropPage;
extern const GUID LIBID_ImageCtrlLib;
extern const IID IID__ZEz_orerir;         // dispatch interface
extern const IID IID__VEd_oruvudUruzuv;   // event interface

constexpr WORD IMAGECTRL_LIB_MAJOR = 1;
constexpr WORD IMAGECTRL_LIB_MINOR = 0;
constexpr DWORD IMAGECTRL_PROP_VERSION = 0x00010000; // stored properties, 1.0

// Events, by their place in the event map.
constexpr DISPID eventidModeChanged = 1;
constexpr DISPID eventidDZoomMagChanged = 2;

// Timers of the control's window.
constexpr UINT_PTR TIMER_TICK = 7;
constexpr UINT TIMER_TICK_PERIOD_MS = 16;
constexpr UINT_PTR TIMER_CLICK = 513;
// The message the socket's notices come in when the viewer asked for them.
constexpr UINT WM_STREAM_SOCKET = 0x0400 + 0x2A1; // WM_USER + 0x2A1

// Ticks the magnification label stays after the last reason to show it
// (a digital-zoom right press, a wheel turn, a held button).
constexpr int LABEL_TICKS = 50;

// Feature bits decoded from the page's text parameters.
constexpr BYTE FEATURE_CLICK_OFF = 0x01;
constexpr BYTE FEATURE_CLICK_REAL = 0x02;
constexpr BYTE FEATURE_CLICK_EMULATE = 0x04;
constexpr BYTE FEATURE_DIGITAL_ZOOM = 0x08;
constexpr BYTE FEATURE_CHANGE_RESOLUTION = 0x10;
constexpr BYTE FEATURE_MOTION_SETTING = 0x20;
constexpr BYTE FEATURE_OPTICAL_ZOOM = 0x40;

// View phases of the picture stream.
enum class ViewPhase : int {
    PHASE_NOTHING_RECEIVED = 0,
    PHASE_STREAMING = 1,
    PHASE_SWITCH_REQUESTED = 2,
    PHASE_WAITING_RECONNECT = 3,
    PHASE_WAITING_FIRST_FRAME = 4,
    PHASE_ENDED = 5,
};
using enum ViewPhase;

// The interaction mode last told to the page by ModeChanged: the hand
// cursor (0) or the zoom pointer (1).
enum class InteractionMode : int {
    MODE_HAND = 0,
    MODE_ZOOM = 1,
};
using enum InteractionMode;

// Direction of the resolution switch in progress.
enum : int {
    SWITCH_UP = 1,
    SWITCH_DOWN = 2,
};

// The optical zoom's limits when the page gives none.
constexpr SHORT ZOOM_DEFAULT_MAX_MAG = 4200;
constexpr SHORT ZOOM_DEFAULT_MIN_MAG = 100;
constexpr SHORT ZOOM_DEFAULT_MAX_SPEED = 362;
constexpr SHORT ZOOM_DEFAULT_MIN_SPEED = 5;

// Optical zoom states and the origin of a zoom request.
enum : int {
    ZoomIdle = 1,
    ZoomSend = 2,
    ZoomFollow = 3,
    ZoomWheel = 4,
    ZoomStop = 5,
};
enum : int {
    REQUEST_WHEEL = 1,
    REQUEST_MOUSE = 2,
};

// Module resources.
constexpr WORD IDS_IMAGECTRL = 1;
constexpr WORD IDS_IMAGECTRL_PPG = 2;
constexpr WORD IDS_IMAGECTRL_PPG_CAPTION = 100;
constexpr WORD IDB_IMAGECTRL = 1; // toolbox bitmap
constexpr WORD IDS_SOCKETS_INIT_FAILED = 102; // not in the string table
constexpr WORD IDD_ABOUTBOX_IMAGECTRL = 100;
constexpr WORD IDD_PROPPAGE_IMAGECTRL = 200;
constexpr WORD IDC_PROPPAGE_IMAGEPATH = 201;
constexpr WORD IDC_PROPPAGE_AUTOSIZE = 202;
constexpr WORD IDI_ZOOM = 201;
constexpr WORD IDI_ZOOM_IN = 202;
constexpr WORD IDI_ZOOM_OUT = 203;

constexpr DWORD IMAGECTRL_CONTROL_FLAGS = 0x3A;
constexpr DWORD IMAGECTRL_MISC_STATUS = 0x20191;
