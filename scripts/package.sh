#!/usr/bin/env bash
# Builds Velmora as start.sh does (only what is out of date) and makes the
# Debian package build/package/velmora_<version>_<arch>.deb from the build
# tree's own binaries: installed with DESTDIR into a staging folder, stripped,
# given its documents, control file and checksums, and packed by dpkg-deb.
#
#   --no-build        package the build tree as it is, without set-up or build
#   --build-dir DIR   the build tree (build/default)
#   --out DIR         where the package goes (build/package)
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD

build_first=1
build_dir=$source_dir/build/default
out_dir=$source_dir/build/package
while [[ $# -gt 0 ]]; do
  case "$1" in
    --no-build) build_first=0 ;;
    --build-dir) build_dir=$(realpath "$2"); shift ;;
    --out) out_dir=$2; shift ;;
    *) echo "package: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done

fail() {
  echo "package: $*" >&2
  exit 1
}

if [[ "$build_first" -eq 1 ]]; then
  ./scripts/setup.sh
  cmake --preset default >/dev/null
  cmake --build --preset default
fi

debian=$source_dir/data/linux/debian
linux=$source_dir/data/linux

# The programs tell an installed copy by the folders they were built for;
# a tree built for another prefix would take itself for a portable one.
cache=$build_dir/CMakeCache.txt
[[ -f "$cache" ]] || fail "no build tree in $build_dir"
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$cache")
[[ "$prefix" == /usr ]] ||
  fail "$build_dir is configured for the prefix '$prefix', the package needs /usr (cmake --preset default)"

# One version everywhere: the build's, the package's changelog, the
# AppStream release and the manual pages.
version=$(sed -n 's/^project(velmora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n "$version" ]] || fail "no version in CMakeLists.txt"
deb_version=$(dpkg-parsechangelog -l "$debian/changelog" -S Version)
[[ "${deb_version%-*}" == "$version" ]] ||
  fail "data/linux/debian/changelog names $deb_version, the program is $version"
first_release=$(grep -o -m1 '<release version="[^"]*"' "$linux/org.velmora.Velmora.metainfo.xml")
[[ "$first_release" == "<release version=\"$version\"" ]] ||
  fail "the newest release in the metainfo is not $version"
for page in velmora.1 velmora-cli.1; do
  grep -q "^\.TH .* \"Velmora $version\"" "$linux/$page" ||
    fail "data/linux/$page does not name Velmora $version"
done

arch=$(dpkg --print-architecture)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Staged where dpkg-shlibdeps expects a package's files: debian/<package>.
root=$work/debian/velmora

DESTDIR=$root cmake --install "$build_dir" >/dev/null
for part in usr/bin/velmora usr/bin/velmora-cli usr/lib/velmora/velmora-cli-data; do
  [[ -f "$root/$part" ]] || fail "the install lacks /$part (is $build_dir built?)"
done

doc=$root/usr/share/doc/velmora
install -d -m 0755 "$doc"
install -m 0644 "$debian/copyright" "$doc/copyright"
gzip -9n -c "$debian/changelog" >"$doc/changelog.Debian.gz"
chmod 0644 "$doc/changelog.Debian.gz"

# Whatever the umask was: folders 0755, nothing writable but by root.
find "$root" -type d -exec chmod 0755 {} +
chmod -R go-w "$root"

elf_files=()
while IFS= read -r -d '' file; do
  magic=$(head -c 4 "$file" | od -An -tx1 | tr -d ' \n')
  if [[ "$magic" == 7f454c46 ]]; then elf_files+=("$file"); fi
done < <(find "$root" -type f -print0 | sort -z)
# Stripped as Debian strips: the symbols and debugging sections, and the
# compiler's notes; a shared object keeps only what its loading needs.
for file in "${elf_files[@]}"; do
  dynamic=$(readelf -d "$file")
  if grep -qE '\((RPATH|RUNPATH)\)' <<<"$dynamic"; then
    fail "${file#"$root"} carries a library search path"
  fi
  case "$file" in
    *.so) strip --remove-section=.comment --remove-section=.note --strip-unneeded "$file" ;;
    *) strip --remove-section=.comment --remove-section=.note "$file" ;;
  esac
done

# The libraries the programs and the modules link: the modules are loaded
# only when first needed, but the program cannot do without them.
mkdir -m 0755 "$root/DEBIAN"
printf 'Source: velmora\n\nPackage: velmora\nArchitecture: any\n' >"$work/debian/control"
shlibs=$(cd "$work" && dpkg-shlibdeps -O "${elf_files[@]#"$work/"}")
depends=${shlibs#shlibs:Depends=}
[[ -n "$depends" && "$depends" != "$shlibs" ]] || fail "dpkg-shlibdeps gave no dependencies"

installed_size=$(du -sk --apparent-size "$root/usr" | cut -f1)
cat >"$root/DEBIAN/control" <<EOF
Package: velmora
Version: $deb_version
Architecture: $arch
Maintainer: Velmora <support@velmora.example>
Installed-Size: $installed_size
Depends: $depends
Recommends: xdg-utils, dbus-bin, qt6-translations-l10n, fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei
Suggests: qt6-gtk-platformtheme, qt6-xdgdesktopportal-platformtheme
Section: utils
Priority: optional
Homepage: https://velmora.example/
Description: organiser for the Chinese calendar
 Velmora is a slim panel that stays on top of the desktop, with a month view
 of the Chinese calendar: the lunar date of every day, the traditional and
 public festivals, the 24 solar terms, and the days off and make-up working
 days of the official holiday arrangement.
 .
 Beside the calendar it keeps the day's plans, notes, anniversaries and
 reminders, a bookmark tree and a few desktop tools, all in one data file.
 The command velmora-cli prints the calendar in a terminal and exports the
 data as iCalendar and browser bookmark files.
 .
 The program's windows and messages are in Chinese.
EOF
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

mkdir -p "$out_dir"
rm -f "$out_dir"/velmora_*.deb
deb=$out_dir/velmora_${deb_version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "package: $deb"
