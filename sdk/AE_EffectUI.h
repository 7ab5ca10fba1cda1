// Custom UI: its registration and events, the extra record of PF_Cmd_EVENT.
#ifndef _H_AE_EffectUI
#define _H_AE_EffectUI

#include "AE_Effect.h"
#include "adobesdk/drawbotsuite/DrawbotSuiteTypes.h"

typedef A_long PF_CustomEventFlags;
enum {
    PF_CustomEFlag_NONE = 0,
    PF_CustomEFlag_COMP = 1L << 0,
    PF_CustomEFlag_LAYER = 1L << 1,
    PF_CustomEFlag_EFFECT = 1L << 2,
    PF_CustomEFlag_PREVIEW = 1L << 3,
};

typedef A_long PF_UIAlignment;

struct _PF_CustomUIInfo {
    A_long reserved;
    PF_CustomEventFlags events;
    A_long comp_ui_width;
    A_long comp_ui_height;
    PF_UIAlignment comp_ui_alignment;
    A_long layer_ui_width;
    A_long layer_ui_height;
    PF_UIAlignment layer_ui_alignment;
    A_long preview_ui_width;
    A_long preview_ui_height;
    PF_UIAlignment preview_ui_alignment;
};

typedef A_long PF_EventType;
enum {
    PF_Event_NEW_CONTEXT = 0,
    PF_Event_ACTIVATE,
    PF_Event_DO_CLICK,
    PF_Event_DRAG,
    PF_Event_DRAW,
    PF_Event_DEACTIVATE,
    PF_Event_CLOSE_CONTEXT,
    PF_Event_IDLE,
    PF_Event_ADJUST_CURSOR = 9,
    PF_Event_KEYDOWN,
    PF_Event_MOUSE_EXITED,
    PF_Event_NUM_EVENTS
};

typedef A_long PF_WindowType;
enum {
    PF_Window_NONE = -1,
    PF_Window_COMP = 0,
    PF_Window_LAYER,
    PF_Window_EFFECT,
    PF_Window_PREVIEW
};

typedef A_long PF_CursorType;
enum {
    PF_Cursor_NONE = 0,
    PF_Cursor_CUSTOM,
    PF_Cursor_ARROW,
    PF_Cursor_HOLLOW_ARROW,
    PF_Cursor_WATCH_N_WAIT,
    PF_Cursor_MAGNIFY,
    PF_Cursor_MAGNIFY_PLUS,
    PF_Cursor_MAGNIFY_MINUS,
    PF_Cursor_CROSSHAIRS,
    PF_Cursor_CROSS_RECT,
    PF_Cursor_CROSS_OVAL,
    PF_Cursor_CROSS_ROTATE,
    PF_Cursor_PAN,
    PF_Cursor_EYEDROPPER,
    PF_Cursor_HAND,
    PF_Cursor_PEN,
    PF_Cursor_PEN_ADD,
    PF_Cursor_PEN_DELETE,
    PF_Cursor_PEN_CLOSE,
    PF_Cursor_PEN_DRAG,
    PF_Cursor_PEN_CORNER,
    PF_Cursor_RESIZE_VERTICAL,
    PF_Cursor_RESIZE_HORIZONTAL,
    PF_Cursor_FINGER_POINTER,
};

typedef A_long PF_Modifiers;
typedef A_long PF_EventInFlags;
typedef A_long PF_EventOutFlags;
enum {
    PF_EO_NONE = 0,
    PF_EO_HANDLED_EVENT = 1L << 0,
    PF_EO_ALWAYS_UPDATE = 1L << 1,
    PF_EO_NEVER_UPDATE = 1L << 2,
    PF_EO_UPDATE_NOW = 1L << 3
};

// The host's drawing context of a custom UI; past the window type it is the host's own.
typedef struct {
    A_u_long magic;
    PF_WindowType w_type;
    void* reserved[8];
} PF_Context;
typedef PF_Context** PF_ContextH;

typedef struct {
    A_u_long when;
    PF_Point screen_point;
    A_long num_clicks;
    PF_Modifiers modifiers;
    A_intptr_t continue_refcon[4];
    A_Boolean send_drag;
    A_Boolean last_time;
} PF_DoClickEventInfo;

typedef struct {
    PF_Rect update_rect;
    A_long depth;
} PF_DrawEventInfo;

typedef struct {
    A_u_long when;
    PF_Point screen_point;
    A_long keycode;
    PF_Modifiers modifiers;
} PF_KeyDownEvent;

typedef struct {
    PF_Point screen_point;
    PF_Modifiers modifiers;
    PF_CursorType set_cursor;
} PF_AdjustCursorEventInfo;

typedef union {
    PF_DoClickEventInfo do_click;
    PF_DrawEventInfo draw;
    PF_KeyDownEvent key_down;
    PF_AdjustCursorEventInfo adjust_cursor;
} PF_EventUnion;

typedef A_long PF_EffectArea;
enum { PF_EA_NONE = 0, PF_EA_PARAM_TITLE, PF_EA_CONTROL };

typedef struct {
    PF_ParamIndex index;
    PF_EffectArea area;
    PF_Rect current_frame;
    PF_Rect param_title_frame;
    A_long horiz_offset;
} PF_EffectWindowInfo;

// Coordinate and info-palette callbacks of an event; the header strip uses none of them.
typedef struct {
    void* refcon;
    void* reserved[8];
} PF_EventCallbacks;

typedef struct {
    PF_ContextH contextH;
    PF_EventType e_type;
    PF_EventUnion u;
    PF_EffectWindowInfo effect_win;
    PF_EventCallbacks cbs;
    PF_EventInFlags evt_in_flags;
    PF_EventOutFlags evt_out_flags;
} PF_EventExtra;

#endif
