#!/usr/bin/env bash
# `cmake --install` into a temporary DESTDIR gives a working tree: the installed brindle tells the project's
# version and runs the bundled examples, the manual pages and the reference are where man and a browser look.
#   install_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >"$root.log" 2>&1 || { cat "$root.log"; exit 1; }
rm -f "$root.log"

fail() { echo "install test: $*" >&2; exit 1; }
[ -x "$root/usr/bin/brindle" ] || fail "no brindle in /usr/bin"
[ -x "$root/usr/bin/tarnwick" ] || fail "no tarnwick in /usr/bin"
[ "$("$root/usr/bin/brindle" --version)" = "brindle $version" ] || fail "brindle --version: $("$root/usr/bin/brindle" --version)"

docs=$root/usr/share/doc/tarnwick
for example in "$docs"/examples/*.tws; do
  out=$(cd "$root" && env -u DISPLAY HOME="$root" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data" \
        DBUS_SESSION_BUS_ADDRESS=disabled: "$root/usr/bin/brindle" --console "$example" </dev/null 2>&1) \
    || fail "$(basename "$example") failed: $out"
done

# The network clients are a module the programs open on first use, found from where they are installed.
if readelf -d "$root/usr/bin/brindle" | grep -q libcurl; then fail "brindle loads libcurl at start"; fi
printf 'page = httpexec("get", "http://127.0.0.1:9/")\n' >"$root/net.tws"
out=$(env -u TW_MODULE_DIR -u DISPLAY "$root/usr/bin/brindle" --console "$root/net.tws" </dev/null 2>&1) || true
case "$out" in
  *"need their module"*|"") fail "the installed brindle does not open its network module: $out" ;;
esac

for page in man1/brindle.1.gz man1/tarnwick.1.gz man7/tarnwick-language.7.gz; do
  gzip -t "$root/usr/share/man/$page" || fail "$page is no gzip file"
done
zcat "$root/usr/share/man/man1/brindle.1.gz" | grep -q "^\.TH BRINDLE 1 .*tarnwick $version" || fail "brindle(1) has no title line"
for file in reference/index.html reference/names.html tarnwick.md copyright changelog.gz; do
  [ -s "$docs/$file" ] || fail "no $file in $docs"
done
for file in vim/vimfiles/syntax/tarnwick.vim vim/vimfiles/ftdetect/tarnwick.vim \
            gtksourceview-4/language-specs/tarnwick.lang org.kde.syntax-highlighting/syntax/tarnwick.xml \
            tarnwick/syntax/tarnwick.tmLanguage.json tarnwick/reference.json; do
  [ -s "$root/usr/share/$file" ] || fail "no /usr/share/$file"
done
# tarnwick finds its guide from where it is installed.
[ -f "$root/usr/bin/../share/doc/tarnwick/tarnwick.md" ] || fail "the guide is not where tarnwick looks"
echo "install test: 1 passed, 0 failed"
