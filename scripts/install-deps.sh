#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need.
# Idempotent and non-interactive: packages already present are not touched,
# so a second run costs one dpkg query.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev clang-format
  libgtest-dev libgmock-dev libcue-dev
  libogg-dev libvorbis-dev libmp3lame-dev libasound2-dev libflac-dev libopusenc-dev libopus-dev
  libmpg123-dev
  libcdio-dev libcdio-paranoia-dev libcurl4-openssl-dev zlib1g-dev libssl-dev nlohmann-json3-dev
  libudev-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  lame vorbis-tools sox flac opus-tools cd-paranoia python3-mutagen id3v2
  xvfb xauth libxcb1-dev libxcb-xtest0-dev
  desktop-file-utils appstream dpkg-dev
  dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
