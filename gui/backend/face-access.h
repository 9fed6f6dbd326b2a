// Faces as the backend reads them: facets by position, the native widget of
// a face (the first value of its state block), the face of a widget (kept in
// the slot table), and the flag bits of the flags facet.
#pragma once
#include <cstdint>

#include "platform/gui/gtk-gui.h"
#include "runtime/cell.h"

namespace xel::gui {

enum Facet : uint32_t {
    kFacetType = 0,
    kFacetOffset = 1,
    kFacetSize = 2,
    kFacetText = 3,
    kFacetImage = 4,
    kFacetColor = 5,
    kFacetMenu = 6,
    kFacetData = 7,
    kFacetEnabled = 8,
    kFacetVisible = 9,
    kFacetSelected = 10,
    kFacetFlags = 11,
    kFacetOptions = 12,
    kFacetParent = 13,
    kFacetPane = 14,
    kFacetState = 15,
    kFacetRate = 16,
    kFacetEdge = 17,
    kFacetPara = 18,
    kFacetFont = 19,
    kFacetActors = 20,
    kFacetExtra = 21,
    kFacetDraw = 22,
};

// Face flag bits of the flags facet.
enum FaceFlag : uint32_t {
    kFaceAllOver = 0x1,
    kFaceFocusable = 0x2,
    kFaceTriState = 0x20000,
    kFaceScrollable = 0x40000,
    kFacePassword = 0x80000,
    kFaceNoSync = 0x100000,
    kFaceFullscreen = 0x200000,
    kFacePopup = 0x1000000,
    kFaceModal = 0x2000000,
    kFaceResize = 0x4000000,
    kFaceNoButtons = 0x8000000,
    kFaceNoMax = 0x10000000,
    kFaceNoMin = 0x20000000,
    kFaceNoTitle = 0x40000000,
    kFaceNoBorder = 0x80000000,
};

// A copy of the facet (none when the object is shorter).
Cell facet(const Cell* face, uint32_t index);
// Stores a facet without calling the face's change handler.
void set_facet(const Cell* face, uint32_t index, const Cell* value);
bool facet_is(const Cell* face, uint32_t index, const char* word);
// The face's type word's name, or "" when it has none.
const char* face_type_name(const Cell* face);
// The widget of a face whose state block starts with a handle!, else 0.
gtk::WidgetId face_widget(const Cell* face);
// The face kept for a widget, or none.
Cell widget_face(gtk::WidgetId id);
// The flags facet as bits; a word outside the table raises script invalid-arg.
uint32_t face_flags(const Cell* face);
// The handle class of native windows.
uint32_t window_handle_class();

// Logical pixels to the widget's pixels and back (the scale of the screen).
int to_device_px(double logical);
double to_logical_px(double device);
void set_dpi(int dpi);
int current_dpi();

} // namespace xel::gui
