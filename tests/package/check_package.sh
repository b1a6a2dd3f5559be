#!/bin/sh
# Checks of the Debian package, one mode per CTest test.
#
#   check_package.sh build     DEB_DIR CPACK CPACK_CONFIG
#   check_package.sh contents  DEB_DIR BUILT_BATCH APP_ID
#   check_package.sh validate  DEB_DIR BUILT_BATCH APP_ID
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
    ./usr/share/doc/reactopt/changelog.gz; do
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
  # Programs executable by all, everything owned by root.
  grep ' ./usr/bin/reactopt$' "$tmp/list" | grep -q '^-rwxr-xr-x root/root' || fail "reactopt is not rwxr-xr-x root/root"
  if grep -v ' root/root ' "$tmp/list"; then fail "files not owned by root"; fi
  # Dependencies are computed from the binaries, so the libraries they link appear.
  depends=$(dpkg-deb -f "$deb" Depends)
  for lib in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6charts6 libqt6printsupport6; do
    echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
  done
  [ "$(dpkg-deb -f "$deb" Package)" = reactopt ] || fail "package name"
  case $(basename "$deb") in
  "reactopt_$(dpkg-deb -f "$deb" Version)_$(dpkg-deb -f "$deb" Architecture).deb") ;;
  *) fail "file name $(basename "$deb") is not reactopt_VERSION_ARCH.deb" ;;
  esac
  ;;

validate)
  desktop-file-validate "$share/applications/$app_id.desktop"
  appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml"
  # The desktop entry, the metainfo and the icon have to find each other.
  grep -q '^Exec=reactopt$' "$share/applications/$app_id.desktop" || fail "Exec is not reactopt"
  grep -q '^Icon=reactopt$' "$share/applications/$app_id.desktop" || fail "Icon is not reactopt"
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
    "$share/metainfo/$app_id.metainfo.xml" || fail "metainfo does not launch $app_id.desktop"
  gzip -t "$share/man/man1/reactopt-batch.1.gz"
  if command -v dpkg-parsechangelog >/dev/null 2>&1; then
    gzip -dc "$share/doc/reactopt/changelog.gz" >"$tmp/changelog"
    [ "$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)" = "$(dpkg-deb -f "$deb" Version)" ] ||
      fail "the changelog's version is not the package's"
  fi
  if command -v man >/dev/null 2>&1; then
    warnings=$(man --warnings -l "$share/man/man1/reactopt-batch.1.gz" 2>&1 >/dev/null) || true
    [ -z "$warnings" ] || fail "man page warnings: $warnings"
  fi
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
  # Started from the menu: no task files where it starts, so the program
  # makes ~/ReactOpt from the statements installed beside it and stays up.
  mkdir -p "$tmp/home" "$tmp/start"
  (cd "$tmp/start" && HOME=$tmp/home QT_QPA_PLATFORM=offscreen exec "$root/usr/bin/reactopt") \
    >"$tmp/out" 2>&1 &
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
