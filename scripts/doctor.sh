#!/usr/bin/env bash
# Checks what the player opens at run time on a Debian machine and names the package that
# provides whatever is missing. Exit 0 when everything is there, 1 otherwise.
set -uo pipefail
missing=()
need() {  # need WHAT PACKAGE TEST...
  local what=$1 package=$2
  shift 2
  if ! "$@" >/dev/null 2>&1; then
    echo "missing: $what (Debian package $package)"
    missing+=("$package")
  fi
}
gst_plugin() { compgen -G "/usr/lib/*/gstreamer-1.0/libgst$1.so" >/dev/null; }
qt_plugin() { compgen -G "/usr/lib/*/qt6/plugins/$1" >/dev/null; }
font() { fc-list : family | tr ',' '\n' | grep -qx "$1"; }

# Windows and pictures.
need "the Qt desktop window system plug-in" libqt6gui6 qt_plugin "platforms/libqxcb.so"
need "the Qt headless window system plug-in" libqt6gui6 qt_plugin "platforms/libqoffscreen.so"
need "Qt's JPEG reader" libqt6gui6 qt_plugin "imageformats/libqjpeg.so"
need "Qt's GIF reader" libqt6gui6 qt_plugin "imageformats/libqgif.so"
need "the font configuration tool" fontconfig command -v fc-list
# Fonts: the games' Windows faces go to these (see data/fonts), and metafile text to URW.
need "the font Liberation Sans" fonts-liberation font "Liberation Sans"
need "the font DejaVu Sans" fonts-dejavu-core font "DejaVu Sans"
need "the font DejaVu Sans Condensed" fonts-dejavu-extra font "DejaVu Sans Condensed"
need "the font Comic Neue" fonts-comic-neue font "Comic Neue"
need "the metafile fonts (Nimbus Sans)" fonts-urw-base35 font "Nimbus Sans"
need "the font aliases for Windows names" "(scripts/install-deps.sh copies it)" \
  test -f /etc/fonts/conf.d/60-storyloom-aliases.conf
# Sound and video.
need "GStreamer's playbin" gstreamer1.0-plugins-base gst_plugin playback
need "GStreamer's Ogg and Vorbis" gstreamer1.0-plugins-base gst_plugin vorbis
need "GStreamer's WAV reader" gstreamer1.0-plugins-good gst_plugin wavparse
need "GStreamer's AVI reader" gstreamer1.0-plugins-good gst_plugin avi
need "GStreamer's MP3 decoder" gstreamer1.0-plugins-good gst_plugin mpg123
need "GStreamer's MIDI parser" gstreamer1.0-plugins-bad gst_plugin midi
need "GStreamer's MIDI synthesizer" gstreamer1.0-plugins-bad gst_plugin fluidsynthmidi
need "GStreamer's MPEG program stream reader" gstreamer1.0-plugins-bad gst_plugin mpegpsdemux
need "GStreamer's ASF reader (WMA, WMV)" gstreamer1.0-plugins-ugly gst_plugin asf
need "the libav decoders (WMA, WMV, Cinepak, Indeo, ADPCM)" gstreamer1.0-libav gst_plugin libav
need "the ALSA sound output" gstreamer1.0-alsa gst_plugin alsa
need "a General MIDI soundfont" timgm6mb-soundfont \
  compgen -G "/usr/share/sounds/sf2/*.sf2"

if [ ${#missing[@]} -gt 0 ]; then
  echo "Install them with: apt-get install $(printf '%s\n' "${missing[@]}" | grep -v '^(' | sort -u | tr '\n' ' ')"
  exit 1
fi
echo "Everything the player needs at run time is installed."
