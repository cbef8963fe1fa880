#!/bin/sh
# Installs the project, or builds its Debian package with CPack and unpacks it,
# into a temporary folder and checks what a desktop gets: the program, a valid
# desktop entry and AppStream file that name it, the icon at every size, and
# the table library byte for byte. The package must also name the Debian
# package of every library the programs link, and those libraries must resolve.
#   installation_test.sh install|package BUILD_DIR SOURCE_DIR
set -u

mode=$1
build=$(cd "$2" && pwd)
source=$(cd "$3" && pwd)
app_id=io.github.runemill.Runemill
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# $1: the prefix as installed (the folder that holds bin/ and share/).
check_tree() {
  prefix=$1
  [ -x "$prefix/bin/runemill" ] || fail "no program at bin/runemill"

  desktop="$prefix/share/applications/$app_id.desktop"
  if [ -f "$desktop" ]; then
    desktop-file-validate "$desktop" >&2 || fail "desktop-file-validate rejects $app_id.desktop"
    # The window program reads no command line, so it is offered no file.
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    [ "$exec_line" = runemill ] || fail "desktop entry runs '$exec_line', not 'runemill'"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    for size in 16 32 48; do
      png="$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png"
      case $(file -b "$png" 2>&1) in
        "PNG image data, $size x $size,"*) ;;
        *) fail "no $size x $size PNG icon named '$icon': $(file -b "$png" 2>&1)" ;;
      esac
    done
    svg="$prefix/share/icons/hicolor/scalable/apps/$icon.svg"
    grep -q '<svg' "$svg" 2>/dev/null || fail "no scalable icon named '$icon'"
  else
    fail "no desktop entry $app_id.desktop"
  fi

  metainfo="$prefix/share/metainfo/$app_id.metainfo.xml"
  if [ -f "$metainfo" ]; then
    appstreamcli validate --no-net "$metainfo" >&2 || fail "appstreamcli rejects the metainfo file"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
      fail "metainfo does not launch $app_id.desktop"
    grep -q '<screenshot type="default">' "$metainfo" || fail "metainfo has no screenshot"
    for binary in $(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo"); do
      [ -x "$prefix/bin/$binary" ] || fail "metainfo provides $binary, which is not installed"
    done
  else
    fail "no metainfo file $app_id.metainfo.xml"
  fi

  tables="$prefix/share/runemill/charsets"
  (cd "$source/charsets" && ls -- *.charset) >"$work/expected-tables"
  (cd "$tables" 2>/dev/null && ls -- *.charset) >"$work/installed-tables"
  cmp -s "$work/expected-tables" "$work/installed-tables" ||
    fail "installed tables differ from charsets/: $(diff "$work/expected-tables" "$work/installed-tables" | tr '\n' ' ')"
  while read -r name; do
    [ -f "$tables/$name" ] && { cmp -s "$source/charsets/$name" "$tables/$name" || fail "$name changed on installation"; }
  done <"$work/expected-tables"
}

case $mode in
  install)
    cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "cmake --install failed"
    check_tree "$work/prefix"
    ;;
  package)
    (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1) ||
      { cat "$work/cpack.log" >&2; fail "cpack failed"; }
    set -- "$work"/cpack/*.deb
    if [ "$#" -ne 1 ] || [ ! -f "$1" ]; then
      fail "cpack made no single .deb: $*"
    else
      deb=$1
      dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x failed"
      check_tree "$work/root/usr"
      depends=$(dpkg-deb -f "$deb" Depends)
      echo "Depends: $depends"
      for program in "$work"/root/usr/bin/*; do
        ldd "$program" >"$work/ldd" 2>&1 || fail "ldd fails on $program"
        grep 'not found' "$work/ldd" >&2 && fail "$(basename "$program"): libraries not found"
        for library in $(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }'); do
          path=$(awk -v name="$library" '$1 == name { print $3 }' "$work/ldd")
          owner=""
          for candidate in "$path" "$(readlink -f "$path")" "/usr$path"; do
            owner=$(dpkg -S "$candidate" 2>/dev/null | head -n 1 | cut -d: -f1) && [ -n "$owner" ] && break
          done
          case ", $depends" in
            *", $owner "* | *", $owner,"* | *", $owner") ;;
            *) fail "$(basename "$program") links $library of package '$owner', which Depends lacks" ;;
          esac
        done
      done
    fi
    ;;
  *)
    echo "usage: $0 install|package BUILD_DIR SOURCE_DIR" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || exit 1
echo "all checks passed ($mode)"
