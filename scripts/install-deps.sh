#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when missing.
# Extra package names on the command line are added (make tidy asks for
# clang-tidy, make format-check for clang-format).
# xvfb and xauth give `make run` a virtual display on a machine without one.
# qt6-translations-l10n carries Qt's own translations (qtbase_zh_CN.qm), which the
# window loads for its standard buttons and dialogs under the Chinese texts.
# libcurl4-openssl-dev comes back with the update check, its first user.
# python3-aiosmtpd is the real SMTP server the mail client is tested against;
# openssl makes the certificate its TLS tests trust.
# librsvg2-bin renders the PNG icons; lintian, desktop-file-utils and appstream
# check the Debian package, its desktop entry and its metainfo.
# ccache keeps rebuilds and the sanitizer builds short.
# nlohmann-json3-dev writes tarnwick-cli's --json reports and reads them in its tests.
set -euo pipefail
pkgs=(cmake g++ make pkg-config libgtest-dev
      libcurl4-openssl-dev nlohmann-json3-dev
      qt6-base-dev qt6-svg-dev qt6-multimedia-dev qt6-translations-l10n libusb-dev libudev-dev
      xvfb xauth python3-aiosmtpd openssl librsvg2-bin lintian desktop-file-utils appstream ccache
      "$@")
missing=()
for p in "${pkgs[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  SUDO=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
