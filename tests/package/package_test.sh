#!/usr/bin/env bash
# Packs the build into its Debian package, unpacks the package into a
# scratch root with dpkg -x and runs the unpacked camview there against the
# build's camsim: every file is in its place, the package depends on the
# libraries its files link, and the unpacked tree runs wherever it lies,
# with the module installed beside it.
#
# usage: package_test.sh BUILD-DIR CPACK CAMSIM VERSION
set -euo pipefail

build=$(cd "$1" && pwd)
cpack=$2
camsim=$3
version=$4

scratch=$(mktemp -d /tmp/ve-package-XXXXXX)
scratch=$(realpath "$scratch")
camsim_pid=
cleanup() {
    if [ -n "$camsim_pid" ]; then
        kill "$camsim_pid" 2>/dev/null || true
        wait "$camsim_pid" 2>/dev/null || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
    echo "package test: FAILED: $*" >&2
    exit 1
}

# The package, written to the scratch folder, not the build's.
if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack failed"
fi
deb="$scratch/out/camview_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack wrote: $(ls "$scratch/out")"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes, Installed-Size $(dpkg-deb -f "$deb" Installed-Size) KiB"

# Its control fields: every library the files link is a dependency.
for field in Package Version Maintainer Description Section; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "the package has no $field"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libstdc++6 libjpeg62-turbo libcurl4 libsdl2-2.0-0 libmicrohttpd libturbojpeg0 libfreetype \
           libfontconfig libpng16 libxml2 libx11 libavformat; do
    # A library's package name, with or without a suffix (libcurl4t64, libmicrohttpd12).
    grep -Eq "(^|, )${lib//+/\\+}[0-9a-z.-]*( |,|$)" <<<"$depends" || fail "Depends does not name $lib"
done

# The files, in their places under /usr, and nothing else.
root="$scratch/root"
dpkg -x "$deb" "$root"
[ "$(ls "$root")" = "usr" ] || fail "the package installs outside /usr: $(ls "$root")"
for f in bin/camview bin/camsim bin/ve-regsvr; do
    [ -x "$root/usr/$f" ] || fail "no executable usr/$f"
done
for f in lib/camview/VE_VIRIZU.OCX lib/camview/libveplatform.so lib/camview/camview-window.so \
         share/applications/camview.desktop lib/systemd/user/camview-serve.service \
         share/icons/hicolor/scalable/apps/camview.svg share/man/man1/camview.1.gz share/man/man1/camsim.1.gz; do
    [ -f "$root/usr/$f" ] || fail "no usr/$f"
done
if [ -f "$build/packaging/icons/48x48/camview.png" ]; then
    [ -f "$root/usr/share/icons/hicolor/48x48/apps/camview.png" ] || fail "no 48x48 icon"
fi
grep -qx 'Exec=camview %u' "$root/usr/share/applications/camview.desktop" || fail "the desktop entry does not run camview %u"
grep -qx 'Icon=camview' "$root/usr/share/applications/camview.desktop" || fail "the desktop entry names no icon"
grep -qx 'Name=camview' "$root/usr/share/applications/camview.desktop" || fail "the menu does not name camview as the README does"
grep -q '^ExecStart=/usr/bin/camview serve --wall' "$root/usr/lib/systemd/user/camview-serve.service" || fail "the user unit does not run the installed camview serve"
grep -q '^License: Expat' "$root/usr/share/doc/camview/copyright" || fail "no copyright file with the licence"
# Every option a program's --help names is in its manual page, as a whole
# word (--stream-status does not stand for --stream-status-until); and every
# option the READMEs name is one of these programs' or of the build's
# commands (cmake, cpack, ctest, scripts/setup), so that no README teaches an
# option that is gone.
options_in() { grep -oE '(^|[][ `(|])--[a-z][a-z-]*[a-z]' | sed 's/^[^-]*//' | sort -u; }
known="--build --config --install --prefix --test-dir --windows"
for program in camview camsim; do
    help=$("$root/usr/bin/$program" --help 2>&1) || fail "$program --help failed: $help"
    options=$(options_in <<<"$help")
    [ "$(wc -l <<<"$options")" -ge 10 ] || fail "$program --help names only: $options"
    manual=$(zcat "$root/usr/share/man/man1/$program.1.gz" | sed 's/\\-/-/g')
    for option in $options; do
        grep -qE -- "${option}([^a-z-]|$)" <<<"$manual" || fail "the manual page of $program lacks $option"
    done
    known="$known $options"
