// update-view: the facets whose change bits are set (the second value of the
// face's state block) are brought to the widget, in the designed order.
#include "gui/backend/backend.h"
#include "gui/backend/camera.h"
#include "gui/backend/density.h"
#include "gui/backend/dispatch.h"
#include "gui/backend/face-access.h"
#include "gui/backend/options.h"
#include "gui/backend/widgets.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/scalar/logic.h"

namespace xel::gui {

namespace {

constexpr uint32_t bit(uint32_t facet) {
    return 1u << facet;
}

Cell* changes_cell(const Cell* face) {
    Cell state = facet(face, kFacetState);
    if (type_of(&state) != T_BLOCK || block_length_at(&state) < 2) return nullptr;
    return block_cell_at(&state, static_cast<uint32_t>(block_index(&state) + 1));
}

bool truthy(const Cell* face, uint32_t index) {
    Cell v = facet(face, index);
    return !(type_of(&v) == T_LOGIC && !logic_get(&v)) && type_of(&v) != T_NONE;
}

} // namespace

void update_view(const Cell* face_in) {
    Cell face = *face_in;
    gtk::WidgetId id = face_widget(&face);
    if (!id || !gtk::widget_alive(id)) return;
    Cell* changes = changes_cell(&face);
    if (!changes || type_of(changes) != T_INTEGER) return;
    uint32_t bits = static_cast<uint32_t>(integer_get(changes));
    DpiScope dpi(id);
    if (gtk::widget_kind(id) == gtk::Kind::kWindow &&
        (bits & (bit(kFacetOffset) | bit(kFacetSize)))) {
        // A window takes the DPI of the monitor its new place lies on.
        double x, y, w, h;
        offset_of(&face, &x, &y);
        size_of(&face, &w, &h);
        dpi_for_rect(x, y, w, h);
    }
    if (bits & bit(kFacetOffset)) {
        double x, y;
        offset_of(&face, &x, &y);
        gtk::widget_move(id, to_device_px(x), to_device_px(y));
    }
    if (bits & bit(kFacetSize)) {
        double w, h;
        size_of(&face, &w, &h);
        gtk::widget_resize(id, to_device_px(w), to_device_px(h));
    }
    if (bits & bit(kFacetText)) gtk::widget_set_text(id, text_facet(&face));
    if (bits & bit(kFacetData)) apply_data(id, &face);
    if (bits & bit(kFacetEnabled)) gtk::widget_enable(id, truthy(&face, kFacetEnabled));
    if (bits & bit(kFacetVisible)) {
        bool visible = truthy(&face, kFacetVisible);
        if (gtk::widget_kind(id) == gtk::Kind::kWindow && visible)
            gtk::window_present(id);
        else
            gtk::widget_show(id, visible);
    }
    if (bits & bit(kFacetSelected)) apply_selected(id, &face);
    if (bits &
        (bit(kFacetDraw) | bit(kFacetColor) | bit(kFacetFont) | bit(kFacetPara) | bit(kFacetImage)))
        gtk::widget_redraw(id);
    if (bits & bit(kFacetRate)) apply_rate(id, &face);
    if (facet_is(&face, kFacetType, "camera")) camera_update(id, &face, bits);
    gtk::Kind kind = gtk::widget_kind(id);
    if ((bits & bit(kFacetColor)) && kind == gtk::Kind::kCalendar) calendar_set_color(id, &face);
    if ((bits & bit(kFacetMenu)) && kind == gtk::Kind::kWindow) menu_apply_bar(id, &face);
    if ((bits & bit(kFacetImage)) && (kind == gtk::Kind::kButton || kind == gtk::Kind::kToggle))
        button_set_image(id, &face);
    if ((bits & (bit(kFacetOffset) | bit(kFacetSize) | bit(kFacetVisible))) &&
        kind == gtk::Kind::kTabPanel)
        tab_update_pages(id);
    if (bits & bit(kFacetOptions)) apply_cursor(id, &face);
    changes = changes_cell(&face);
    if (changes) set_integer(changes, 0);
}

} // namespace xel::gui
