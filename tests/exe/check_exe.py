#!/usr/bin/python3
"""Checks a built PortGauge.exe as a file: a windowed program (PE32 for i386
with subsystem 4.0, or PE32+ for AMD64 with subsystem 5.2) that imports only
system DLLs and carries exactly two resources, the icon group 102 (one
32 x 32, 24-bit image) and the version block, and no more than 256 KiB.

And what no run under Wine can show, since Wine exports every function and
runs on a modern processor:
- every imported function is exported by the oldest Windows the exe is for
  (Windows 2000 for x86, XP x64 / Server 2003 x64 for x64), as the table
  windows_exports.tsv beside this script says, with its public source; an
  import the table does not list fails until it has been looked up;
- no instruction of its code needs a newer processor than the oldest it is
  for: a Pentium Pro (i686, no MMX or SSE) for x86, the first x86-64
  processors (SSE2, no AVX) for x64.

usage: check_exe.py x86|x64 PortGauge.exe portgauge.ico
Exit code 0 when every check holds; each failed check is printed.
Run it with Debian's python3, which has the pefile module (python3-pefile).
"""

import csv
import os
import re
import struct
import subprocess
import sys

import pefile

SIZE_LIMIT = 256 * 1024
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
               "setupapi.dll", "ole32.dll", "msvcrt.dll"}
# Per target: machine, optional header magic, subsystem version, the oldest
# Windows it must start on, and the disassembler of its code.
TARGETS = {
    "x86": (pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"], pefile.OPTIONAL_HEADER_MAGIC_PE, (4, 0),
            "Windows 2000", "i686-w64-mingw32-objdump"),
    "x64": (pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"], pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS, (5, 2),
            "Windows Server 2003", "x86_64-w64-mingw32-objdump"),
}
# Windows in the order of its releases; XP x64 is a Windows Server 2003.
WINDOWS_RELEASES = ["Windows NT 3.1", "Windows NT 3.5", "Windows NT 3.51", "Windows NT 4.0", "Windows 2000",
                    "Windows XP", "Windows Server 2003", "Windows Vista", "Windows 7", "Windows 8", "Windows 10"]
EXPORTS_TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "windows_exports.tsv")

# Instructions a processor of the oldest kind does not have (Intel's and
# AMD's manuals, by the CPUID feature that announces each). Both targets:
# everything after SSE2 and the general-purpose extensions of the same years.
AFTER_SSE2 = set("""
    addsubpd addsubps haddpd haddps hsubpd hsubps lddqu movddup movshdup movsldup fisttp monitor mwait
    pabsb pabsd pabsw palignr phaddd phaddsw phaddw phsubd phsubsw phsubw pmaddubsw pmulhrsw pshufb
    psignb psignd psignw
    blendpd blendps blendvpd blendvps dppd dpps extractps insertps movntdqa mpsadbw packusdw pblendvb
    pblendw pcmpeqq pextrb pextrd pextrq phminposuw pinsrb pinsrd pinsrq pmaxsb pmaxsd pmaxud pmaxuw
    pminsb pminsd pminud pminuw pmovsxbd pmovsxbq pmovsxbw pmovsxdq pmovsxwd pmovsxwq pmovzxbd pmovzxbq
    pmovzxbw pmovzxdq pmovzxwd pmovzxwq pmuldq pmulld ptest roundpd roundps roundsd roundss
    crc32 pcmpestri pcmpestrm pcmpgtq pcmpistri pcmpistrm popcnt extrq insertq movntsd movntss
    aesdec aesdeclast aesenc aesenclast aesimc aeskeygenassist pclmulqdq sha1msg1 sha1msg2 sha1nexte
    sha1rnds4 sha256msg1 sha256msg2 sha256rnds2
    lzcnt tzcnt andn bextr blsi blsmsk blsr bzhi mulx pdep pext rorx sarx shlx shrx adcx adox movbe
    xgetbv xsave xsaveopt xsavec xsaves xrstor xrstors rdpid clflushopt clwb
""".split())
# And for x86 what came after the Pentium Pro without a register of its own
# (Pentium II: FXSR, SEP; Pentium III and 4: SSE, SSE2; AMD: 3DNow!).
AFTER_PENTIUM_PRO = AFTER_SSE2 | set("""
    emms femms fxsave fxrstor sysenter sysexit ldmxcsr stmxcsr sfence lfence mfence clflush movnti
    prefetch prefetchw prefetchnta prefetcht0 prefetcht1 prefetcht2
""".split())
# Per target: the oldest processor, the instructions it lacks, and the
# registers it lacks. An AVX instruction on xmm registers is a v-mnemonic.
PROCESSOR_FLOORS = {
    "x86": ("a Pentium Pro (i686)", AFTER_PENTIUM_PRO, re.compile(r"%(?:mm[0-7]|[xyz]mm[0-9]+)\b")),
    "x64": ("the first x86-64 processors (SSE2, no AVX)", AFTER_SSE2, re.compile(r"%(?:[yz]mm[0-9]+|k[0-7])\b")),
}
# libstdc++'s std::random_device holds RDRAND and RDSEED and reaches them
# only once CPUID has said the processor has them: no older processor runs them.
AFTER_CPUID = {"rdrand", "rdseed"}
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