done
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
for readme in README.md packaging/windows/README.txt; do
    for option in $(options_in <"$source_dir/$readme"); do
        grep -qxF -e "$option" <<<"${known// /$'\n'}" || fail "$readme names $option, which no program has"
    done
done

# Run paths relative to each file, naming nothing of the build.
for f in bin/camview bin/camsim bin/ve-regsvr lib/camview/VE_VIRIZU.OCX lib/camview/libveplatform.so \
         lib/camview/camview-window.so; do
    runpath=$(readelf -d "$root/usr/$f" | sed -n 's/.*R\(UN\)\{0,1\}PATH.*\[\(.*\)\]/\2/p')
    case "$runpath" in
    '$ORIGIN' | '$ORIGIN/'*) ;;
    *) fail "usr/$f has the run path \"$runpath\", not one relative to itself" ;;
    esac
    [[ "$runpath" != *"$build"* ]] || fail "usr/$f's run path names the build: $runpath"
done
loaded=$(ldd "$root/usr/bin/camview" | sed -n 's/.*libveplatform\.so => \(.*\) (0x.*/\1/p')
[ -n "$loaded" ] && [ "$(realpath "$loaded")" = "$root/usr/lib/camview/libveplatform.so" ] ||
    fail "the unpacked camview does not load the unpacked platform library but \"$loaded\""

# A headless camview starts without the window's libraries; the window
# module, unpacked beside the control module, is what loads them.
# (ldd's list is read whole first: grep -q stopping at the first match
# would end ldd with a broken pipe, a failure under pipefail.)
viewer_libs=$(ldd "$root/usr/bin/camview")
window_libs=$(ldd "$root/usr/lib/camview/camview-window.so")
! grep -q libSDL2 <<<"$viewer_libs" || fail "the unpacked camview links SDL2 itself"
grep -q libSDL2 <<<"$window_libs" || fail "the window module does not link SDL2"

# The unpacked programs run.
[ "$("$root/usr/bin/camview" --version)" = "camview $version" ] || fail "camview --version says: $("$root/usr/bin/camview" --version)"
# Without a display the window module it loads says so (and not that it
# could not be loaded).
nodisplay=$(env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER= "$root/usr/bin/camview" http://127.0.0.1:9/ 2>&1 >/dev/null) && rc=0 || rc=$?
[ "$rc" = 2 ] && grep -q "no display for a window" <<<"$nodisplay" ||
    fail "the unpacked camview without a display exited with $rc: $nodisplay"
"$root/usr/bin/camsim" --help >/dev/null || fail "the unpacked camsim does not run"
"$root/usr/bin/ve-regsvr" --help >/dev/null || fail "the unpacked ve-regsvr does not run"

# The build's camsim on a port it picks, and the unpacked camview against
# it with an empty registry: camview registers the module unpacked beside it.
"$camsim" >"$scratch/camsim.out" 2>&1 &
camsim_pid=$!
port=
for _ in $(seq 100); do
    port=$(sed -n 's|.*127\.0\.0\.1:\([0-9]*\).*|\1|p' "$scratch/camsim.out" | head -n 1)
    [ -n "$port" ] && break
    sleep 0.05
done
[ -n "$port" ] || fail "camsim did not start: $(cat "$scratch/camsim.out")"
registry="$scratch/registry"
page="http://127.0.0.1:$port/ImageViewer?Resolution=320x240"
rc=0
VE_REGISTRY="$registry" http_proxy= HTTP_PROXY= "$root/usr/bin/camview" --headless "$page" --frames 3 --duration 30 --events \
    >"$scratch/events" 2>"$scratch/camview.err" || rc=$?
[ "$rc" = 0 ] || fail "the unpacked camview exited with $rc: $(cat "$scratch/camview.err")"
frames=$(grep -c '"frame":[0-9]' "$scratch/events" || true)
[ "$frames" -ge 3 ] || fail "the unpacked camview drew $frames frames"
first=$(grep -m1 '"frame":[0-9]' "$scratch/events" | sed -n 's/^{"t_ms":\([0-9]*\),.*/\1/p')
echo "the unpacked camview drew its first frame after ${first} ms"
[ -f "$registry" ] || fail "camview wrote no registry"
grep -qF "$root/usr/lib/camview/VE_VIRIZU.OCX" "$registry" ||
    fail "the registry does not name the unpacked module: $(grep -F VE_VIRIZU "$registry" | head -3)"
! grep -qF "$build" "$registry" || fail "the registry names the build's module: $(grep -F "$build" "$registry" | head -3)"
echo "package test: passed"
