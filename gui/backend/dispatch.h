// Between the input translation and the event dispatch (backend only).
#pragma once
#include <cstdint>
#include <string>

#include "platform/gui/gtk-gui.h"
#include "runtime/cell.h"

namespace xel::gui {

int make_event(gtk::WidgetId widget, uint32_t type, uint32_t flags_key, const Cell& offset,
               const Cell& key, const Cell& picked, const Cell& orientation);
void post_quit();
// destroy-view with empty?: one more pending exit, one loop level less.
void note_destroyed_view(bool empty);
// Handles one input record from GTK; 1 lets it through.
int handle_input(const gtk::Input& input);
// A touch gesture's step: the event it raises, if any.
int gesture_input(const gtk::Input& input);
// Facet set-up shared by make-view and update-view.
void apply_data(gtk::WidgetId id, const Cell* face);
void apply_selected(gtk::WidgetId id, const Cell* face);
void apply_rate(gtk::WidgetId id, const Cell* face);
void offset_of(const Cell* face, double* x, double* y);
void size_of(const Cell* face, double* w, double* h);
std::string text_facet(const Cell* face);
// Brings a widget's state back into its face's facets.
void read_back(gtk::WidgetId id, const Cell* face);

} // namespace xel::gui
