#!/usr/bin/env bash
# The Debian package made from this build tree, as package.sh makes it
# (without building): lintian finds no error, the launcher and the AppStream
# component inside it validate, every part the programs look for is where
# the build told them to look, and no binary points into the build tree.
# Usage: package_checks.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$(realpath "$2")
id=org.velmora.Velmora

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

for tool in lintian desktop-file-validate appstreamcli dpkg-deb readelf man; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (./scripts/setup.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$source_dir/scripts/package.sh" --no-build --build-dir "$build_dir" --out "$work/out"
debs=("$work"/out/*.deb)
[[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || { echo "FAIL: no single package in ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}

# --- The control data -------------------------------------------------------
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg --print-architecture)
[[ "$(basename "$deb")" == "velmora_${version}_${arch}.deb" ]] ||
  fail "package file name $(basename "$deb") is not velmora_${version}_${arch}.deb"
[[ "$(dpkg-deb -f "$deb" Architecture)" == "$arch" ]] || fail "Architecture is not $arch"
program_version=$(sed -n 's/^project(velmora VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
[[ "${version%-*}" == "$program_version" ]] || fail "package version $version, program $program_version"
depends=$(dpkg-deb -f "$deb" Depends)
# The program's own libraries and those of the modules it loads later.
for needed in libc6 libqt6widgets6 libqt6network6 libcurl4 libxcb1; do
  [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] ||
    fail "Depends lacks $needed: $depends"
done

# --- lintian ------------------------------------------------------------------
if ! lintian --tag-display-limit 0 --fail-on error "$deb" >"$work/lintian.txt" 2>&1; then
  fail "lintian reports errors"
fi
cat "$work/lintian.txt"
if grep -q '^E:' "$work/lintian.txt"; then fail "lintian: $(grep -c '^E:' "$work/lintian.txt") error(s)"; fi

# --- The files ------------------------------------------------------------------
root=$work/root
dpkg-deb -x "$deb" "$root"

expected=(
  usr/bin/velmora
  usr/bin/velmora-cli
  usr/lib/velmora/velmora-cli-data
  usr/lib/velmora/vrx_reg
  usr/lib/velmora/velmora_dict.so
  usr/lib/velmora/velmora_datamgmt.so
  usr/lib/velmora/velmora_fetch.so
  usr/lib/velmora/velmora_ical.so
  usr/lib/velmora/velmora_dav.so
  usr/share/velmora/zenqmodal.fx
  usr/share/velmora/zenqholiday.txt
  "usr/share/applications/$id.desktop"
  "usr/share/metainfo/$id.metainfo.xml"
  "usr/share/icons/hicolor/scalable/apps/$id.svg"
  usr/share/man/man1/velmora.1.gz
  usr/share/man/man1/velmora-cli.1.gz
  usr/share/doc/velmora/copyright
  usr/share/doc/velmora/changelog.Debian.gz
)
for size in 16 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for part in "${expected[@]}"; do
  [[ -f "$root/$part" ]] || fail "the package lacks /$part"
done
for program in usr/bin/velmora usr/bin/velmora-cli usr/lib/velmora/velmora-cli-data \
  usr/lib/velmora/vrx_reg; do
  [[ -x "$root/$program" ]] || fail "/$program is not executable"
done

# Nothing a test or a build tool is made of.
unexpected=$(cd "$root" && find . -type f \( -name '*_tests' -o -name 'bench_*' \
  -o -name make_template -o -name fx_dump -o -name fx_fill -o -name http_file_server \) -print)
[[ -z "$unexpected" ]] || fail "the package holds test or build programs: $unexpected"

# The shipped data is the build's.
cmp -s "$root/usr/share/velmora/zenqholiday.txt" "$source_dir/data/zenqholiday.txt" ||
  fail "the shipped zenqholiday.txt differs from data/zenqholiday.txt"
cmp -s "$root/usr/share/velmora/zenqmodal.fx" "$build_dir/bin/zenqmodal.fx" ||
  fail "the shipped zenqmodal.fx differs from the build's"

# Each PNG has the size its folder names.
for size in 16 24 32 48 64 128 256; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
  [[ -f "$png" ]] || continue
  file -b "$png" | grep -q "^PNG image data, $size x $size," ||
    fail "${size}x${size} icon is $(file -b "$png")"
done

# --- The launcher, the AppStream component, the manual pages ------------------
desktop-file-validate "$root/usr/share/applications/$id.desktop" ||
  fail "desktop-file-validate refuses the launcher"
grep -qx "Icon=$id" "$root/usr/share/applications/$id.desktop" ||
  fail "the launcher's icon is not $id"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "appstreamcli refuses the metainfo"
# The tree as a whole: the component's launchable and icon must be found.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli refuses the installed tree"
for page in velmora velmora-cli; do
  gz=$root/usr/share/man/man1/$page.1.gz
  [[ -f "$gz" ]] || continue
  if ! man --warnings -E UTF-8 -l -Tutf8 -Z "$gz" >/dev/null 2>"$work/man.txt" ||
    [[ -s "$work/man.txt" ]]; then
    fail "man warns about $page.1: $(cat "$work/man.txt")"
  fi
done
# Every command velmora-cli has is in its manual page.
cli_page=$(MANWIDTH=100 man -l "$root/usr/share/man/man1/velmora-cli.1.gz" 2>/dev/null)
commands=$(sed -n '/^Commands:/,/^Dates/p' <("$build_dir/bin/velmora-cli" --help) |
  awk 'NR > 1 && /^  [a-z]/ {print $1}')
[[ -n "$commands" ]] || fail "velmora-cli --help lists no commands"
for command in $commands; do
  grep -qE "^ {7}$command( |$)" <<<"$cli_page" || fail "velmora-cli.1 does not describe $command"
done

# --- Where the programs look --------------------------------------------------
elf_files=()
while IFS= read -r -d '' file; do
  magic=$(head -c 4 "$file" | od -An -tx1 | tr -d ' \n')
  if [[ "$magic" == 7f454c46 ]]; then elf_files+=("$file"); fi
done < <(find "$root" -type f -print0)
[[ ${#elf_files[@]} -eq 9 ]] || fail "expected 9 ELF files, found ${#elf_files[@]}"
for file in "${elf_files[@]}"; do
  name=${file#"$root"}
  if readelf -d "$file" | grep -E '\((RPATH|RUNPATH)\)' >"$work/rpath.txt"; then
    fail "$name has a library search path: $(cat "$work/rpath.txt")"
  fi
  if grep -qF "$build_dir" "$file"; then fail "$name names the build tree $build_dir"; fi
  sections=$(readelf -S "$file")
  if grep -q '\.symtab' <<<"$sections"; then fail "$name is not stripped"; fi
done
# The folders the build wrote into the programs (velmora_install_layout.h)
# are those the package puts their parts in: a tree configured for another
# prefix, or install rules that drift from the layout, would leave an
# installed program looking elsewhere.
layout=$build_dir/src/sys/generated/velmora_install_layout.h
layout_dir() { sed -n "s/.* $1 = \"\(.*\)\";/\1/p" "$layout"; }
for pair in bin_dir:velmora bin_dir:velmora-cli lib_dir:velmora-cli-data lib_dir:vrx_reg \
  lib_dir:velmora_dict.so lib_dir:velmora_datamgmt.so lib_dir:velmora_fetch.so \
  lib_dir:velmora_ical.so lib_dir:velmora_dav.so \
  data_dir:zenqmodal.fx data_dir:zenqholiday.txt; do
  folder=$(layout_dir "${pair%%:*}")
  [[ -n "$folder" ]] || { fail "$layout names no ${pair%%:*}"; continue; }
  [[ -f "$root$folder/${pair#*:}" ]] || fail "${pair#*:} is not in ${pair%%:*} $folder"
done

if [[ "$failures" -gt 0 ]]; then
  echo "package_checks: $failures failure(s)" >&2
  exit 1
fi
echo "package_checks: $(basename "$deb") passes"