def read_exports_table():
    """{(dll, function): oldest Windows} from windows_exports.tsv."""
    table = {}
    with open(EXPORTS_TABLE, newline="", encoding="utf-8") as rows:
        for number, row in enumerate(csv.reader(rows, delimiter="\t"), 1):
            if not row or row[0].startswith("#"):
                continue
            if len(row) != 4 or row[2] not in WINDOWS_RELEASES or not row[3].strip():
                failures.append("%s line %d: dll, function, one of %s, and a source; found %r"
                                % (EXPORTS_TABLE, number, ", ".join(WINDOWS_RELEASES), row))
                continue
            table[(row[0].lower(), row[1])] = row[2]
    return table


def check_imports(pe, exe_file, target, oldest):
    """Every imported function is listed and exported by the oldest Windows."""
    table = read_exports_table()
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        dll = entry.dll.decode().lower()
        for imported in entry.imports:
            name = imported.name.decode() if imported.name else "#%d" % imported.ordinal
            first = table.get((dll, name))
            if first is None:
                failures.append("%s (%s) imports %s from %s, which %s does not list: look up the oldest Windows"
                                " that exports it and add it with its source" % (exe_file, target, name, dll,
                                                                                 os.path.basename(EXPORTS_TABLE)))
            elif WINDOWS_RELEASES.index(first) > WINDOWS_RELEASES.index(oldest):
                failures.append("%s (%s) imports %s from %s, which Windows exports only from %s on;"
                                " this exe must start on %s" % (exe_file, target, name, dll, first, oldest))


def check_instructions(pe, exe_file, target, objdump):
    """No instruction newer than the oldest processor the exe is for.

    The code is read from .text up to the first bytes that are no
    instruction: the linker puts the constructor list and other data at the
    end of .text, and that list opens with -1 (all bits set), which is
    checked, so data is never taken for code nor code left unread.
    """
    try:
        listing = subprocess.run([objdump, "-d", "--no-show-raw-insn", "-j", ".text", exe_file],
                                 capture_output=True, text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError) as error:
        failures.append("could not disassemble %s with %s: %s" % (exe_file, objdump, error))
        return
    floor, later, newer_register = PROCESSOR_FLOORS[target]
    too_new = {}
    end = None
    for line in listing.splitlines():
        found = re.match(r"\s*([0-9a-f]+):\t(.*)$", line)
        if not found:
            continue
        address, text = int(found.group(1), 16), found.group(2).strip()
        if text.startswith("(bad)"):
            end = address
            break
        words = text.split()
        # Past prefixes (lock, rep, data16, cs, rex.W ...) to the mnemonic.
        while len(words) > 1 and (words[0] in ("lock", "rep", "repz", "repnz", "repe", "repne", "data16", "addr16",
                                               "addr32", "cs", "ds", "es", "fs", "gs", "ss", "notrack", "bnd")
                                  or words[0].startswith("rex")):
            words = words[1:]
        mnemonic = words[0]
        base = mnemonic[:-1] if mnemonic[-1:] in "bwlq" and mnemonic[:-1] in later else mnemonic
        if base in AFTER_CPUID:
            continue
        if newer_register.search(text) or (base.startswith("v") and "mm" in text) or base in later:
            too_new.setdefault(mnemonic, address)
    pointer = 8 if pe.OPTIONAL_HEADER.Magic == pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS else 4
    if end is None:
        failures.append("%s (%s): .text holds no data after its code: cannot tell where the code ends"
                        % (exe_file, target))
    elif pe.get_data(end - pe.OPTIONAL_HEADER.ImageBase, pointer) != b"\xff" * pointer:
        failures.append("%s (%s): the code of .text does not end in the constructor list (at 0x%x): cannot tell"
                        " its code from its data" % (exe_file, target, end))
    for mnemonic, address in sorted(too_new.items(), key=lambda item: item[1]):
        failures.append("%s (%s) holds %s (first at 0x%x), newer than %s"
                        % (exe_file, target, mnemonic, address, floor))


def main(target, exe_file, icon_file):
    machine, magic, subsystem_version, oldest, objdump = TARGETS[target]
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

    check_imports(pe, exe_file, target, oldest)
    check_instructions(pe, exe_file, target, objdump)

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
