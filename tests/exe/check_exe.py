#!/usr/bin/python3
"""Checks a built PortGauge.exe as a file: a windowed program (PE32 for i386
with subsystem 4.0, or PE32+ for AMD64 with subsystem 5.2) that imports only
system DLLs and carries exactly two resources, the icon group 102 (one
32 x 32, 24-bit image) and the version block, and no more than 256 KiB.

usage: check_exe.py x86|x64 PortGauge.exe portgauge.ico
Exit code 0 when every check holds; each failed check is printed.
Run it with Debian's python3, which has the pefile module (python3-pefile).
"""

import struct
import sys

import pefile

SIZE_LIMIT = 256 * 1024
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
               "setupapi.dll", "ole32.dll", "msvcrt.dll"}
# Per target: machine, optional header magic, subsystem version.
TARGETS = {
    "x86": (pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"], pefile.OPTIONAL_HEADER_MAGIC_PE, (4, 0)),
    "x64": (pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"], pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS, (5, 2)),
}
RT_ICON = pefile.RESOURCE_TYPE["RT_ICON"]
RT_GROUP_ICON = pefile.RESOURCE_TYPE["RT_GROUP_ICON"]
RT_VERSION = pefile.RESOURCE_TYPE["RT_VERSION"]
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


def resources(pe):
    """(type, name, language, data) for every resource; ids as ints, names as texts."""
    found = []
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found

    def key(entry):
        return str(entry.name) if entry.name is not None else entry.id

    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                data = language.data.struct
                found.append((key(kind), key(name), language.id, pe.get_data(data.OffsetToData, data.Size)))
    return found


def check_icons(found, icon_file):
    icons = [r for r in found if r[0] == RT_ICON]
    groups = [r for r in found if r[0] == RT_GROUP_ICON]
    if not check(len(icons) == 1, "one icon image, found %d" % len(icons)):
        return
    if not check(len(groups) == 1, "one icon group, found %d" % len(groups)):
        return
    _, image_id, _, image = icons[0]
    check(image_id == 1, "icon image id 1, found %r" % (image_id,))
    header_size, width, height, planes, bits = struct.unpack_from("<IiiHH", image, 0)
    check((header_size, width, height, planes, bits) == (40, 32, 64, 1, 24),
          "icon image a 32 x 32, 24-bit DIB, found header %d, %d x %d, %d planes, %d bits"
          % (header_size, width, height, planes, bits))
    with open(icon_file, "rb") as ico_file:
        ico = ico_file.read()
    ico_size, ico_offset = struct.unpack_from("<II", ico, 6 + 8)
    check(image == ico[ico_offset:ico_offset + ico_size], "icon image is the one in %s" % icon_file)

    _, group_id, _, group = groups[0]
    check(group_id == 102, "icon group id 102, found %r" % (group_id,))
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    check((reserved, kind, count) == (0, 1, 1), "icon group of one icon, found %d" % count)
    if len(group) >= 6 + 14:
        entry = struct.unpack_from("<BBBBHHIH", group, 6)
        check(entry == (32, 32, 0, 0, 1, 24, len(image), 1),
              "group entry 32 x 32, 24 bits, %d bytes, image id 1, found %r" % (len(image), entry))


def check_version(pe, found):
    blocks = [r for r in found if r[0] == RT_VERSION]
    if not check(len(blocks) == 1, "one version block, found %d" % len(blocks)):
        return
    check(blocks[0][1] == 1, "version block id 1, found %r" % (blocks[0][1],))
    if not check(hasattr(pe, "VS_FIXEDFILEINFO"), "a readable version block"):
        return
    fixed = pe.VS_FIXEDFILEINFO[0]
    fields = (fixed.Signature, fixed.StrucVersion, fixed.FileVersionMS, fixed.FileVersionLS,
              fixed.ProductVersionMS, fixed.ProductVersionLS, fixed.FileFlagsMask, fixed.FileFlags,
              fixed.FileOS, fixed.FileType, fixed.FileSubtype, fixed.FileDateMS, fixed.FileDateLS)
    expected = (0xFEEF04BD, 0x00010000, 0x00010000, 0x00000001, 0x00010000, 0x00000001,
                0x3F, 0, 4, 1, 0, 0, 0)
    check(fields == expected, "fixed part: version 1.0.0.1, mask 0x3F, flags 0, OS 4, type 1;"
          " found %s" % ", ".join("0x%X" % f for f in fields))

    infos = [info for infos in getattr(pe, "FileInfo", []) for info in infos]
    keys = [info.Key.decode() for info in infos]
    check(keys == ["StringFileInfo", "VarFileInfo"], "StringFileInfo then VarFileInfo, found %r" % keys)
    for info in infos:
        if info.Key == b"StringFileInfo":
            tables = [table.LangID.decode().upper() for table in info.StringTable]
            if not check(tables == ["040904B0"], "one string table 040904B0, found %r" % tables):
                continue
            strings = {k.decode(): v.decode() for k, v in info.StringTable[0].entries.items()}
            check(strings == VERSION_STRINGS, "version strings %r, found %r" % (VERSION_STRINGS, strings))
        elif info.Key == b"VarFileInfo":
            variables = [(k.decode(), v) for var in info.Var for k, v in var.entry.items()]
            check(variables == [("Translation", "0x0409 0x04b0")],
                  "translation 0x0409, 0x04B0, found %r" % variables)


def main(target, exe_file, icon_file):
    machine, magic, subsystem_version = TARGETS[target]
    try:
        pe = pefile.PE(exe_file)
    except (OSError, pefile.PEFormatError) as error:
        print("check_exe: %s: %s" % (exe_file, error))
        return 1
    size = len(pe.__data__)

    check(size <= SIZE_LIMIT, "at most %d bytes, found %d" % (SIZE_LIMIT, size))
    check(pe.FILE_HEADER.Machine == machine,
          "machine 0x%x, found 0x%x" % (machine, pe.FILE_HEADER.Machine))
    check(pe.OPTIONAL_HEADER.Magic == magic,
          "optional header magic 0x%x, found 0x%x" % (magic, pe.OPTIONAL_HEADER.Magic))
    check(pe.is_exe() and not pe.is_dll(), "an executable image, not a DLL")
    check(pe.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"],
          "the windowed (GUI) subsystem, found %d" % pe.OPTIONAL_HEADER.Subsystem)
    found_version = (pe.OPTIONAL_HEADER.MajorSubsystemVersion, pe.OPTIONAL_HEADER.MinorSubsystemVersion)
    check(found_version == subsystem_version,
          "subsystem version %d.%d, found %d.%d" % (subsystem_version + found_version))

    dlls = [entry.dll.decode() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
    check(dlls and not foreign, "imports only system DLLs, found %r" % dlls)
    check(not hasattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT"), "no delay-loaded imports")

    found = resources(pe)
    types = sorted({r[0] for r in found}, key=str)
    check(types == sorted({RT_ICON, RT_GROUP_ICON, RT_VERSION}, key=str),
          "resources: icon, icon group and version only (no manifest), found types %r" % types)
    check_icons(found, icon_file)
    check_version(pe, found)

    print("check_exe: %s: %s, %d bytes, subsystem %d.%d, imports %s, %d resources"
          % (exe_file, target, size, found_version[0], found_version[1], ", ".join(dlls), len(found)))
    for failure in failures:
        print("check_exe: FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] not in TARGETS:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3]))
