#!/usr/bin/env python3
"""Reads the resources of a Windows program (PE32 or PE32+): any resource by type and id, and the version
resource's file version and texts as Windows' file properties show them. The release names its files with
what the program itself says and checks the firmware images it carries, so neither can disagree with the
program.

    pe_resources.py PROGRAM   prints the file version, then each text as KEY=VALUE
"""
import struct
import sys

RT_VERSION = 16
RESOURCE_DIRECTORY = 2  # index of the resource table among the optional header's data directories
FIXED_SIGNATURE = 0xFEEF04BD


class NotAProgram(ValueError):
    pass


def _sections(data):
    if data[:2] != b"MZ":
        raise NotAProgram("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise NotAProgram("no PE header")
    count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + {0x10B: 96, 0x20B: 112}.get(magic, -1)
    if directories < optional:
        raise NotAProgram(f"unknown optional header 0x{magic:x}")
    resource_rva = struct.unpack_from("<I", data, directories + 8 * RESOURCE_DIRECTORY)[0]
    table = optional + optional_size
    sections = []
    for n in range(count):
        virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, table + 40 * n + 8)
        sections.append((rva, max(virtual_size, raw_size), raw_offset))
    return resource_rva, sections


def _offset(sections, rva):
    for start, size, raw in sections:
        if start <= rva < start + size:
            return raw + rva - start
    raise NotAProgram(f"address 0x{rva:x} is in no section")


def _entry_name(data, root, name):
    """An entry's id (an int), or its name (a text) when the high bit says it has one."""
    if not name & 0x80000000:
        return name
    at = root + (name & 0x7FFFFFFF)
    length = struct.unpack_from("<H", data, at)[0]
    return data[at + 2:at + 2 + 2 * length].decode("utf-16-le")


def _entry(data, root, directory, wanted=None):
    """(is a directory, offset from the root) of the entry named `wanted` (an id or a text, which Windows
    compares without case), or of the first entry when `wanted` is None; None when there is none."""
    named, numbered = struct.unpack_from("<HH", data, directory + 12)
    for n in range(named + numbered):
        name, target = struct.unpack_from("<II", data, directory + 16 + 8 * n)
        found = _entry_name(data, root, name)
        if wanted is None or found == wanted or (
                isinstance(found, str) and isinstance(wanted, str) and found.upper() == wanted.upper()):
            return bool(target & 0x80000000), target & 0x7FFFFFFF
    return None


def find_resource(data, kind, ident):
    """The bytes of resource `ident` of type `kind` (ids or names), in its first language; None when absent."""
    resource_rva, sections = _sections(data)
    if resource_rva == 0:
        return None
    root = _offset(sections, resource_rva)
    entry = _entry(data, root, root, kind)
    for wanted in (ident, None):  # the resource, then its first language
        if entry is None or not entry[0]:
            return None
        entry = _entry(data, root, root + entry[1], wanted)
    if entry is None or entry[0]:
        return None
    rva, size = struct.unpack_from("<II", data, root + entry[1])
    start = _offset(sections, rva)
    return data[start:start + size]


def version_block(data):
    """The bytes of the version resource (VS_VERSION_INFO, id 1), or None when the program has none."""
    return find_resource(data, RT_VERSION, 1)


def _align(offset):
    return (offset + 3) & ~3


def _node(block, start):
    """One node of the version tree: (key, value bytes, is text, children, end)."""
    length, value_length, is_text = struct.unpack_from("<HHH", block, start)
    end = start + length
    key_end = start + 6
    while block[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = block[start + 6:key_end].decode("utf-16-le")
    value_start = _align(key_end + 2)
    value_end = value_start + value_length * (2 if is_text else 1)
    children = []
    child = _align(value_end)
    while child < end:
        node = _node(block, child)
        children.append(node)
        child = _align(node[4])
    return key, block[value_start:min(value_end, end)], is_text, children, end


def read_version(data):
    """(file version "a.b.c.d" from the fixed part, {text key: value} of every string table), or None."""
    block = version_block(data)
    if block is None:
        return None
    key, value, _, children, _ = _node(block, 0)
    if key != "VS_VERSION_INFO" or len(value) < 16:
        raise NotAProgram("the version resource has no fixed part")
    signature, _, high, low = struct.unpack_from("<IIII", value, 0)
    if signature != FIXED_SIGNATURE:
        raise NotAProgram("the version resource's fixed part has the wrong signature")
    version = f"{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF}"
    texts = {}
    for child in children:
        if child[0] != "StringFileInfo":
            continue
        for table in child[3]:
            for text_key, text_value, _, _, _ in table[3]:
                texts[text_key] = text_value.decode("utf-16-le").rstrip("\0")
    return version, texts


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as program:
        found = read_version(program.read())
    if found is None:
        sys.exit(f"{sys.argv[1]}: no version resource")
    version, texts = found
    print(version)
    for key, value in texts.items():
        print(f"{key}={value}")


if __name__ == "__main__":
    main()
