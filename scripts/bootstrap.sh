#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking need.
# Idempotent; run as root on Debian 12.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config ccache
  # tests, fuzzing, sanitizers
  googletest libgtest-dev libgmock-dev clang-14 libclang-rt-14-dev
  # peers the benchmarks and interoperability tests compare against
  lua5.4 python3 lhasa jlha-utils
  # GNU time: the peak memory the benchmarks report
  time
  # the peer of the dialog benchmark
  zenity
  # locale sources, so tests can build locales the machine lacks
  locales
  # Unicode case mapping for the text functions
  libicu-dev
  # desktop backend: windows, key and mouse injection, toggle keys (Xlib, XTest, XKB)
  libx11-dev libxtst-dev
  # media playback and the login manager on the system bus
  libgstreamer1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good libsystemd-dev
  # X11 test bed: virtual server, window manager and the real programs the tests drive
  xvfb xfonts-base xauth openbox xterm tmux x11-utils xdotool xclip
  # GTK 3 for the typing test program (xmodmap, which the typing tests compare the mapping with, is below)
  libgtk-3-dev
  # keyboard layouts switched by the typing tests
  x11-xkb-utils
  # hotkey tests: xmodmap makes Scroll Lock a modifier, xbindkeys holds a combination of its own and is the
  # peer of the hotkey benchmark
  x11-xserver-utils xbindkeys
  # the input recorder: modifier state, layouts and dead keys of recorded key events (xkbcommon), the screen
  # saver's state (XScreenSaver extension); cnee is the peer of the recorder benchmark, xinput its witness
  libxkbcommon-x11-dev libx11-xcb-dev libxss-dev cnee xinput
  # Qt 6 windows of brindle (prompt, console, message boxes, pickers, tray icon); libgl-dev for Qt6Gui's CMake files
  qt6-base-dev libgl-dev fonts-dejavu-core
  # the script editor's text component (highlighting, markers, bookmarks, search)
  libqscintilla2-qt6-dev
  # script dialogs: fonts metric-compatible with the ones dialog definitions name (Arial, Courier New)
  fonts-liberation2
  # GUI tests: screenshots under Xvfb and a small system tray for the tray icon to dock into
  imagemagick wmdocker
  # registering brindle as the opener of scripts: the MIME database, xdg-mime (which needs File::MimeInfo's
  # mimetype outside a desktop environment), and desktop-file-validate and gio as the peers that check it
  shared-mime-info xdg-utils desktop-file-utils libfile-mimeinfo-perl libglib2.0-bin
  # FTP, HTTP, SMTP and POP3 clients (libcurl) and mail messages (GMime)
  libcurl4-openssl-dev libgmime-3.0-dev
  # network tests and benchmarks: real servers on 127.0.0.1, curl as the peer, msmtp as sendmail, ip for a tun device
  python3-pyftpdlib python3-openssl python3-aiosmtpd dovecot-pop3d tinyproxy msmtp curl openssl iproute2
  # the settings store (SQLite) and databases over ODBC with the SQLite and PostgreSQL drivers
  libsqlite3-dev unixodbc-dev libsqliteodbc odbc-postgresql
  # database peers: command-line clients and a real server the database tests start
  sqlite3 postgresql
  # conversation tests: a private session bus per test, and peers that talk to scripts over it (gdbus is in
  # libglib2.0-bin above); dbus-send, the plain client the test bed's bus test uses
  dbus-daemon python3-dbus python3-gi dbus-bin
  # RTF documents: writers of test documents and the peers the text of rtftotext is compared against
  libreoffice-writer-nogui abiword pandoc unrtf
  # packaging: dpkg-shlibdeps for the package's dependencies, lintian to check the package, file for CPack
  dpkg-dev lintian file
  # the language reference and the editors' syntax files: python3 generates them (above); checked with
  # xmllint against GtkSourceView's schema, with Vim and with KSyntaxHighlighting's own highlighter, and a
  # reference page is looked at in a real browser
  libxml2-utils libgtksourceview-4-common vim libkf5syntaxhighlighting-tools chromium
  # static checks of changed files in CI
  clang-format-14 clang-tidy-14
)

if [ "$(id -u)" -ne 0 ]; then
  echo "bootstrap: run as root (sudo bash scripts/bootstrap.sh)" >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: all packages present"
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
