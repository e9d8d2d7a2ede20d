#!/usr/bin/env bash
# Installs every Debian package the suite needs to build, run and test; quiet when nothing is missing.
# Idempotent: it asks dpkg first and only calls apt-get for what is absent.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build python3
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-translations-l10n
  libqscintilla2-qt6-dev
  qt6-webengine-dev
  libopencc-dev opencc
  libespeak-ng-dev espeak-ng-data libasound2-dev
  libmagick++-dev
  liblunar-date-dev libglib2.0-dev
  libx11-dev libxtst-dev libxi-dev libxcb1-dev
  libcpp-httplib-dev libboost-dev
  libsodium-dev
  xdg-utils desktop-file-utils libglib2.0-bin libxml2-utils
  fonts-wqy-zenhei
  poppler-utils xclip xterm
  googletest libgtest-dev libgmock-dev
  xvfb xauth xdotool x11-apps x11-utils x11-xserver-utils imagemagick xcompmgr openbox
  qt6-wayland sway xwayland grim wtype
  libbenchmark-dev
  libibus-1.0-dev ibus ibus-gtk3 gir1.2-ibus-1.0 python3-gi gir1.2-gtk-3.0 dbus
  xdg-desktop-portal xdg-desktop-portal-wlr pipewire wireplumber wl-clipboard
  clang-format
  libwayland-dev wayland-protocols libxkbcommon-dev xkb-data foot
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
