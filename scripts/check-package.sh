#!/usr/bin/env bash
# Checks the Debian package as an office would meet it: unpacked into a temporary root (dpkg-deb -x), its
# file list is the expected one, its manual pages render without warnings, lintian finds no error, its desktop
# entries validate, and the unpacked qzconvert-cli runs from there with a clean environment: --version,
# target-init and the conversion of a sample extract copied into the temporary folder, so nothing of the
# checkout or the build tree is on its paths.
#
#   scripts/check-package.sh FILE.deb      checks that package
#   scripts/check-package.sh --build DIR   makes the package of the build folder DIR first (cpack), then checks it
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case "${1:-}" in
  --build)
    [ $# -eq 2 ] || { echo "usage: scripts/check-package.sh FILE.deb | --build DIR" >&2; exit 2; }
    (cd "$2" && cpack -G DEB -B "$work/package" >"$work/cpack.log") || { cat "$work/cpack.log" >&2; exit 1; }
    deb=$(ls "$work"/package/*.deb)
    ;;
  *.deb) deb=$1 ;;
  *) echo "usage: scripts/check-package.sh FILE.deb | --build DIR" >&2; exit 2 ;;
esac

failures=0
fail() {
  echo "check-package: $*" >&2
  failures=$((failures + 1))
}

root="$work/root"
dpkg-deb -x "$deb" "$root"
version=$(dpkg-deb -f "$deb" Version)
[ "$(dpkg-deb -f "$deb" Package)" = qzconvert ] || fail "the package is not named qzconvert"

# The file list: the programs, the templates, the UDR module where Firebird loads it, the desktop entries,
# the icon and the manual pages, and nothing else.
udr="$(fb_config --pluginsdir)/udr"
expected=$(
  for program in qzconvert qzconvert2 qzconvert-cli qzconvert2-cli; do echo "/usr/bin/$program"; done
  for version_dir in 600 610; do for kind in 11 21 22; do echo "/usr/share/qzconvert/INIT/QrvAcc$kind.$version_dir"; done; done
  echo "$udr/libqzfileops.so"
  echo /usr/share/applications/qzconvert.desktop
  echo /usr/share/applications/qzconvert2.desktop
  echo /usr/share/icons/hicolor/scalable/apps/qzconvert.svg
  for page in qzconvert qzconvert2 qzconvert-cli qzconvert2-cli; do echo "/usr/share/man/man1/$page.1.gz"; done
  echo /usr/share/doc/qzconvert/copyright
  echo /usr/share/doc/qzconvert/changelog.Debian.gz
)
actual=$(cd "$root" && find . ! -type d | sed 's|^\.||')
if [ "$(sort <<<"$expected")" != "$(sort <<<"$actual")" ]; then
  fail "the file list differs (- expected, + in the package):"
  diff <(sort <<<"$expected") <(sort <<<"$actual") >&2 || true
fi

for page in "$root"/usr/share/man/man1/*.1.gz; do
  # Links resolve inside the unpacked tree; man reads .so requests relative to the man folder.
  warnings=$(cd "$root/usr/share/man" && MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page") renders with warnings: $warnings"
done

# Debian's own checks: no lintian error (its warnings are printed), desktop entries that validate.
lintian --fail-on error "$deb" >&2 || fail "lintian reports errors (above)"
for entry in "$root"/usr/share/applications/*.desktop; do
  desktop-file-validate "$entry" >&2 || fail "$(basename "$entry") does not validate"
done

# The unpacked programs with a clean environment in the temporary folder.
mkdir -p "$work/home" "$work/documents" "$work/tmp" "$work/runtime" "$work/extracts"
cp -r "$repo/samples/corporation" "$work/extracts/"
run() {
  (cd "$work" && env -i PATH=/usr/bin:/bin HOME="$work/home" LANG=C.UTF-8 \
    QZ_COMMON_APPDATA="$work/common" QZ_DOCUMENTS="$work/documents" TMPDIR="$work/tmp" \
    XDG_RUNTIME_DIR="$work/runtime" "$@")
}
cli="$root/usr/bin/qzconvert-cli"

[ "$(run "$cli" --version)" = "qzconvert-cli ${version%-*}" ] || fail "qzconvert-cli --version: $(run "$cli" --version 2>&1)"
[ "$(run "$root/usr/bin/qzconvert2-cli" --version)" = "qzconvert2-cli 2.0.1" ] || fail "qzconvert2-cli --version"
run "$cli" target-init --rows 2 >"$work/target-init.log" 2>&1 || { cat "$work/target-init.log" >&2; fail "target-init failed"; }
if run "$cli" convert "$work/extracts/corporation" >"$work/convert.log" 2>&1; then
  grep -q "突合結果: 差異なし" "$work/convert.log" || fail "the conversion was not reconciled without differences"
  [ -f "$work/common/QuorvelZAI/ZAIMU/DATA/0001/qrvacc.fdb" ] || fail "no data set in the first data folder"
else
  cat "$work/convert.log" >&2
  fail "the conversion failed"
fi

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "check-package: $(basename "$deb") is sound"
