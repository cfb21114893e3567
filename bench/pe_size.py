#!/usr/bin/python3
"""Where the bytes of a Windows executable go: its file size, the bytes each
section takes in the file, and the resources by kind (count and bytes).

usage: pe_size.py <exe>...
"""
import struct
import sys

KINDS = {1: "cursor", 2: "bitmap", 3: "icon image", 4: "menu", 5: "dialog", 6: "string",
         9: "accelerators", 10: "raw data", 12: "cursor group", 14: "icon group",
         16: "version", 24: "manifest"}


def sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("pe_size: not a PE file")
    count, symbols, nsymbols, opt_size = struct.unpack_from("<H4xIIH", data, pe + 6)
    strings = symbols + 18 * nsymbols  # long section names: "/offset" into it
    first = pe + 24 + opt_size
    out = []
    for k in range(count):
        name, vsize, va, raw_size, raw_ptr = struct.unpack_from("<8sIIII", data, first + 40 * k)
        name = name.rstrip(b"\0").decode("ascii", "replace")
        if name.startswith("/") and name[1:].isdigit() and symbols:
            at = strings + int(name[1:])
            name = data[at:data.index(b"\0", at)].decode("ascii", "replace")
        out.append((name, va, vsize, raw_ptr, raw_size))
    return out


def resources(data, rsrc):
    """(kind name, data size) of every resource, walking type, name and
    language directories."""
    _, va, _, raw_ptr, _ = rsrc

    def directory(offset):
        named, ids = struct.unpack_from("<12xHH", data, raw_ptr + offset)
        for k in range(named + ids):
            ident, target = struct.unpack_from("<II", data, raw_ptr + offset + 16 + 8 * k)
            yield ident, target

    def kind_name(ident):
        if ident & 0x80000000:
            at = raw_ptr + (ident & 0x7FFFFFFF)
            n = struct.unpack_from("<H", data, at)[0]
            return '"%s"' % data[at + 2:at + 2 + 2 * n].decode("utf-16-le")
        return KINDS.get(ident, "type %d" % ident)

    def leaves(target):
        if target & 0x80000000:
            for _, sub in directory(target & 0x7FFFFFFF):
                yield from leaves(sub)
        else:
            yield struct.unpack_from("<II", data, raw_ptr + target)[1]

    for ident, target in directory(0):
        for size in leaves(target):
            yield kind_name(ident), size


def report(path):
    data = open(path, "rb").read()
    secs = sections(data)
    print("%s: %d bytes (%.1f KiB)" % (path, len(data), len(data) / 1024))
    in_sections = 0
    for name, _, vsize, _, raw_size in secs:
        in_sections += raw_size
        print("  section %-16s %9d bytes in the file%s" % (
            name, raw_size, "" if raw_size else " (%d in memory)" % vsize))
    print("  %-24s %9d bytes" % ("headers, symbols", len(data) - in_sections))
    rsrc = next((s for s in secs if s[0] == ".rsrc"), None)
    if rsrc is None:
        return
    kinds = {}
    for kind, size in resources(data, rsrc):
        count, total = kinds.get(kind, (0, 0))
        kinds[kind] = (count + 1, total + size)
    for kind, (count, total) in sorted(kinds.items(), key=lambda kv: -kv[1][1]):
        print("  resource %-15s %3d x %9d bytes" % (kind, count, total))
    print("  %-24s %9d bytes" % ("resource tables",
                                 rsrc[4] - sum(total for _, total in kinds.values())))


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__.strip())
    for path in argv[1:]:
        report(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
