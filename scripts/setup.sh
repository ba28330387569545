#!/usr/bin/env bash
# Installs the Debian packages a build and test run needs, only those missing.
# Quiet when everything is present. Works as root or through sudo.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libsqlite3-dev libjpeg62-turbo-dev libcurl4-openssl-dev libicu-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev liblz4-dev libical-dev python3-icalendar
  libxml2-dev radicale
  libxcb1-dev xvfb xauth xdotool x11-utils imagemagick fontconfig fonts-wqy-microhei jwm
  clang-format clang-tidy faketime xdg-utils xclip chromium
  weston xwayland qt6-wayland python3-dbus python3-gi dbus-daemon qt6-translations-l10n
  dpkg-dev lintian desktop-file-utils appstream librsvg2-bin
  g++-mingw-w64-x86-64-posix wine
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: missing packages (${missing[*]}) and neither root nor sudo is available" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
