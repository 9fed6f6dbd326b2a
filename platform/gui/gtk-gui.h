// Our layer over GTK 3: windows and widgets by small ids, their state, the
// input they receive (handed to one handler as plain records), the main loop,
// screens and the clipboard. Nothing of GTK shows through this header.
// Every entry runs on the run-time's thread; GTK is started on first use.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <cairo.h>

namespace xel::gtk {

// 0 is no widget; ids are not reused while the process runs.
using WidgetId = uint32_t;

// Starts GTK once; false when there is no display (no DISPLAY or
// WAYLAND_DISPLAY, or the connection fails). Never blocks or aborts.
bool display_open();

enum class Kind : uint8_t {
    kWindow,
    kPanel,
    kBase,
    kButton,
    kToggle,
    kCheck,
    kRadio,
    kField,
    kArea,
    kText,
    kTextList,
    kDropDown,
    kDropList,
    kProgress,
    kSlider,
    kScroller,
    kGroupBox,
    kCalendar,
    kTabPanel,
};

struct WidgetSpec {
    Kind kind = Kind::kBase;
    WidgetId parent = 0;
    int x = 0, y = 0, width = 0, height = 0;
    std::string text;
    bool visible = true;
    bool enabled = true;
    bool vertical = false;    // slider, progress, scroller
    bool tri_state = false;   // check
    bool password = false;    // field
    bool resizable = false;   // window
    bool decorated = true;    // window
    bool modal = false;       // window
    bool translucent = false; // window: its colour has alpha
    bool scrollable = false;  // base: scroll bars of its own at the right and bottom
    uint32_t face_slot = 0;   // the slot-table handle of the face
};

WidgetId widget_create(const WidgetSpec& spec);
void widget_destroy(WidgetId id);
bool widget_alive(WidgetId id);
Kind widget_kind(WidgetId id);
uint32_t widget_face_slot(WidgetId id);
// The window a widget lies in (itself for a window), or 0.
WidgetId widget_toplevel(WidgetId id);

void widget_move(WidgetId id, int x, int y);
void widget_resize(WidgetId id, int width, int height);
void widget_show(WidgetId id, bool visible);
bool widget_visible(WidgetId id);
void widget_enable(WidgetId id, bool enabled);
void widget_set_text(WidgetId id, const std::string& text);
std::string widget_text(WidgetId id);
void widget_focus(WidgetId id);
void widget_redraw(WidgetId id);
// Paints what is queued for the widget's window before returning.
void widget_paint_now(WidgetId id);
void window_present(WidgetId id);
void window_close(WidgetId id);

// Check, radio, toggle: 0 unchecked, 1 checked, 2 indeterminate.
void check_set(WidgetId id, int state);
int check_get(WidgetId id);
// Slider, progress, scroller: value in 0..1; scroller page size in 0..1.
void range_set(WidgetId id, double fraction);
double range_get(WidgetId id);
void scroller_set_page(WidgetId id, double fraction);
// Field and area selection in characters, start < end; false when none.
bool selection_get(WidgetId id, int* start, int* end);
void selection_set(WidgetId id, int start, int end);
// Lists: items and the selected index (-1 none).
void list_set_items(WidgetId id, const std::vector<std::string>& items);
void list_select(WidgetId id, int index);
int list_selected(WidgetId id);

// One timer per widget: a period in milliseconds, 0 stops it.
void timer_set(WidgetId id, uint32_t period_ms);

// Input as the backend sees it.
enum class InputKind : uint8_t {
    kButtonPress,
    kButtonDouble,
    kButtonRelease,
    kMotion,
    kLeave,
    kScroll,
    kKeyPress,
    kKeyRelease,
    kFocusIn,
    kFocusOut,
    kClicked,  // button, toggle, check, radio (after their own state change)
    kChanged,  // text of a field or area, value of a slider or scroller
    kSelected, // list choice
    kConfigure,
    kClose,
    kTimer,
    kMenu,        // a menu item chosen: item is its data
    kTabChanging, // a tab is about to be left: answer 0 to keep it
    kTabChanged,  // item is the new tab's index
    kDateChanged, // a calendar's day chosen
    kGesture,     // a touch gesture: item is its Gesture, amount its argument
    kScrollBar,   // a scroll bar moved: item is the request, track the position
};

// The steps of touch gestures. Begin and end bracket every gesture.
enum class Gesture : int32_t { kBegin, kEnd, kZoom, kPan, kRotate, kTwoTap, kPressTap };

// Modifier and button state bits of Input::state.
enum InputState : uint32_t {
    kStateShift = 1,
    kStateCtrl = 2,
    kStateAlt = 4,
    kStateButton1 = 8,
    kStateButton2 = 16,
    kStateButton3 = 32,
    kStateButton4 = 64,
    kStateCommand = 128,
};

struct Input {
    InputKind kind;
    WidgetId widget;     // the widget the input is for
    double x = 0, y = 0; // pointer position in the widget, logical pixels
    uint32_t state = 0;
    int button = 0;            // 1 left, 2 middle, 3 right, 8/9 extra
    double wheel = 0;          // scroll: notches, positive away from the user
    uint32_t keyval = 0;       // key events: the key symbol
    uint32_t unicode = 0;      // key events: the character the key gives, or 0
    bool left_side = true;     // key events of modifiers: left or right key
    int width = 0, height = 0; // configure
    bool moved = false, resized = false;
    int32_t item = 0; // menu, tab, scroll bar request
    // Gesture: the distance between the touches in device pixels (zoom, pan,
    // two-tap), the rotation (rotate) or the packed offset of the tap from
    // the held touch (press-tap); x and y are then on the screen.
    int64_t amount = 0;
    double track = 0;      // scroll bar: the position the request aims at
    bool vertical = false; // scroll bar: which one
};

// The handler answers 1 to let the input through, 0 to stop it.
using InputHandler = int (*)(const Input& input);
void set_input_handler(InputHandler handler);

// Base faces paint through this handler: the widget, its cairo context and
// size. It must not throw.
using PaintHandler = void (*)(WidgetId id, cairo_t* cr, int width, int height);
void set_paint_handler(PaintHandler handler);

// The name of a key symbol for the keys that have no character (page-up,
// F1 ...), or nullptr; modifiers are named by side.
const char* key_name(uint32_t keyval, bool left_side);

// The key symbol that types a character.
uint32_t keyval_for(uint32_t unicode);

// Input made by the program goes the way real input goes: queued, or handed
// to GTK's dispatch at once.
void synthesize(const Input& input, bool queued);

// Runs one iteration of GTK's loop; block waits for an event. True when an
// event was handled.
bool loop_iteration(bool block);
bool events_pending();
void wake_loop();

struct Screen {
    int x, y, width, height; // device pixels
    double scale;
    uint32_t id;
};
std::vector<Screen> screens();
uint32_t screen_at_pointer();
bool prefers_dark();
int scrollbar_width();

// Clipboard (display connected): text, file paths, PNG bytes.
enum class ClipKind : uint8_t { kNone, kText, kFiles, kPng };
struct ClipData {
    ClipKind kind = ClipKind::kNone;
    std::string text;
    std::vector<std::string> files;
    std::vector<uint8_t> png;
};
ClipData clipboard_read();
bool clipboard_write(const ClipData& data);

} // namespace xel::gtk
