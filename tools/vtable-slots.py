#!/usr/bin/env python3
"""Prints the first COUNT virtual-function slots of CLASS's vtable as a host
reads them from a built library (an ELF shared object or a PE DLL, as
binutils reads either): one line per slot, its number and the function it
holds, demangled.

    tools/vtable-slots.py build/libkelvane.so Kelvane 3
    0 vrel_client_callback::vrel_scalar_deleting_destructor(unsigned int)
    1 vrel_script_helper::notify(void*, int)
    2 Kelvane::~Kelvane() [complete]

The object's vtable pointer points past the offset to the top and the type
information, two words into the symbol. The library must keep its symbol
table (not stripped)."""
import re
import struct
import subprocess
import sys


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    path, cls, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    header = run("objdump", "-f", path)
    bits = 64 if re.search(r"file format (elf64|pei-x86-64)", header) else 32
    word = bits // 8
    vtable_symbol = "_ZTV%d%s" % (len(cls), cls)

    # Every symbol's address; functions by address for the slots.
    names = {}
    vtable = None
    for line in run("nm", "--defined-only", path).splitlines():
        fields = line.split()
        if len(fields) != 3:
            continue
        address, name = int(fields[0], 16), fields[2]
        if name.lstrip("_") == vtable_symbol.lstrip("_") and name.endswith(vtable_symbol):
            vtable = address
        # Functions; not the COMDAT section symbols (".text$...") at the same address.
        if fields[1] in "tTwW" and not name.startswith("."):
            names.setdefault(address, name)
    if vtable is None:
        sys.exit("%s: no vtable of %s (%s) in its symbols" % (path, cls, vtable_symbol))

    # The section holding the vtable, to read its words from the file.
    contents = open(path, "rb").read()
    for line in run("objdump", "-h", path).splitlines():
        fields = line.split()
        if len(fields) >= 7 and fields[0].isdigit():
            size, vma, offset = int(fields[2], 16), int(fields[3], 16), int(fields[5], 16)
            if vma <= vtable < vma + size:
                break
    else:
        sys.exit("%s: the vtable of %s lies in no section" % (path, cls))

    fmt = "<Q" if bits == 64 else "<I"
    slots = []
    for slot in range(count):
        at = offset + (vtable - vma) + (2 + slot) * word
        (target,) = struct.unpack_from(fmt, contents, at)
        slots.append(names.get(target, "0x%x (no function there)" % target))
    # A PE symbol carries one more leading underscore than the mangled name.
    mangled = ["_" + s.lstrip("_") if s.startswith("__Z") else s for s in slots]
    demangled = run("c++filt", *mangled).splitlines()
    # gcc's two destructors demangle alike; say which is which.
    kinds = {"D0Ev": " [deleting]", "D1Ev": " [complete]"}
    for slot, (name, symbol) in enumerate(zip(demangled, mangled)):
        print(slot, name + kinds.get(symbol[-4:], "") if symbol.startswith("_Z") else name)


if __name__ == "__main__":
    main()
