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
  libreoffice-calc-nogui
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  # Packages that bring a service (tftpd-hpa, cups) must not start it: the tests start their own
  # servers on loopback or on a socket of their own, nothing listens on the machine's other
  # addresses. The temporary policy goes whatever happens, so that a failed apt-get does not leave
  # every service start blocked.
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

# tftpd-hpa and cups are here for their programs only: the interop tests and the benchmark start
# their own TFTP server on loopback, the tests and the demo their own CUPS scheduler on a socket in
# their working folder. Their packages enable services that would start at the next boot, serving
# TFTP on every address of the machine and running the system's print scheduler: switch them off,
# for SysV init and systemd alike (the packages make both kinds of links whatever the init).
disable_at_boot() {  # INIT-SCRIPT [SYSTEMD-UNIT...]
  local script=$1 unit units=()
  shift
  if compgen -G "/etc/rc[2-5].d/S[0-9][0-9]$script" >/dev/null; then
    echo "setup: disabling the $script service at boot (only its program is needed)"
    update-rc.d "$script" disable >/dev/null 2>&1 || true
  fi
  for unit in "$@"; do
    if compgen -G "/etc/systemd/system/*.wants/$unit" >/dev/null; then units+=("$unit"); fi
  done
  if ((${#units[@]})); then
    echo "setup: disabling ${units[*]} at boot (only the program is needed)"
    if command -v systemctl >/dev/null; then
      systemctl disable --quiet "${units[@]}" || true
    else
      # No systemd here (yet): its links are all that enables a unit, and their being gone keeps
      # it disabled through package upgrades too.
      for unit in "${units[@]}"; do rm -f /etc/systemd/system/*.wants/"$unit"; done
    fi
  fi
  for unit in "$@"; do
    if compgen -G "/etc/systemd/system/*.wants/$unit" >/dev/null; then
      echo "setup: $unit is still enabled at boot" >&2
    fi
  done
}
disable_at_boot tftpd-hpa
disable_at_boot cups cups.service cups.socket cups.path

# Wine runs with a Russian system locale, so that its ANSI code page is 1251 as on the
# operators' machines; the journal's export is also checked under an English user's locale.
for wanted in ru_RU en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf8$"; then
    echo "setup: generating the $wanted.UTF-8 locale"
    sed -i "s/^# *\($wanted.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" >> /etc/locale.gen
    generate=1
  fi
done
if [ -n "${generate:-}" ]; then locale-gen >/dev/null; fi
