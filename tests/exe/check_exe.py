#!/usr/bin/env python3
"""Checks the built PortGauge.exe as a file: a 32-bit windowed program for
Windows 4.0 that imports only system DLLs and carries exactly two resources,
the icon group 102 (one 32 x 32, 24-bit image) and the version block.

usage: check_exe.py PortGauge.exe portgauge.ico
Exit code 0 when every check holds; each failed check is printed.
"""

import struct
import sys

SIZE_LIMIT = 256 * 1024
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
               "setupapi.dll", "ole32.dll", "msvcrt.dll"}
RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
VERSION_STRINGS = {
    "FileDescription": "Check for USB 2.0 ports",
    "FileVersion": "1.00.0001",
    "ProductVersion": "1.00.0001",
    "InternalName": "PortGauge",
    "OriginalFilename": "PortGauge",
    "ProductName": "PortGauge",
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


class Image:
    """The parts of a PE file the checks read."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        if self.magic != 0x10B:
            raise ValueError("not PE32 (optional header magic 0x%x)" % self.magic)
        (self.subsystem_major, self.subsystem_minor) = struct.unpack_from("<HH", data, optional + 48)
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = struct.unpack_from("<I", data, optional + 92)[0]
        self.directories = [struct.unpack_from("<II", data, optional + 96 + 8 * k)
                            for k in range(directories)]
        self.sections = []
        table = optional + optional_size
        for k in range(sections):
            name, virtual_size, rva, raw_size, raw_offset = struct.unpack_from(
                "<8sIIII", data, table + 40 * k)
            self.sections.append((name.rstrip(b"\0"), rva, max(virtual_size, raw_size), raw_offset, raw_size))

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva):
        for _, start, size, raw_offset, raw_size in self.sections:
            if start <= rva < start + size and rva - start < raw_size:
                return raw_offset + rva - start
        raise ValueError("RVA 0x%x is in no section" % rva)

    def bytes_at(self, rva, size):
        start = self.offset(rva)
        return self.data[start:start + size]

    def c_string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def imported_dlls(self):
        rva, _ = self.directory(1)
        dlls = []
        while rva:
            descriptor = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if not any(descriptor):
                break
            dlls.append(self.c_string(descriptor[3]))
            rva += 20
        return dlls

    def resources(self):
        """(type, name, language, data) for every resource; ids as ints, names as texts."""
        root, _ = self.directory(2)
        if not root:
            return []
        base = self.offset(root)
        found = []

        def walk(offset, path):
            named, numbered = struct.unpack_from("<HH", self.data, base + offset + 12)
            for k in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, base + offset + 16 + 8 * k)
                if name & 0x80000000:
                    at = base + (name & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at)[0]
                    key = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                else:
                    key = name
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, path + [key])
                else:
                    rva, size = struct.unpack_from("<II", self.data, base + target)
                    found.append((*(path + [key]), self.bytes_at(rva, size)))

        walk(0, [])
        return found


def version_node(data, at):
    """One node of a version block: (key, value bytes, value type, children, end)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_start = at + 6
    key_end = key_start
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if value_type == 1 else value_length
    value = data[value_at:value_at + value_size]
    children = []
    child = (value_at + value_size + 3) & ~3
    while child < end:
        node = version_node(data, child)
        children.append(node)
        child = (node[4] + 3) & ~3
    return key, value, value_type, children, end


def text_value(value):
    """A string value up to its terminator; None when it has none."""
    text = value.decode("utf-16-le", errors="replace")
    return text[:text.index("\0")] if "\0" in text else None


def check_icons(resources, icon_file):
    icons = [r for r in resources if r[0] == RT_ICON]
    groups = [r for r in resources if r[0] == RT_GROUP_ICON]
    if not check(len(icons) == 1, "one icon image, found %d" % len(icons)):
        return
    if not check(len(groups) == 1, "one icon group, found %d" % len(groups)):
        return
    _, image_id, _, image = icons[0]
    check(image_id == 1, "icon image id 1, found %r" % (image_id,))
    check(len(image) == 3240, "icon image of 3240 bytes, found %d" % len(image))
    header_size, width, height, planes, bits = struct.unpack_from("<IiiHH", image, 0)
    check((header_size, width, height, planes, bits) == (40, 32, 64, 1, 24),
          "icon image a 32 x 32, 24-bit DIB, found header %d, %d x %d, %d planes, %d bits"
          % (header_size, width, height, planes, bits))
    ico = open(icon_file, "rb").read()
    ico_size, ico_offset = struct.unpack_from("<II", ico, 6 + 8)
    check(image == ico[ico_offset:ico_offset + ico_size], "icon image is the one in %s" % icon_file)

    _, group_id, _, group = groups[0]
    check(group_id == 102, "icon group id 102, found %r" % (group_id,))
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    check((reserved, kind, count) == (0, 1, 1), "icon group of one icon, found %d" % count)
    if len(group) >= 6 + 14:
        entry = struct.unpack_from("<BBBBHHIH", group, 6)
        check(entry == (32, 32, 0, 0, 1, 24, 3240, 1),
              "group entry 32 x 32, 24 bits, 3240 bytes, image id 1, found %r" % (entry,))


def check_version(resources):
    blocks = [r for r in resources if r[0] == RT_VERSION]
    if not check(len(blocks) == 1, "one version block, found %d" % len(blocks)):
        return
    _, block_id, _, data = blocks[0]
    check(block_id == 1, "version block id 1, found %r" % (block_id,))
    key, fixed, _, children, _ = version_node(data, 0)
    check(key == "VS_VERSION_INFO", "version block key, found %r" % key)
    if check(len(fixed) == 52, "fixed part of 52 bytes, found %d" % len(fixed)):
        fields = struct.unpack_from("<13I", fixed)
        expected = (0xFEEF04BD, 0x00010000, 0x00010000, 0x00000001, 0x00010000, 0x00000001,
                    0x3F, 0, 4, 1, 0, 0, 0)
        check(fields == expected, "fixed part: version 1.0.0.1, mask 0x3F, flags 0, OS 4, type 1;"
              " found %s" % ", ".join("0x%X" % f for f in fields))

    keys = [child[0] for child in children]
    check(keys == ["StringFileInfo", "VarFileInfo"],
          "StringFileInfo then VarFileInfo, found %r" % keys)
    for child_key, _, _, grandchildren, _ in children:
        if child_key == "StringFileInfo":
            tables = [g[0] for g in grandchildren]
            if not check(tables == ["040904B0"], "one string table 040904B0, found %r" % tables):
                continue
            strings = {s[0]: text_value(s[1]) for s in grandchildren[0][3]}
            check(strings == VERSION_STRINGS, "version strings %r, found %r" % (VERSION_STRINGS, strings))
        elif child_key == "VarFileInfo":
            variables = [(g[0], g[1]) for g in grandchildren]
            check(variables == [("Translation", struct.pack("<HH", 0x0409, 0x04B0))],
                  "translation 0x0409, 0x04B0, found %r" % variables)


def main(exe_file, icon_file):
    data = open(exe_file, "rb").read()
    try:
        image = Image(data)
    except ValueError as error:
        print("check_exe: %s: %s" % (exe_file, error))
        return 1

    check(len(data) <= SIZE_LIMIT, "at most %d bytes, found %d" % (SIZE_LIMIT, len(data)))
    check(image.machine == 0x14C, "i386 machine, found 0x%x" % image.machine)
    check(image.characteristics & 0x0002 and not image.characteristics & 0x2000,
          "an executable image, not a DLL")
    check(image.subsystem == 2, "the windowed (GUI) subsystem, found %d" % image.subsystem)
    check((image.subsystem_major, image.subsystem_minor) == (4, 0),
          "subsystem version 4.0, found %d.%d" % (image.subsystem_major, image.subsystem_minor))

    dlls = image.imported_dlls()
    foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
    check(not foreign, "imports only system DLLs, found %r" % foreign)
    check(image.directory(13) == (0, 0), "no delay-loaded imports")

    resources = image.resources()
    types = sorted({r[0] for r in resources}, key=str)
    check(types == sorted({RT_ICON, RT_GROUP_ICON, RT_VERSION}, key=str),
          "resources: icon, icon group and version only (no manifest), found types %r" % types)
    check_icons(resources, icon_file)
    check_version(resources)

    print("check_exe: %s: %d bytes, imports %s, %d resources"
          % (exe_file, len(data), ", ".join(dlls), len(resources)))
    for failure in failures:
        print("check_exe: FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
