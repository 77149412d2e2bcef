// The seam between the browser host and the page, declared once: every call the program makes on
// the page, the kinds of input the page queues, the paint operations with their fields, and the
// music's notify codes. tools/web/seam.mjs writes the page's side (seam.js) from this file, and
// tests/web/seam.test.mjs checks that both sides use exactly these names.
//
// Every enumerator has its number written out: the generator reads them, it does not count.
#pragma once

namespace web::seam {

// What the program calls on the page, as Module.host.NAME (the page calls the program only
// through Module.callMain, once).
inline constexpr const char* kPageCalls[] = {
    "now",              // the page's clock, in milliseconds since it started the program
    "seed",             // the calendar seconds the program starts from
    "wantsTranscript",  // whether the page keeps the session's transcript
    "wait",             // resolves at the given virtual time, or as soon as input is queued
    "nextInput",        // the oldest queued input: its kind, its fields
    "assetSize",        // the byte count of a named asset (-1: missing or damaged)
    "assetCopy",        // the asset's bytes, into the program's memory
    "bitmap",           // a bitmap decoded, once, before anything is painted
    "damaged",          // an asset the program cannot use: the page says so and stops
    "beginPaint",       // a paint begins: its window, its clip, whether it erases first
    "draw",             // one paint operation, with a text's characters' advances
    "sound",            // a sound cue by file name
    "music",            // a music command, as the program sends it
    "windows",          // the top-level windows and their menus, when any of them changes
    "openModal",        // a message box or dialog opens, resolved to what the page draws
    "dialogState",      // an open dialog's controls after the player worked one
    "closeModal",       // the box or dialog is answered
    "access",           // what a screen reader finds in a window, and what just changed there
    "transcript",       // one line of the session's transcript
    "ended",            // the program has quit, with its code
};

// The input the page queues, each with up to kInputFields numbers.
enum class Input : int {
    None = 0,
    Click = 1,          // window, x, y
    Command = 2,        // command id
    Answer = 3,         // modal serial, button id
    DialogControl = 4,  // modal serial, control id
    Close = 5,          // window
    MusicEnded = 6,     // notify code
    Key = 7,            // virtual key, pressed while the main window has the keyboard
};
inline constexpr int kInputFields = 4;

// A paint operation: its kind and destination rectangle, then the fields of its kind.
enum class Paint : int {
    Blit = 0,
    Text = 1,
    Rectangle = 2,
    FocusRect = 3,  // the rectangle's edge inverted where x + y is odd; no fields of its own
};
enum class PaintField : int {
    Kind = 0,
    Left = 1,
    Top = 2,
    Right = 3,
    Bottom = 4,
    Count = 5,
};
enum class BlitField : int {
    Bitmap = 5,  // the source's resource id
    SourceX = 6,
    SourceY = 7,
    TextColor = 8,  // two-colour sources: black bits in this colour
    BackColor = 9,  // and white ones in this
    Count = 10,
};
enum class TextField : int {
    TextColor = 5,
    BackColor = 6,
    Count = 7,
};
enum class RectangleField : int {
    BrushColor = 5,
    PenColor = 6,
    Count = 7,
};

// What the music device reports when a piece ends (MCI_NOTIFY_SUCCESSFUL).
enum class Notify : int {
    Successful = 1,
};

}  // namespace web::seam
