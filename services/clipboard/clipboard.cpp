#include "services/clipboard/clipboard.h"

#include <vector>

#include "gui/backend/backend.h"
#include "platform/gui/gtk-gui.h"
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/image/image.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

// Without a display the content stays here, as plain bytes (no cells, so
// nothing for the collector to keep).
gtk::ClipData g_local;

Cell* push_text(const std::string& text, uint8_t type) {
    Cell* c = string_load(reinterpret_cast<const uint8_t*>(text.data()),
                          static_cast<uint32_t>(text.size()), 0);
    cell_set_type(c, type);
    return c;
}

Cell* push_content(const gtk::ClipData& d) {
    switch (d.kind) {
    case gtk::ClipKind::kText:
        return push_text(d.text, T_STRING);
    case gtk::ClipKind::kFiles: {
        Cell* block = block_push_new(static_cast<int>(d.files.size()));
        for (const std::string& f : d.files) {
            Cell file = *push_text(f, T_FILE);
            block_append_copy(block, &file);
            stack_pop(1);
        }
        return block;
    }
    case gtk::ClipKind::kPng: {
        Cell bin;
        uint8_t* bytes = binary_make_sized(&bin, static_cast<uint32_t>(d.png.size()));
        std::copy(d.png.begin(), d.png.end(), bytes);
        Cell* out = stack_push(&bin);
        Cell image = *image_load_binary(out);
        stack_pop(2);
        return stack_push(&image);
    }
    case gtk::ClipKind::kNone:
        break;
    }
    return stack_push(&g_none_cell);
}

gtk::ClipData content_of(const Cell* value) {
    gtk::ClipData d;
    Cell v = *value;
    switch (type_of(&v)) {
    case T_STRING:
        d.kind = gtk::ClipKind::kText;
        d.text = string_utf8_text(&v);
        break;
    case T_BLOCK:
        d.kind = gtk::ClipKind::kFiles;
        for (Cell* p = block_rs_head(&v) + 0; p < block_rs_tail(&v); p++) {
            if (type_of(p) != T_FILE) {
                Cell bad = *p;
                error_fire(kCatScript, err::script::kInvalidArg, &bad);
            }
            d.files.push_back(string_utf8_text(p));
        }
        break;
    case T_IMAGE: {
        if (image_record(&v) && bitmap_encode(image_record(&v), kFormatPng, d.png))
            d.kind = gtk::ClipKind::kPng;
        break;
    }
    default:
        break;
    }
    return d;
}

} // namespace

Cell* clipboard_read() {
    return push_content(gui::has_display() ? gtk::clipboard_read() : g_local);
}

bool clipboard_write(const Cell* value) {
    gtk::ClipData d = content_of(value);
    if (gui::has_display()) return gtk::clipboard_write(d);
    g_local = d;
    return true;
}

} // namespace xel
