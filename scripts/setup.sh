#!/usr/bin/env bash
# Installs what the editor and its tests need on Debian 12 and registers the
# ODBC driver under the name the connection string uses. Safe to run again.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libqt6multimedia6
  qt6-qpa-plugins libgl-dev
  gstreamer1.0-plugins-good gstreamer1.0-plugins-base
  unixodbc unixodbc-dev odbc-mariadb
  mariadb-server mariadb-client
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-format
  fonts-liberation2 fonts-dejavu-core
  fonts-comic-neue
  xvfb xauth openbox x11-utils xdotool libxcb1-dev
  python3 lame
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Register the MariaDB driver under the name our connection string asks for.
# Other driver entries are left as they are.
DRIVER_NAME="MySQL ODBC 3.51 Driver"
DRIVER_LIB="$(dpkg -L odbc-mariadb | grep -m1 '/libmaodbc\.so$')"
if ! odbcinst -q -d -n "$DRIVER_NAME" >/dev/null 2>&1; then
  tmp="$(mktemp)"
  printf '[%s]\nDescription=MariaDB Connector/ODBC registered for the loot editor\nDriver=%s\nThreading=0\n' \
    "$DRIVER_NAME" "$DRIVER_LIB" > "$tmp"
  $SUDO odbcinst -i -d -f "$tmp" >/dev/null
  rm -f "$tmp"
  echo "setup: registered ODBC driver \"$DRIVER_NAME\" -> $DRIVER_LIB"
fi
