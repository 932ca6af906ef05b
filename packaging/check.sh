#!/usr/bin/env bash
# Builds the Debian package and checks it as the archive's tools would: lintian reports no
# error, the desktop entry and the AppStream metadata validate (offline), and the package
# holds exactly the product under /usr/lib/taalkist, the three programs on the PATH and
# the desktop's files. The package is built from its own release tree without tests
# (build/package): the test tree's programs carry sanitizers, which a package must not.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset package >/dev/null
cmake --build --preset package
rm -f build/package/taalkist_*.deb
(cd build/package && cpack -G DEB >/dev/null)
deb=$(ls build/package/taalkist_*_amd64.deb)
echo "package: $deb"

status=0
fail() { echo "package check FAILED: $*"; status=1; }

# lintian: warnings are shown, errors fail.
if ! lintian --fail-on error "$deb"; then
  fail "lintian reports errors"
fi

# What only some users need is recommended, not required.
for wanted in python3-pyglossary hunspell-pl; do
  dpkg-deb -f "$deb" Recommends | grep -qw "$wanted" || fail "Recommends lacks $wanted"
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root"/usr/share/applications/nl.taalkist.Taalkist.desktop ||
  fail "desktop-file-validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/nl.taalkist.Taalkist.metainfo.xml ||
  fail "appstreamcli validate"

# Every file and link the package holds must be one of these.
allowed='^/usr/lib/taalkist/.+$
^/usr/bin/(tkviewer|lexq|lexqc)$
^/usr/share/applications/nl\.taalkist\.Taalkist\.desktop$
^/usr/share/metainfo/nl\.taalkist\.Taalkist\.metainfo\.xml$
^/usr/share/icons/hicolor/[0-9]+x[0-9]+/apps/taalkist\.png$
^/usr/share/man/man1/(tkviewer|lexq|lexqc)\.1\.gz$
^/usr/share/doc/taalkist/(copyright|changelog\.gz)$'
files=$(cd "$root" && find . ! -type d | sed 's/^\.//' | sort)
unexpected=$(grep -v -E -f <(echo "$allowed") <<<"$files" || true)
[ -z "$unexpected" ] || fail "files outside the layout: $unexpected"
for required in /usr/bin/tkviewer /usr/bin/lexq /usr/bin/lexqc /usr/lib/taalkist/tkviewer \
    /usr/lib/taalkist/lexq /usr/lib/taalkist/lexqc /usr/lib/taalkist/lexqapi.so \
    /usr/lib/taalkist/crypt.so /usr/lib/taalkist/fldtts.so /usr/lib/taalkist/tkviewer_gui.so \
    /usr/lib/taalkist/data/dict.cfg \
    /usr/lib/taalkist/data/nl-en.idx /usr/lib/taalkist/data/en-nl.idx \
    /usr/share/applications/nl.taalkist.Taalkist.desktop \
    /usr/share/metainfo/nl.taalkist.Taalkist.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/taalkist.png /usr/share/man/man1/tkviewer.1.gz \
    /usr/share/man/man1/lexq.1.gz /usr/share/man/man1/lexqc.1.gz \
    /usr/share/doc/taalkist/copyright; do
  grep -qx "$required" <<<"$files" || fail "missing $required"
done
for program in tkviewer lexq lexqc; do
  [ "$(readlink "$root/usr/bin/$program")" = "../lib/taalkist/$program" ] ||
    fail "/usr/bin/$program is not a link to /usr/lib/taalkist/$program"
done
# A lookup handed to the running viewer must not wait for Qt's libraries to load.
needed=$(readelf -d "$root/usr/lib/taalkist/tkviewer")
grep -q 'NEEDED.*libQt' <<<"$needed" &&
  fail "/usr/lib/taalkist/tkviewer links Qt; its windows belong in tkviewer_gui.so"
grep -E -q '^/usr/lib/taalkist/(tkinstall|setup\.so|uninst\.so)$' <<<"$files" &&
  fail "the per-user installer is in the package"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libespeak-ng1 zlib1g libsodium23 qt6-qpa-plugins; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

[ $status -eq 0 ] && echo "package checks: $(wc -l <<<"$files") files, lintian, desktop entry and AppStream metadata pass"
exit $status
