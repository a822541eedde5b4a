#!/usr/bin/env bash
# Checks the packages scripts/package.sh made in build-packages/, for the
# version in CMakeLists.txt:
# - the Debian package: its metadata (dpkg-deb -I), exactly the files it
#   should hold, lintian without errors; unpacked into a scratch root
#   (dpkg -x), updater and cardsim give their version and man finds both
#   man pages there;
# - the Windows zip: exactly the files it should hold, a README with Windows
#   line ends, an updater.exe that needs no MinGW runtime DLL, and whose
#   --help and --version run under Wine.
# Prints what it checks; ends non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
packages=$root/build-packages

scripts/install-packages.sh dpkg lintian man-db unzip wine64 binutils-mingw-w64-x86-64 >/dev/null

version=$(sed -n 's/^project(updater VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "check-packages: no project(updater VERSION ...) in CMakeLists.txt" >&2; exit 1; }
deb=$packages/updater_${version}_amd64.deb
zip=$packages/updater-${version}-windows.zip

scratch=$(mktemp -d /tmp/updater-packages-XXXXXX)
source scripts/wine-prefix.sh
finish() {
    stop_wine
    rm -rf "$scratch"
}
trap finish EXIT

fail() {
    echo "check-packages: FAILED: $*" >&2
    exit 1
}
ok() { echo "check-packages: $*"; }

# expect_lines WHAT EXPECTED ACTUAL: two lists, one entry a line, equal.
expect_lines() {
    diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") >&2 || fail "$1 differ from the expected (above: < expected, > found)"
}

# --- The Debian package -----------------------------------------------------

[ -f "$deb" ] || fail "$deb is missing (scripts/package.sh makes it)"
dpkg-deb -I "$deb"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = updater ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), expected $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[[ "$(field Depends)" =~ (^|, )libc6\ \(\>=\ [0-9.]+\) ]] || fail "Depends (dpkg-shlibdeps): $(field Depends)"
[[ "$(field Depends)" =~ libstdc\+\+6 ]] || fail "Depends without libstdc++6: $(field Depends)"
[ -n "$(field Section)" ] && [ -n "$(field Description)" ] || fail "no Section or Description"
ok "metadata: updater $version amd64, Depends: $(field Depends)"

dpkg-deb -c "$deb"
expect_lines "the .deb's files" \
    "./usr/bin/cardsim
./usr/bin/updater
./usr/share/doc/updater/README.md
./usr/share/doc/updater/changelog.gz
./usr/share/doc/updater/copyright
./usr/share/man/man1/cardsim.1.gz
./usr/share/man/man1/updater.1.gz" \
    "$(dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v '/$' | sort)"
ok "contents: updater and cardsim, their man pages, README.md, copyright, changelog"

# Lintian's errors fail the check; its warnings and notes are shown.
lintian --fail-on error --display-info "$deb" || fail "lintian reports errors"
ok "lintian: no errors"

installed=$scratch/deb
dpkg -x "$deb" "$installed"
[ "$("$installed/usr/bin/updater" --version)" = "updater $version (Linux)" ] || fail "updater --version from the .deb"
[ "$("$installed/usr/bin/cardsim" --version)" = "cardsim $version" ] || fail "cardsim --version from the .deb"
for program in updater cardsim; do
    MANWIDTH=80 man -M "$installed/usr/share/man" "$program" >"$scratch/$program.man" 2>&1 ||
        fail "man $program: $(cat "$scratch/$program.man")"
    grep -q "^SYNOPSIS" "$scratch/$program.man" && grep -q "^ *$program \+- " "$scratch/$program.man" ||
        fail "man $program shows no NAME or SYNOPSIS"
done
zcat "$installed/usr/share/doc/updater/changelog.gz" | head -n 1 | grep -q "^updater ($version) " ||
    fail "the changelog's latest entry is not $version (packaging/debian/changelog)"
ok "unpacked with dpkg -x: updater and cardsim say $version, man finds both pages"

# --- The Windows zip --------------------------------------------------------

[ -f "$zip" ] || fail "$zip is missing (scripts/package.sh makes it)"
unzip -l "$zip"
expect_lines "the zip's files" \
    "README.txt
licences/GPL-3.txt
licences/gcc-runtime.txt
licences/mingw-w64-runtime.txt
updater.exe" \
    "$(unzip -Z1 "$zip" | grep -v '/$' | sort)"
unpacked=$scratch/zip
unzip -q "$zip" -d "$unpacked"
[ "$(grep -c $'\r$' "$unpacked/README.txt")" = "$(wc -l <"$unpacked/README.txt")" ] ||
    fail "README.txt has lines without a Windows line end"
grep -q "^updater $version for Windows" "$unpacked/README.txt" || fail "README.txt does not name version $version"
runtime_dlls=$(x86_64-w64-mingw32-objdump -p "$unpacked/updater.exe" | sed -n 's/.*DLL Name: //p' | grep -i '^lib' || true)
[ -z "$runtime_dlls" ] || fail "updater.exe needs the runtime DLLs $runtime_dlls"
ok "contents: updater.exe (imports $(x86_64-w64-mingw32-objdump -p "$unpacked/updater.exe" |
    sed -n 's/.*DLL Name: //p' | xargs | sed 's/ /, /g') only), README.txt, the runtime's licences"

start_wine_prefix "$scratch/prefix"
status=0
(cd "$unpacked" && "$wine" updater.exe --help) >"$scratch/help.txt" 2>&1 || status=$?
[ "$status" = 0 ] || fail "updater.exe --help under Wine: exit $status: $(head -n 5 "$scratch/help.txt")"
head -n 1 "$scratch/help.txt" | grep -q "^updater ${version%.*}: updates" || fail "updater.exe --help: $(head -n 3 "$scratch/help.txt")"
grep -q "^  COMn  *the serial port COMn" "$scratch/help.txt" || fail "updater.exe --help names no COM port"
windows_version=$(cd "$unpacked" && "$wine" updater.exe --version | tr -d '\r')
[ "$windows_version" = "updater $version (Windows)" ] || fail "updater.exe --version under Wine: $windows_version"
ok "unzipped: updater.exe --help and --version ($windows_version) run under Wine"
