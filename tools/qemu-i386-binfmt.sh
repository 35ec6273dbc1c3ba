#!/usr/bin/env bash
# Lets a kernel that runs no 32-bit x86 code itself start 32-bit Linux
# programs (Wine's 32-bit loader among them) through qemu-i386: registers
# qemu-i386 with binfmt_misc for i386 ELF executables, with flag F (the
# interpreter is opened now, so it serves every process whatever its mount
# namespace). Does nothing when qemu-i386 is registered already. Needs root;
# uses sudo otherwise. Lasts until the machine restarts.
set -euo pipefail
dir=/proc/sys/fs/binfmt_misc
[ -e "$dir/qemu-i386" ] && exit 0
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
[ -e "$dir/register" ] || "${sudo[@]}" mount -t binfmt_misc binfmt_misc "$dir"
qemu=$(command -v qemu-i386) || { echo "qemu-i386-binfmt: qemu-i386 is missing (Debian's qemu-user)" >&2; exit 1; }
# The ELF header of a 32-bit x86 executable or shared object, and the bits compared.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
echo ":qemu-i386:M::$magic:$mask:$qemu:F" | "${sudo[@]}" tee "$dir/register" >/dev/null
echo "qemu-i386-binfmt: 32-bit x86 programs now start under $qemu"
