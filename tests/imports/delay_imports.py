#!/usr/bin/env python3
"""Lists the delay-loaded imports of a PE file, one "DLL!Function" (or
"DLL!#ordinal") a line.

  delay_imports.py FILE [NM...]

The delay-load descriptors are found through the optional header's delay-import
directory when the linker filled it in, and otherwise through the symbols
__DELAY_IMPORT_DESCRIPTOR_* that MinGW's delay-load libraries leave in the
symbol table (GNU ld leaves the directory empty); NM names the nm programs to
ask, in turn, until one reads the file.
Exit status 0 with the list (possibly empty), 2 when the file cannot be read.
"""
import os
import struct
import subprocess
import sys


def symbols(path, nms):
    """nm's listing of path from the first of nms that reads it, or ""."""
    for nm in nms:
        try:
            run = subprocess.run([nm, path], capture_output=True, text=True, check=False)
        except OSError:
            continue
        if run.returncode == 0:
            return run.stdout
    return ""


def main():
    if len(sys.argv) < 2:
        print("usage: delay_imports.py FILE [NM]", file=sys.stderr)
        return 2
    path = sys.argv[1]
    nms = sys.argv[2:] or ["i686-w64-mingw32-nm", "x86_64-w64-mingw32-nm"]
    try:
        data = open(path, "rb").read()
    except OSError as e:
        print(f"cannot read {path}: {e}", file=sys.stderr)
        return 2
    pe = struct.unpack_from("<I", data, 0x3C)[0] if len(data) >= 0x40 else 0
    if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
        print(f"{path} is not a PE file", file=sys.stderr)
        return 2
    sections_count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    wide = struct.unpack_from("<H", data, opt)[0] == 0x20B  # PE32+
    image_base = struct.unpack_from("<Q", data, opt + 24)[0] if wide else struct.unpack_from("<I", data, opt + 28)[0]
    directories = opt + (112 if wide else 96)
    delay_rva, delay_size = struct.unpack_from("<II", data, directories + 13 * 8)
    # Each section's size in memory, address, size in the file and file offset.
    sections = [struct.unpack_from("<IIII", data, opt + optional_size + 40 * i + 8) for i in range(sections_count)]

    def offset(rva):
        for vsize, vaddr, rsize, roff in sections:
            if vaddr <= rva < vaddr + max(vsize, rsize) and rva - vaddr < rsize:
                return roff + rva - vaddr
        raise ValueError(f"address {rva:#x} lies in no section")

    def text_at(rva):
        o = offset(rva)
        return data[o:data.index(b"\0", o)].decode("latin-1")

    descriptors = []
    if delay_rva:
        descriptors = [delay_rva + 32 * i for i in range(delay_size // 32 if delay_size else 1000)]
    else:
        out = symbols(path, nms)
        if "__DELAY_IMPORT_DESCRIPTOR_" not in out:
            # A stripped program: its symbols are in the debug file its debug
            # link names, NAME.debug beside it (the image's addresses are unchanged).
            if os.path.exists(path + ".debug"):
                out = symbols(path + ".debug", nms)
        for line in out.splitlines():
            parts = line.split()
            if len(parts) == 3 and parts[2].startswith("__DELAY_IMPORT_DESCRIPTOR_"):
                descriptors.append(int(parts[0], 16) - image_base)

    names = []
    for rva in sorted(set(descriptors)):
        attrs, dll_name, _hmod, _iat, int_table = struct.unpack_from("<IIIII", data, offset(rva))
        if dll_name == 0:
            break  # the table's closing zero descriptor
        # Attribute bit 0: the fields are relative addresses; without it, addresses.
        base = 0 if attrs & 1 else image_base
        dll = text_at(dll_name - base)
        entry = int_table - base
        step = 8 if wide else 4
        while True:
            thunk = struct.unpack_from("<Q" if wide else "<I", data, offset(entry))[0]
            if thunk == 0:
                break
            if thunk >> (63 if wide else 31):
                names.append(f"{dll}!#{thunk & 0xFFFF}")
            else:
                names.append(f"{dll}!{text_at(thunk - base + 2)}")
            entry += step
    for n in names:
        print(n)
    return 0


if __name__ == "__main__":
    sys.exit(main())
