// The display's CLIPBOARD: text, file lists (text/uri-list) and images
// (image/png, with image/bmp offered too when given).
#include <cstring>

#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

// What this process offers while it owns the clipboard.
ClipData g_offered;

void provide(GtkClipboard*, GtkSelectionData* sel, guint info, gpointer) {
    if (info == 1) {
        std::string list;
        for (const std::string& f : g_offered.files) {
            gchar* uri = g_filename_to_uri(f.c_str(), nullptr, nullptr);
            if (!uri) continue;
            list += uri;
            list += "\r\n";
            g_free(uri);
        }
        gtk_selection_data_set(sel, gtk_selection_data_get_target(sel), 8,
                               reinterpret_cast<const guchar*>(list.data()),
                               static_cast<gint>(list.size()));
    } else if (info == 2) {
        gtk_selection_data_set(sel, gtk_selection_data_get_target(sel), 8, g_offered.png.data(),
                               static_cast<gint>(g_offered.png.size()));
    }
}

void forget(GtkClipboard*, gpointer) {}

} // namespace

ClipData clipboard_read() {
    ClipData out;
    if (!display_open()) return out;
    GtkClipboard* cb = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    if (gtk_clipboard_wait_is_text_available(cb)) {
        gchar* text = gtk_clipboard_wait_for_text(cb);
        if (text) {
            out.kind = ClipKind::kText;
            out.text = text;
            g_free(text);
            return out;
        }
    }
    if (gtk_clipboard_wait_is_uris_available(cb)) {
        gchar** uris = gtk_clipboard_wait_for_uris(cb);
        if (uris) {
            out.kind = ClipKind::kFiles;
            for (gchar** u = uris; *u; u++) {
                gchar* path = g_filename_from_uri(*u, nullptr, nullptr);
                if (path) out.files.push_back(path);
                g_free(path);
            }
            g_strfreev(uris);
            return out;
        }
    }
    GtkSelectionData* png =
        gtk_clipboard_wait_for_contents(cb, gdk_atom_intern_static_string("image/png"));
    if (png) {
        gint n = 0;
        const guchar* bytes = gtk_selection_data_get_data_with_length(png, &n);
        if (bytes && n > 0) {
            out.kind = ClipKind::kPng;
            out.png.assign(bytes, bytes + n);
        }
        gtk_selection_data_free(png);
    }
    return out;
}

bool clipboard_write(const ClipData& data) {
    if (!display_open()) return false;
    GtkClipboard* cb = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    switch (data.kind) {
    case ClipKind::kText:
        gtk_clipboard_set_text(cb, data.text.c_str(), static_cast<gint>(data.text.size()));
        return true;
    case ClipKind::kFiles:
    case ClipKind::kPng: {
        g_offered = data;
        GtkTargetEntry target{};
        target.target =
            const_cast<gchar*>(data.kind == ClipKind::kFiles ? "text/uri-list" : "image/png");
        target.info = data.kind == ClipKind::kFiles ? 1 : 2;
        return gtk_clipboard_set_with_data(cb, &target, 1, provide, forget, nullptr);
    }
    case ClipKind::kNone:
        gtk_clipboard_set_text(cb, "", 0);
        gtk_clipboard_clear(cb);
        return true;
    }
    return false;
}

} // namespace xel::gtk
