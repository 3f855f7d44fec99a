#!/usr/bin/env bash
# Lets this machine run 32-bit x86 Linux programs (Wine's 32-bit loader and
# server) when its kernel cannot: some virtual machines run 64-bit user code
# only, and starting an i386 program fails with "Exec format error". Such
# programs then run under qemu's user-mode emulator through binfmt_misc.
# Debian 12's qemu 7.2 scans the guest's memory map page by page on every
# mmap, which costs Wine about a minute per process; the backports version
# does not. Run as root, after wine32:i386 is installed. Does nothing where
# 32-bit programs run natively.
set -euo pipefail

entry=/proc/sys/fs/binfmt_misc/qemu-i386
if [ ! -e "$entry" ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  exit 0
fi

version=$(qemu-i386 --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p' || true)
if [ -z "$version" ] || [ "$version" -lt 8 ]; then
  backports=$(. /etc/os-release && echo "$VERSION_CODENAME")-backports
  echo "setup: 32-bit programs need emulation here; installing qemu-user-static from $backports"
  # The backports suite from wherever the machine takes its distribution.
  if ! grep -rqs -- "$backports" /etc/apt/sources.list /etc/apt/sources.list.d/; then
    source "$(dirname "$0")/apt-sources.sh"
    apt_sources_like deb "${backports%-backports}=$backports" \
      "/etc/apt/sources.list.d/$backports.list" "/etc/apt/sources.list.d/$backports.sources"
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends -t "$backports" qemu-user-static >/dev/null
  installed=1
fi

if ! grep -qs binfmt_misc /proc/mounts; then
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
fi
# With the F flag the kernel keeps the interpreter file it opened at
# registration, so an upgrade needs a new registration. Otherwise an existing
# one is left alone: other programs may be starting through it right now.
interpreter=$(readlink -f "$(command -v qemu-i386)")
if [ -e "$entry" ] && { [ -n "${installed:-}" ] || ! grep -qx "interpreter $interpreter" "$entry"; }; then
  echo -1 > "$entry"
fi
if [ ! -e "$entry" ]; then
  printf '%s' ":qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$interpreter:F" \
    > /proc/sys/fs/binfmt_misc/register
fi

if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  echo "setup: 32-bit programs still cannot run on this machine" >&2
  exit 1
fi
