#!/bin/sh
# Checks of the Debian package, one mode per CTest test.
#
#   check_package.sh build     DEB_DIR CPACK CPACK_CONFIG
#   check_package.sh contents  DEB_DIR BUILT_BATCH APP_ID
#   check_package.sh validate  DEB_DIR BUILT_BATCH APP_ID
#   check_package.sh lintian   DEB_DIR BUILT_BATCH APP_ID
#   check_package.sh hardening DEB_DIR BUILT_BATCH APP_ID
#   check_package.sh batch     DEB_DIR BUILT_BATCH APP_ID
#   check_package.sh workspace DEB_DIR BUILT_BATCH APP_ID
set -eu

mode=$1
deb_dir=$2

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

if [ "$mode" = build ]; then
  rm -rf "$deb_dir"
  "$3" -G DEB --config "$4" -B "$deb_dir"
  set -- "$deb_dir"/reactopt_*.deb
  [ $# -eq 1 ] && [ -f "$1" ] || fail "cpack made no single reactopt_*.deb in $deb_dir"
  echo "built $1"
  exit 0
fi

built_batch=$3
app_id=$4
set -- "$deb_dir"/reactopt_*.deb
[ -f "$1" ] || fail "no package in $deb_dir"
deb=$1

tmp=$(mktemp -d "${TMPDIR:-/tmp}/reactopt-package-XXXXXX")
cleanup() {
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT INT TERM
root=$tmp/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share
tasks=$share/reactopt/tasks

case $mode in
contents)
  dpkg-deb -c "$deb" >"$tmp/list"
  for path in \
    ./usr/bin/reactopt ./usr/bin/reactopt-batch \
    ./usr/share/reactopt/tasks/DataFile.dat \
    "./usr/share/applications/$app_id.desktop" \
    "./usr/share/metainfo/$app_id.metainfo.xml" \
    ./usr/share/icons/hicolor/scalable/apps/reactopt.svg \
    ./usr/share/man/man1/reactopt-batch.1.gz ./usr/share/man/man1/reactopt.1.gz \
    ./usr/share/doc/reactopt/changelog.gz ./usr/share/doc/reactopt/copyright; do
    grep -q " $path\$" "$tmp/list" || fail "$path is not in the package"
  done
  for size in 16 32 48 64 128 256; do
    grep -q " ./usr/share/icons/hicolor/${size}x$size/apps/reactopt.png\$" "$tmp/list" ||
      fail "the ${size}x$size icon is not in the package"
  done
  code=101
  while [ $code -le 125 ]; do
    grep -q " ./usr/share/reactopt/tasks/zad$code.txt\$" "$tmp/list" || fail "zad$code.txt is not in the package"
    code=$((code + 1))
  done
  grep -q " ./usr/share/reactopt/tasks/dimer-tank.toml\$" "$tmp/list" || fail "the example task files are not in the package"
  # Programs executable by all, everything owned by root.
  grep ' ./usr/bin/reactopt$' "$tmp/list" | grep -q '^-rwxr-xr-x root/root' || fail "reactopt is not rwxr-xr-x root/root"
  if grep -v ' root/root ' "$tmp/list"; then fail "files not owned by root"; fi
  # Dependencies are computed from the binaries, so the libraries they link appear.
  depends=$(dpkg-deb -f "$deb" Depends)
  for lib in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6charts6 libqt6printsupport6; do
    echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
  done
  # Loaded, not linked, and the program aborts without it.
  echo "$depends" | grep -Eq '(^|, )qt6-qpa-plugins($|[ ,])' || fail "Depends lacks qt6-qpa-plugins: $depends"
  [ "$(dpkg-deb -f "$deb" Package)" = reactopt ] || fail "package name"
  case $(basename "$deb") in
  "reactopt_$(dpkg-deb -f "$deb" Version)_$(dpkg-deb -f "$deb" Architecture).deb") ;;
  *) fail "file name $(basename "$deb") is not reactopt_VERSION_ARCH.deb" ;;
  esac
  ;;

