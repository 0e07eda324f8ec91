#!/usr/bin/env bash
# Installs the Debian packages the monitor needs to build, run and test. Does nothing when they
# are all present already.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev qt6-tools-dev qt6-l10n-tools libgl-dev
    # The metrics test reads the page with a real Prometheus parser.
    python3-prometheus-client
    # AES for the encrypted panel protocol (OpenSSL's libcrypto).
    libssl-dev
    # scripts/test.sh checks the format and the structure of the code.
    clang-format python3
    # The fuzz programs (scripts/fuzz.sh): clang and its libFuzzer and sanitizer runtimes.
    clang libclang-rt-14-dev
    # The package check: dpkg-shlibdeps (and the file program CPack runs before it) and the
    # validators of the desktop entry, the metainfo and the systemd unit, and man for the
    # manual page, and logrotate for the rule of the service's logs.
    dpkg-dev file desktop-file-utils appstream systemd man-db groff-base logrotate)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "${missing[@]}"
