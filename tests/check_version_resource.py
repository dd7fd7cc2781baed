#!/usr/bin/env python3
"""Checks what Windows shows in Pelorin.exe's file properties: the version resource read from the
built executable (its fixed numbers and its string table) carries the version that
src/core/version.h keeps, the product name Pelorin, a file description and no company; and the
Windows zip is named with the same version.

  check_version_resource.py EXE VERSION_HEADER CPACK_CONFIG
"""

import re
import struct
import sys
from pathlib import Path

RT_VERSION = 16
FIXED_SIGNATURE = 0xFEEF04BD


class Unreadable(Exception):
    pass


# ---- the resource section of a PE file

def resource_data(image, rt_type):
    """The bytes of the first resource of this type (any name, any language), or None."""
    if image[:2] != b"MZ":
        raise Unreadable("not an executable (no MZ header)")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise Unreadable("no PE signature")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + {0x10B: 96, 0x20B: 112}.get(magic, -1)
    if directories < optional:
        raise Unreadable(f"unknown optional header magic {magic:#x}")
    resource_rva, resource_size = struct.unpack_from("<II", image, directories + 2 * 8)
    if resource_rva == 0:
        return None
    table = []
    for index in range(sections):
        at = optional + optional_size + 40 * index
        virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from("<IIII", image, at + 8)
        table.append((virtual_address, max(virtual_size, raw_size), raw_offset))

    def offset(rva):
        for address, size, raw in table:
            if address <= rva < address + size:
                return rva - address + raw
        raise Unreadable(f"address {rva:#x} lies in no section")

    base = offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", image, base + directory + 12)
        for index in range(named + numbered):
            name, target = struct.unpack_from("<II", image, base + directory + 16 + 8 * index)
            yield name, target

    def first_leaf(target):
        while target & 0x80000000:  # a subdirectory: take its first entry
            subentries = list(entries(target & 0x7FFFFFFF))
            if not subentries:
                return None
            target = subentries[0][1]
        rva, size = struct.unpack_from("<II", image, base + target)
        return image[offset(rva):offset(rva) + size]

    for name, target in entries(0):
        if not name & 0x80000000 and name == rt_type:
            return first_leaf(target)
    return None


# ---- the version resource: nested blocks of (length, value length, type, key, value, children)

def align4(position):
    return (position + 3) & ~3


def block(data, start):
    """(key, value bytes, children, end) of the block at start."""
    length, value_length, kind = struct.unpack_from("<HHH", data, start)
    end = start + length
    key_end = start + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[start + 6:key_end].decode("utf-16-le")
    value_start = align4(key_end + 2)
    value_bytes = value_length * 2 if kind == 1 else value_length  # text: counted in characters
    value = data[value_start:min(value_start + value_bytes, end)]
    children = []
    position = align4(value_start + value_bytes)
    while position + 6 <= end:
        child = block(data, position)
        if child[3] <= position:
            raise Unreadable(f"a block of length 0 in {key!r}")
        children.append(child)
        position = align4(child[3])
    return key, value, children, end


def text(value):
    return value.decode("utf-16-le").split("\0", 1)[0]


def read_version(data):
    """The fixed numbers (file major, minor, build, revision; product the same) and the string
    table {name: text} of the version resource."""
    key, fixed, children, _ = block(data, 0)
    if key != "VS_VERSION_INFO" or len(fixed) < 52:
        raise Unreadable(f"the version resource starts with {key!r} and {len(fixed)} bytes of fixed information")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != FIXED_SIGNATURE:
        raise Unreadable(f"the fixed information's signature is {signature:#x}")
    numbers = {
        "file": (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF),
        "product": (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16, product_ls & 0xFFFF),
    }
    strings = {}
    for child_key, _, tables, _ in children:
        if child_key == "StringFileInfo":
            for _, _, values, _ in tables:
                for name, value, _, _ in values:
                    strings[name] = text(value)
    return numbers, strings


# ---- the checks

def kept_version(header):
    match = re.search(r'^#define PELORIN_VERSION "(\d+)\.(\d+)"$', header.read_text(), re.M)
    if not match:
        raise Unreadable(f"{header} has no line #define PELORIN_VERSION \"MAJOR.MINOR\"")
    return f"{match.group(1)}.{match.group(2)}", (int(match.group(1)), int(match.group(2)), 0, 0)


def problems(exe, header, cpack_config):
    version, numbers = kept_version(header)
    data = resource_data(exe.read_bytes(), RT_VERSION)
    if data is None:
        return [f"{exe} has no version resource"]
    fixed, strings = read_version(data)
    found = []

    def expect(what, actual, wanted):
        if actual != wanted:
            found.append(f"{what}: {actual!r}, expected {wanted!r}")

    expect("the fixed file version", fixed["file"], numbers)
    expect("the fixed product version", fixed["product"], numbers)
    expect("FileVersion", strings.get("FileVersion"), version)
    expect("ProductVersion", strings.get("ProductVersion"), version)
    expect("ProductName", strings.get("ProductName"), "Pelorin")
    expect("OriginalFilename", strings.get("OriginalFilename"), "Pelorin.exe")
    if not strings.get("FileDescription", "").strip():
        found.append("FileDescription is empty or missing")
    if strings.get("CompanyName", ""):
        found.append(f"CompanyName is {strings['CompanyName']!r}, expected empty or absent")
    zip_name = re.search(r'set\(CPACK_PACKAGE_FILE_NAME "([^"]*)"\)', cpack_config.read_text())
    expect("the zip's name", zip_name.group(1) if zip_name else None, f"Pelorin-{version}-win64")
    if not found:
        print(f"{exe.name}: version {version} ({'.'.join(map(str, fixed['file']))}), "
              f"{strings['ProductName']}: {strings['FileDescription']}; zip {zip_name.group(1)}.zip")
    return found


def main(arguments):
    if len(arguments) != 3:
        print(__doc__)
        return 2
    try:
        found = problems(*(Path(argument) for argument in arguments))
    except (Unreadable, struct.error, UnicodeDecodeError, OSError) as error:
        found = [f"cannot read the version: {error}"]
    for problem in found:
        print(problem)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
