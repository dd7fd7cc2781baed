#!/usr/bin/env bash
# Installs what building, running and testing Pelorin need on a Debian 12 machine, as root.
# Installs only what is missing; safe to run again.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev pkg-config
  mingw-w64 wine wine64
  libgtest-dev libgmock-dev
  xvfb x11-utils imagemagick fonts-liberation
  tftpd-hpa tftp-hpa curl
  python3 iproute2 util-linux procps locales
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  # Packages that bring a service (tftpd-hpa) must not start it: the tests start their own
  # servers on loopback, nothing listens on the machine's other addresses.
  policy=/usr/sbin/policy-rc.d
  created_policy=0
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' > "$policy"
    chmod +x "$policy"
    created_policy=1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
  [ "$created_policy" = 1 ] && rm -f "$policy"
fi

# Wine runs with a Russian system locale, so that its ANSI code page is 1251 as on the
# operators' machines.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf8$'; then
  echo "setup: generating the ru_RU.UTF-8 locale"
  sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
