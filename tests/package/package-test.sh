#!/usr/bin/env bash
# Builds the Debian package from the build tree, installs it into a scratch
# root, checks what landed where and that it works from there, then removes it
# and checks that nothing is left behind.
# Usage: package-test.sh BUILD_DIR SOURCE_DIR VERSION APP_ID
set -euo pipefail
build=$1 source=$2 version=$3 app_id=$4

scratch=$(mktemp -d "${TMPDIR:-/tmp}/corvale-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# Whatever the tools below keep (caches, settings) stays in the scratch directory.
export HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/run
export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
export XDG_CONFIG_DIRS=$scratch/xdg
export PKGSYSTEM_ENABLE_FSYNC=0 # update-mime-database: no fsync for a throw-away tree
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# Tools whose checks run where they are installed (all of them under the test command).
source "$source/tests/support/require.sh"
have() { available "$@"; }
root=$scratch/root
share=$root/usr/share

echo "== building the package"
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/cpack" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  exit 1
fi
deb=$scratch/cpack/corvale_${version}-1_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$scratch/cpack" >&2; echo "FAIL: no $deb" >&2; exit 1; }

echo "== control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = corvale ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version-1" ] || fail "Version is '$(field Version)'"
[ "$(field Section)" = science ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
# Worked out from the binaries, not written by hand.
for lib in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6printsupport6; do
  field Depends | tr ',' '\n' | awk '{print $1}' | grep -qxF "$lib" || fail "Depends lacks $lib: $(field Depends)"
done
outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -Ev '^\./(usr/.*)?$' || true)
[ -z "$outside" ] || fail "paths outside /usr: $outside"

echo "== installing into a scratch root"
# The state of a desktop system before the package arrives: the MIME, menu and
# icon caches exist and are current.
mkdir -p "$share/mime/packages" "$share/applications" "$share/icons/hicolor"
[ -f /usr/share/mime/packages/freedesktop.org.xml ] && cp /usr/share/mime/packages/freedesktop.org.xml "$share/mime/packages/"
[ -f /usr/share/icons/hicolor/index.theme ] && cp /usr/share/icons/hicolor/index.theme "$share/icons/hicolor/"
if have update-mime-database; then update-mime-database "$share/mime" 2>/dev/null; fi
if have update-desktop-database; then update-desktop-database -q "$share/applications"; fi
if have gtk-update-icon-cache && [ -f "$share/icons/hicolor/index.theme" ]; then
  gtk-update-icon-cache -q -f "$share/icons/hicolor"
fi
snapshot() { (cd "$root" && find . -path ./var/lib/dpkg -prune -o -print | LC_ALL=C sort); }

if [ "$(id -u)" -eq 0 ]; then
  # dpkg with its own database in the root; the maintainer scripts run here
  # and find the root in DPKG_ROOT.
  mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
  touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
  snapshot >"$scratch/before"
  dpkg_root() { dpkg --root="$root" --force-script-chrootless --force-depends "$@" >>"$scratch/dpkg.log" 2>&1; }
  dpkg_root -i "$deb" || { cat "$scratch/dpkg.log" >&2; exit 1; }
  remove_package() { dpkg_root -P corvale; }
else
  # Without root, dpkg cannot own the files: unpack, and run the maintainer
  # scripts the way dpkg would.
  snapshot >"$scratch/before"
  dpkg-deb -x "$deb" "$root"
  dpkg-deb -e "$deb" "$scratch/control"
  DPKG_ROOT=$root "$scratch/control/postinst" configure >>"$scratch/dpkg.log" 2>&1
  remove_package() {
    dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | (cd "$root" && xargs rm -f)
    dpkg-deb -c "$deb" | awk '{print $6}' | grep '/$' | LC_ALL=C sort -r | (cd "$root" && xargs rmdir 2>/dev/null || true)
    DPKG_ROOT=$root "$scratch/control/postrm" remove >>"$scratch/dpkg.log" 2>&1
  }
fi