validate)
  # Not even a hint: one main category, so the entry shows once in a menu.
  hints=$(desktop-file-validate "$share/applications/$app_id.desktop" 2>&1) ||
    fail "desktop-file-validate: $hints"
  [ -z "$hints" ] || fail "desktop-file-validate: $hints"
  appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml"
  if grep -n 'example\.org' "$share/metainfo/$app_id.metainfo.xml"; then fail "metainfo names an address that does not exist"; fi
  # The menu starts the program in the workspace, whatever the home folder holds.
  grep -q '^Exec=reactopt --workspace$' "$share/applications/$app_id.desktop" || fail "Exec is not reactopt --workspace"
  grep -q '^Icon=reactopt$' "$share/applications/$app_id.desktop" || fail "Icon is not reactopt"
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
    "$share/metainfo/$app_id.metainfo.xml" || fail "metainfo does not launch $app_id.desktop"
  gzip -t "$share/man/man1/reactopt-batch.1.gz"
  version=$(dpkg-deb -f "$deb" Version)
  for program in reactopt reactopt-batch; do
    [ "$("$root/usr/bin/$program" --version)" = "$program $version" ] || fail "$program --version"
  done
  if command -v dpkg-parsechangelog >/dev/null 2>&1; then
    gzip -dc "$share/doc/reactopt/changelog.gz" >"$tmp/changelog"
    [ "$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)" = "$(dpkg-deb -f "$deb" Version)" ] ||
      fail "the changelog's version is not the package's"
  fi
  if command -v man >/dev/null 2>&1; then
    for page in reactopt reactopt-batch; do
      warnings=$(man --warnings -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null) || true
      [ -z "$warnings" ] || fail "$page.1: $warnings"
    done
  fi
  ;;

lintian)
  # lintian itself warns that it runs as root, which a test run may do.
  lintian --fail-on error "$deb" >"$tmp/lintian" 2>&1 || { cat "$tmp/lintian" >&2; fail "lintian found errors"; }
  cat "$tmp/lintian"
  # The licence in Debian's machine-readable form.
  head -n 1 "$share/doc/reactopt/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright is not machine-readable"
  grep -qx 'License: Expat' "$share/doc/reactopt/copyright" || fail "copyright names no licence"
  ;;

hardening)
  # Built with the distribution's hardening: relocations bound at start
  # (bind-now), fortified library calls and the stack protector.
  for program in reactopt reactopt-batch; do
    binary=$root/usr/bin/$program
    readelf -d "$binary" | grep -Eq 'FLAGS.*BIND_NOW|FLAGS_1.*NOW' || fail "$program is not linked with bind-now"
    readelf -d "$binary" | grep -q 'GNU_RELRO\|RELRO' || readelf -l "$binary" | grep -q GNU_RELRO ||
      fail "$program has no read-only relocations"
    readelf --dyn-syms -W "$binary" | grep -q '__[a-z_]*_chk' || fail "$program has no fortified calls"
    readelf --dyn-syms -W "$binary" | grep -q '__stack_chk_fail' || fail "$program has no stack protector"
  done
  ;;

batch)
  # The installed reactopt-batch, on the installed data, writes the same
  # reports as the one just built.
  mkdir "$tmp/installed" "$tmp/built"
  cp "$tasks"/* "$tmp/installed/"
  cp "$tasks"/* "$tmp/built/"
  code=101
  while [ $code -le 125 ]; do
    (cd "$tmp/installed" && "$root/usr/bin/reactopt-batch" $code >/dev/null) || fail "installed reactopt-batch $code"
    (cd "$tmp/built" && "$built_batch" $code >/dev/null) || fail "built reactopt-batch $code"
    [ -s "$tmp/installed/opt.out" ] || fail "no report for $code"
    cmp "$tmp/installed/opt.out" "$tmp/built/opt.out" || fail "reports of $code differ"
    code=$((code + 1))
  done
  (cd "$tmp/installed" && "$root/usr/bin/reactopt-batch" --print zad101.txt 1 0.5) >"$tmp/report"
  grep -q 'k1 = 1.000  k2 = 0.500' "$tmp/report" || fail "the printed report does not show the values given"
  ;;

workspace)
  # Started from the menu, with its Exec line, in a home folder that holds an
  # assignment and a stray statement (but no DataFile.dat): the program makes
  # ~/ReactOpt from the statements installed beside it and stays up.
  home=$tmp/home
  mkdir -p "$home"
  echo "my assignment" >"$home/zadanie.txt"
  echo "a statement I saved" >"$home/zad107.txt"
  exec_line=$(sed -n 's/^Exec=//p' "$share/applications/$app_id.desktop")
  # shellcheck disable=SC2086 # the Exec line's words
  (cd "$home" && HOME=$home QT_QPA_PLATFORM=offscreen exec "$root/usr/bin/"$exec_line) >"$tmp/out" 2>&1 &
  pid=$!
  waited=0
  while [ ! -f "$tmp/home/ReactOpt/.reactopt-copies" ] && [ $waited -lt 200 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  sleep 1
  kill -0 "$pid" 2>/dev/null || { cat "$tmp/out" >&2; fail "the program did not stay up"; }
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
  for file in "$tasks"/*; do
    cmp "$file" "$tmp/home/ReactOpt/$(basename "$file")" || fail "$(basename "$file") was not copied"
  done
  if grep 'reactopt:' "$tmp/out"; then fail "the program complained at start"; fi
  ;;

*)
  fail "unknown mode $mode"
  ;;
esac
echo "package $mode: passed"
