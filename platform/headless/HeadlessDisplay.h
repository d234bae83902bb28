#pragma once

#include <stdint.h>

/* A display a host creates so that a plug-in built with the headless window system can open its
   editor in it: the host passes the display's address where a parent window is expected. The
   plug-in's windows are composed into the host's pixel buffer; the mouse, the keys and the clock
   are the fields below, which the host sets and the plug-in reads (and, when it sleeps, advances);
   the host delivers clicks, typing and paint dispatch through the entry the plug-in fills in.

   Plain C with fixed-size fields, so that a host and a plug-in built apart agree on it. A plug-in
   attaches only to a display whose magic, version and size it knows. Everything happens on the
   host's user-interface thread. */

#ifdef __cplusplus
extern "C" {
#endif

#define BRL_DISPLAY_MAGIC 0x444C5242u /* "BRLD" in memory on a little-endian machine */
/* Version 2 adds the wheel and key-by-key typing; a plug-in still attaches to version 1 displays,
   whose hosts never send those events. */
#define BRL_DISPLAY_VERSION 2u

/* Bits of BrlDisplay.keys. */
#define BRL_DISPLAY_LEFT_BUTTON 0x01u
#define BRL_DISPLAY_MIDDLE_BUTTON 0x02u
#define BRL_DISPLAY_RIGHT_BUTTON 0x04u
#define BRL_DISPLAY_SHIFT 0x08u
#define BRL_DISPLAY_CONTROL 0x10u
#define BRL_DISPLAY_ALT 0x20u

/* Keys of brlDisplayKey, in BrlDisplayEvent.key. */
#define BRL_DISPLAY_KEY_TEXT 0u /* the characters in `text` */
#define BRL_DISPLAY_KEY_BACKSPACE 8u
#define BRL_DISPLAY_KEY_ENTER 13u
#define BRL_DISPLAY_KEY_ESCAPE 27u

enum BrlDisplayEventKind {
    /* A mouse button (one of the button bits in `keys`) goes down at (x, y) in display pixels and
       stays down; the window under the point hears the click. A control's drag loop runs inside
       this delivery and reads the mouse, keys and clock from the display as they change. */
    brlDisplayMouseDown = 1,
    /* Replaces the text of the edit field that has the keyboard focus with `text`. */
    brlDisplayType = 2,
    /* Presses Enter in the edit field that has the keyboard focus. */
    brlDisplayEnter = 3,
    /* Delivers every pending paint message and composes all windows into `pixels`. */
    brlDisplayCompose = 4,
    /* The host is about to free the display: the plug-in forgets it and destroys what it made. */
    brlDisplayDetach = 5,
    /* Version 2. The wheel turns by `distance` notches (positive away from the user) with the
       mouse at (x, y); the window under the point hears it. */
    brlDisplayWheel = 6,
    /* Version 2. One key pressed in the edit field that has the keyboard focus: characters go in
       where the caret is (replacing the selection), Backspace removes the character before it,
       Enter confirms, Escape puts back the text the field opened with and closes it. Answers 0
       when no edit field has the focus. */
    brlDisplayKey = 7
};

typedef struct BrlDisplayEvent {
    int32_t kind;
    int32_t x;
    int32_t y;
    uint32_t button;  /* one button bit, for brlDisplayMouseDown */
    const char* text; /* UTF-8 */
    /* Version 2; read only for the events that need them, so version 1 hosts may leave them out. */
    float distance; /* wheel notches, for brlDisplayWheel */
    uint32_t key;   /* BRL_DISPLAY_KEY_*, for brlDisplayKey */
} BrlDisplayEvent;

typedef struct BrlDisplay {
    uint32_t magic;    /* BRL_DISPLAY_MAGIC */
    uint32_t version;  /* BRL_DISPLAY_VERSION */
    uint32_t byteSize; /* sizeof (BrlDisplay) */
    int32_t width;
    int32_t height;
    uint32_t* pixels; /* width x height, top row first, each 0x00BBGGRR; owned by the host */

    /* Set by the host, read by the plug-in. */
    int32_t mouseX; /* in display pixels */
    int32_t mouseY;
    uint32_t keys; /* BRL_DISPLAY_* bits held now */
    uint32_t now;  /* milliseconds, wrapping; the plug-in advances it when it sleeps */
    /* Milliseconds each read of the mouse position takes, so that a drag loop polling the mouse
       lets time pass; 0 makes reads free. */
    uint32_t mouseReadCost;
    /* Called by the plug-in after it advanced `now`; the host may move the mouse, change the keys
       or advance the clock further from here. May be null. */
    void (*clockAdvanced)(struct BrlDisplay* display);
    void* hostContext;

    /* Filled in by the plug-in when it first opens a window in the display; null before. */
    int32_t (*deliver)(struct BrlDisplay* display, const BrlDisplayEvent* event);
    void* pluginContext;
} BrlDisplay;

#ifdef __cplusplus
}
#endif