echo "== installed layout"
expected=(
  usr/bin/corvale usr/bin/corvale-tool
  "usr/share/applications/$app_id.desktop"
  "usr/share/metainfo/$app_id.metainfo.xml"
  "usr/share/mime/packages/$app_id.xml"
  usr/share/icons/hicolor/scalable/apps/corvale.svg
  usr/share/man/man1/corvale.1.gz usr/share/man/man1/corvale-tool.1.gz
  usr/share/corvale/samples/README.md
  usr/share/doc/corvale/copyright
)
for f in "${expected[@]}"; do [ -f "$root/$f" ] || fail "missing /$f"; done
for f in corvale corvale-tool; do [ -x "$root/usr/bin/$f" ] || fail "/usr/bin/$f is not executable"; done
# Every PNG size, each a PNG of exactly that size (width and height from its header).
for size in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/corvale.png
  if [ ! -f "$png" ]; then
    fail "missing PNG icon ${size}x${size}"
    continue
  fi
  read -r -a b < <(od -An -tu1 -j16 -N8 "$png")
  w=$(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3])) h=$(((b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7]))
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "$png is ${w}x${h}"
done
# The sample records, byte for byte.
for f in "$source"/samples/*.nrm "$source"/samples/*.msd "$source"/samples/README.md; do
  cmp -s "$f" "$share/corvale/samples/$(basename "$f")" || fail "sample $(basename "$f") differs or is missing"
done
for page in corvale corvale-tool; do
  gz=$share/man/man1/$page.1.gz
  gzip -t "$gz" || fail "$gz is not gzip"
  if have man; then
    warnings=$(MANWIDTH=80 man --warnings -l "$gz" 2>&1 >/dev/null || true)
    [ -z "$warnings" ] || fail "$page(1): $warnings"
    MANWIDTH=80 man -l "$gz" 2>/dev/null | grep -q "^NAME" || fail "$page(1) does not format"
  fi
done

echo "== running from the installed tree"
out=$("$root/usr/bin/corvale-tool" --version) || fail "corvale-tool --version failed"
[ "$out" = "corvale-tool $version" ] || fail "corvale-tool --version said '$out'"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/corvale" --version) || fail "corvale --version failed"
[ "$out" = "corvale $version" ] || fail "corvale --version said '$out'"
"$root/usr/bin/corvale-tool" info --json "$share/corvale/samples/A0001.nrm" >/dev/null ||
  fail "corvale-tool info on an installed sample failed"

echo "== validators"
if have desktop-file-validate; then
  desktop-file-validate "$share/applications/$app_id.desktop" || fail "desktop-file-validate"
else
  fail "desktop-file-validate missing (Debian desktop-file-utils; scripts/test.sh installs it)"
fi
if have appstreamcli; then
  # --strict: warnings and infos fail too; pedantic hints are printed, and refused below.
  report=$(appstreamcli validate --no-net --strict --pedantic "$share/metainfo/$app_id.metainfo.xml" 2>&1) ||
    fail "appstreamcli validate: $report"
  ! grep -q '^P:' <<<"$report" || fail "appstreamcli pedantic hints: $report"
  report=$(appstreamcli validate-tree --no-net --strict "$root" 2>&1) || fail "appstreamcli validate-tree: $report"
else
  fail "appstreamcli missing (Debian appstream; scripts/test.sh installs it)"
fi

echo "== the record file type"
mime=application/x-corvale-record
if have update-mime-database; then
  [ -f "$share/mime/application/x-corvale-record.xml" ] || fail "the MIME database was not updated on install"
fi
if have update-desktop-database; then
  grep -qx "$mime=$app_id.desktop;" "$share/applications/mimeinfo.cache" ||
    fail "the desktop database does not name the viewer for $mime"
fi
if have xdg-mime && have gio; then
  # xdg-mime asks gio, which reads the shared MIME database under XDG_DATA_DIRS
  # (its generic fallback, file(1), does not).
  xdg() { env XDG_DATA_DIRS="$share" XDG_CURRENT_DESKTOP=GNOME GIO_USE_VFS=local xdg-mime "$@"; }
  files=$scratch/files
  mkdir -p "$files"
  cp "$share/corvale/samples/A0001.nrm" "$files/A0001.nrm"
  cp "$share/corvale/samples/B0001.msd" "$files/B0001.msd"
  cp "$share/corvale/samples/A0002.nrm" "$files/UPPER.NRM"
  cp "$share/corvale/samples/B0002.msd" "$files/no-extension"
  head -c 120424 /dev/zero >"$files/zeros.nrm"
  head -c 120424 /dev/zero >"$files/zeros"
  # Twelve leads no longer stated: the content no longer says record.
  cp "$share/corvale/samples/B0002.msd" "$files/other-lead-count"
  printf '\x0b' | dd of="$files/other-lead-count" bs=1 seek=394 conv=notrunc status=none
  # file, expected type ("not" = anything but ours)
  while read -r name want; do
    got=$(xdg query filetype "$files/$name" 2>/dev/null || true)
    if [ "$want" = not ]; then
      [ "$got" != "$mime" ] || fail "$name was taken for $mime"
    else
      [ "$got" = "$want" ] || fail "$name: '$got', not $want"
    fi
  done <<EOF
A0001.nrm $mime
B0001.msd $mime
UPPER.NRM $mime
no-extension $mime
zeros.nrm $mime
zeros not
other-lead-count not
EOF
  got=$(xdg query default "$mime" 2>/dev/null || true)
  [ "$got" = "$app_id.desktop" ] || fail "default application for $mime: '$got'"
else
  echo "xdg-mime or gio missing: the file type query is skipped"
fi

echo "== removing the package"
remove_package || { cat "$scratch/dpkg.log" >&2; fail "removal failed"; }
snapshot >"$scratch/after"
diff -u "$scratch/before" "$scratch/after" || fail "files left behind or removed (above)"
left=$(grep -rl -e corvale -e "$app_id" "$share" 2>/dev/null || true)
[ -z "$left" ] || fail "caches still name the package: $left"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package: all checks passed"
