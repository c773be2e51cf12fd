#!/usr/bin/env bash
# The Debian package as a machine receives it: unpacked (not installed) into a temporary
# folder, its programs run from there through their links, its desktop integration and
# documents read back.
# Usage: PackageContents.sh PACKAGE.deb VERSION PROGRAM...
set -euo pipefail
deb=$1 version=$2
shift 2
programs=("$@")
for tool in dpkg-deb desktop-file-validate update-mime-database; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
dpkg-deb -x "$deb" "$root"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Version) == "$version" ]] || fail "package version '$(field Version)', not $version"
[[ $(field Depends) == *libqscintilla2-qt6* && $(field Depends) == *libqt6widgets6* ]] ||
    fail "Depends lacks Qt 6 or QScintilla: $(field Depends)"
[[ $(field Recommends) == pspp ]] || fail "Recommends is '$(field Recommends)', not pspp"

# Each program: a link on the search path to the program folder, a manual page, and the
# two switches answered without a display and without touching the registry.
((${#programs[@]} > 0)) || fail "no programs named"
for program in "${programs[@]}"; do
    link=$root/usr/bin/$program
    [[ -L $link && $(readlink "$link") == "../lib/quillstone/$program" ]] ||
        fail "usr/bin/$program is no link to ../lib/quillstone/$program"
    [[ -s $root/usr/share/man/man1/$program.1.gz ]] || fail "$program has no manual page"
    for switch in --version --help; do
        if ! out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
                   QUILLSTONE_REGISTRY="$work/registry.reg" XDG_RUNTIME_DIR="$work" \
                   "$link" "$switch" 2>"$work/stderr"); then
            fail "$program $switch exited non-zero: $(cat "$work/stderr")"
            continue
        fi
        [[ ! -s $work/stderr ]] || fail "$program $switch wrote to stderr: $(cat "$work/stderr")"
        case $switch in
        --version) [[ $(head -n 1 <<<"$out") == "$program $version" && $out == *"License GPLv3+"* ]] ||
                       fail "$program --version printed '$out'" ;;
        --help) [[ $out == "Usage: $program"* && $out == *--version* ]] ||
                    fail "$program --help printed no usage: '$out'" ;;
        esac
    done
done
[[ ! -e $work/registry.reg ]] || fail "a switch reached the registry"

# The language definition is found beside the program file, through the link: a
# program that misses it says so on stderr and falls back to its built-in words.
[[ -f $root/usr/lib/quillstone/lngpck.dll ]] || fail "no language definition in usr/lib/quillstone"
echo "FREQUENCIES x." | "$root/usr/bin/quillstone-highlight" >/dev/null 2>"$work/stderr" ||
    fail "quillstone-highlight failed"
[[ ! -s $work/stderr ]] || fail "the language definition was not found: $(cat "$work/stderr")"

desktop=$root/usr/share/applications/quillstone.desktop
desktop-file-validate "$desktop" || fail "quillstone.desktop does not validate"
grep -qx 'MimeType=.*text/x-spss-syntax;.*' "$desktop" || fail "the editor handles no text/x-spss-syntax"
grep -qx 'Icon=quillstone' "$desktop" || fail "the desktop entry names another icon"

# The file type, compiled as the system compiles it: *.sps by name, no content rule.
mkdir -p "$work/mime/packages"
cp "$root/usr/share/mime/packages/quillstone.xml" "$work/mime/packages/"
# (It notes on every run that the folder is not on the search path.)
update-mime-database "$work/mime" >"$work/mime.log" 2>&1 ||
    fail "update-mime-database rejects quillstone.xml: $(cat "$work/mime.log")"
grep -qx '60:text/x-spss-syntax:\*\.sps' "$work/mime/globs2" || fail "no *.sps glob for text/x-spss-syntax"
! grep -q 'text/x-spss-syntax' "$work/mime/magic" || fail "text/x-spss-syntax has a magic rule"

# The icon: scalable, and a PNG of each size whose header gives that size.
icons=$root/usr/share/icons/hicolor
[[ -f $icons/scalable/apps/quillstone.svg ]] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
    png=$icons/${size}x${size}/apps/quillstone.png
    header=$(od -An -tx1 -j16 -N8 "$png" 2>/dev/null | tr -d ' \n')
    [[ -n $header && $((16#${header:0:8})) == "$size" && $((16#${header:8:8})) == "$size" ]] ||
        fail "no ${size}x${size} icon"
done

doc=$root/usr/share/doc/quillstone
grep -q '^License: GPL-3+$' "$doc/copyright" 2>/dev/null || fail "no copyright file naming GPL-3+"
[[ -s $doc/README.md ]] || fail "no README, which the about box links to without a product page"
[[ $(zcat "$doc/changelog.gz" | head -n 1) == "quillstone ($version) "* ]] ||
    fail "the changelog's latest entry is not for $version"

((failures == 0)) || exit 1
echo "package $(basename "$deb"): ${#programs[@]} programs and the desktop files as expected"
