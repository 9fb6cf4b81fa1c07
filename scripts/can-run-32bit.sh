#!/usr/bin/env bash
# Exit 0 when this machine runs 32-bit x86 processes, 1 when it does not.
# Some kernels have 32-bit process support turned off; then the 32-bit Wine loader (an i386 Linux
# program) cannot start and no 32-bit Windows code runs at all, not even through wow64. The probe
# is a 93-byte static i386 Linux program that only exits with status 42: the kernel either runs it
# or refuses it with "Exec format error". It needs nothing installed.
set -u
probe=$(mktemp "${TMPDIR:-/tmp}/zt-i386-probe.XXXXXX") || exit 1
trap 'rm -f "$probe"' EXIT
# ELF header (52 bytes), one loadable segment (32 bytes), then: mov eax,1 ; mov ebx,42 ; int 0x80
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null
[ $? -eq 42 ]
