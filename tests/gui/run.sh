#!/bin/sh
# Runs a test program under an X server of its own, with the theme, fonts and
# GTK settings pinned so that what is shown does not depend on the machine.
here=$(cd "$(dirname "$0")" && pwd)
export GTK_THEME=Adwaita
export XDG_CONFIG_HOME="$here/config"
export FONTCONFIG_FILE="$here/fonts.conf"
export GDK_BACKEND=x11
export GSETTINGS_BACKEND=memory
export NO_AT_BRIDGE=1
unset WAYLAND_DISPLAY
exec xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" "$@"
