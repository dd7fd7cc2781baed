#!/usr/bin/env bash
# Installs what building, running and testing Pelorin need on a Debian 12 machine, as root.
# Installs only what is missing; safe to run again.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev pkg-config
  mingw-w64 wine wine64 fonts-wine
  libgtest-dev libgmock-dev
  xvfb x11-utils imagemagick fonts-liberation
  tftpd-hpa tftp-hpa curl
  python3 iproute2 util-linux procps locales
  cups printer-driver-cups-pdf poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  # Packages that bring a service (tftpd-hpa, cups) must not start it: the tests start their own
  # servers on loopback or on a socket, nothing listens on the machine's other addresses. The
  # temporary policy goes whatever happens, so that a failed apt-get does not leave every service
  # start blocked.
  policy=/usr/sbin/policy-rc.d
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' > "$policy"
    chmod +x "$policy"
    trap 'rm -f "$policy"' EXIT
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# tftpd-hpa is here for its program only (the interop tests and the benchmark start their own
# server on loopback). Its package enables a boot-time service that would serve TFTP on every
# address of the machine after the next boot: switch that off.
if [ -e /etc/init.d/tftpd-hpa ] && ls /etc/rc[2-5].d/S*tftpd-hpa >/dev/null 2>&1; then
  echo "setup: disabling the tftpd-hpa service (only its program is needed)"
  update-rc.d tftpd-hpa disable >/dev/null 2>&1 || true
fi
if command -v systemctl >/dev/null && [ -e /lib/systemd/system/tftpd-hpa.service ] &&
   systemctl is-enabled --quiet tftpd-hpa.service 2>/dev/null; then
  echo "setup: disabling the tftpd-hpa service (only its program is needed)"
  systemctl disable --quiet tftpd-hpa.service || true
fi

# Wine runs with a Russian system locale, so that its ANSI code page is 1251 as on the
# operators' machines.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf8$'; then
  echo "setup: generating the ru_RU.UTF-8 locale"
  sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
