#include "platform/gui/gtk-desktop.h"

#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

void screens_changed(GdkScreen*, gpointer data) {
    reinterpret_cast<void (*)()>(data)();
}

} // namespace

void watch_screens(void (*changed)()) {
    GdkScreen* screen = display_open() ? gdk_screen_get_default() : nullptr;
    if (!screen) return;
    auto data = reinterpret_cast<gpointer>(changed);
    g_signal_connect(screen, "monitors-changed", G_CALLBACK(screens_changed), data);
    g_signal_connect(screen, "size-changed", G_CALLBACK(screens_changed), data);
}

void set_prefer_dark(bool dark) {
    if (!display_open()) return;
    g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", dark, nullptr);
}

} // namespace xel::gtk
