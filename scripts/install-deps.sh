#!/usr/bin/env bash
# Installs every package the build and the tests need (Debian 12, as root). Idempotent.
set -euo pipefail
pkgs=(wine wine64 wine32:i386 g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev cmake make
      acl xvfb xauth imagemagick googletest clang-14 libclang-rt-14-dev clang-format
      liblnk-utils zlib1g-dev fonts-wine locales)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Wine runs as this unprivileged user in the test sandbox.
id zsandbox >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin zsandbox
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The German demo runs under LC_ALL=de_DE.UTF-8 (README): without the locale the shell warns
# at every start and the host tools fall back to plain ASCII.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
# Tests of double-byte names run Wine in code page 932 (LC_ALL=ja_JP.UTF-8); without the C
# library's locale of that name Wine's file names fall back to ASCII.
locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' || localedef -i ja_JP -c -f UTF-8 ja_JP.UTF-8
