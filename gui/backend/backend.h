// The GUI backend: what the platform routines call. Faces become GTK
// widgets (make-view), their changed facets reach the widgets (update-view),
// input becomes event! values handed to system/view/awake.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel::gui {

// Starts the backend when a display is there; false without one.
bool init();
bool has_display();
// Raises the script error of a missing display when there is none.
void require_display();

// make-view: the new widget as a handle! value into out.
void make_view(const Cell* face, const Cell* parent, Cell* out);
void update_view(const Cell* face);
void destroy_view(const Cell* face, bool empty);
void show_window(uint32_t handle);
void redraw(const Cell* face);
// Draws commands into a base face while it paints (its drawing event).
void draw_face(const Cell* face, const Cell* commands);
void update_text(const Cell* face);

// The loop: true when an event was handled.
bool do_events(bool no_wait);
void exit_event_loop();
// A language-made event as native input; 1 when input was made.
int send_event(const Cell* event, bool queued);

// The loop counters (read by tests of the loop).
int loop_depth();
int pending_exits();

// Screens: a block of [offset size scale handle] blocks pushed on the stack.
void push_screens();
uint32_t current_screen();
// The first screen's size in logical pixels (0x0 without a display).
void screen_size(int* width, int* height);
bool dark_mode();

} // namespace xel::gui
