#!/bin/sh
# Installs what the build and its tests need on a Debian 12 machine, as root.
# Quick and silent when everything is already there, so every make target can call it.
#   setup.sh          build, tests (under code pages 936, 1252 and 65001), run
#                     and screenshot
#   setup.sh fuzz     adds clang and its fuzzing runtime
#   setup.sh bench    adds the tools the benchmarks compare against
set -eu

packages="cmake make g++ python3 googletest libbenchmark-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei locales
  nlohmann-json3-dev libsimde-dev"
locales="zh_CN.UTF-8 en_US.UTF-8 hi_IN.UTF-8"
case "${1:-}" in
  fuzz)  packages="$packages clang libclang-rt-14-dev" ;;
  bench) packages="$packages coreutils libc-bin time"; locales="$locales zh_CN.GBK" ;;
esac

missing=""
for p in $packages; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in *" installed") ;; *) missing="$missing $p" ;; esac
done

if [ -n "$missing" ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages:$missing (run as root, or install them)" >&2
    exit 1
  fi
  echo "setup: installing$missing"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

for loc in $locales; do
  # locale -a spells zh_CN.UTF-8 as zh_CN.utf8 and zh_CN.GBK as zh_CN.gbk
  short=$(echo "$loc" | tr 'A-Z' 'a-z' | tr -d '-')
  if ! locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "$short"; then
    charset=${loc#*.}
    line="$loc $charset"
    grep -qx "$line" /etc/locale.gen 2>/dev/null || \
      sed -i "s/^# *\($loc $charset\)\$/\1/" /etc/locale.gen
    grep -qx "$line" /etc/locale.gen || echo "$line" >> /etc/locale.gen
    locale-gen >/dev/null
  fi
done
