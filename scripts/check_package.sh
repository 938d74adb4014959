#!/usr/bin/env bash
# Checks a Debian package of tarnwick as a distribution would: its contents, lintian (no errors; warnings are
# listed), and that it installs with its dependencies, runs the bundled example and removes cleanly.
#   check_package.sh PACKAGE.deb        (run as root: it installs the package)
set -euo pipefail
package=$(realpath "$1")
echo "-- contents"
dpkg-deb --info "$package" | sed -n '/Package:/,$p'
contents=$(dpkg-deb --contents "$package")
for file in ./usr/bin/brindle ./usr/bin/tarnwick ./usr/share/man/man1/brindle.1.gz ./usr/share/man/man7/tarnwick-language.7.gz \
            ./usr/share/doc/tarnwick/reference/index.html ./usr/share/doc/tarnwick/copyright \
            ./usr/share/vim/vimfiles/syntax/tarnwick.vim ./usr/share/gtksourceview-4/language-specs/tarnwick.lang \
            ./usr/share/org.kde.syntax-highlighting/syntax/tarnwick.xml \
            ./usr/lib/tarnwick/modules/libtarnwick-net.so; do
  grep -q " $file\$" <<<"$contents" || { echo "the package lacks $file"; exit 1; }
done
echo "-- lintian"
# --tag-display-limit 0: every warning is listed; errors fail the check.
lintian --tag-display-limit 0 --fail-on error "$package"
echo "-- install, run, remove"
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends -o DPkg::Lock::Timeout=600 "$package" >/dev/null
trap 'DEBIAN_FRONTEND=noninteractive apt-get remove -y -o DPkg::Lock::Timeout=600 tarnwick >/dev/null' EXIT
brindle --version
work=$(mktemp -d)
(cd "$work" && env -u DISPLAY HOME="$work" DBUS_SESSION_BUS_ADDRESS=disabled: \
  brindle --console /usr/share/doc/tarnwick/examples/showcase.tws </dev/null)
# The network module opens: the call fails on the closed port, not for want of the module.
printf 'page = httpexec("get", "http://127.0.0.1:9/")\n' >"$work/net.tws"
out=$(env -u TW_MODULE_DIR -u DISPLAY brindle --console "$work/net.tws" </dev/null 2>&1) || true
case "$out" in
  *"need their module"*|"") echo "brindle does not open its network module: $out"; exit 1 ;;
esac
rm -rf "$work"
man -w brindle >/dev/null 2>&1 || [ ! -x /usr/bin/man ] || { echo "man does not find brindle(1)"; exit 1; }
echo "package check: 1 passed, 0 failed"
