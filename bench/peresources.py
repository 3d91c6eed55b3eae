"""The resources of a PE file: which bytes of the setup program are payload and pictures."""
import struct

RT_CURSOR, RT_BITMAP, RT_ICON, RT_GROUP_CURSOR, RT_GROUP_ICON = 1, 2, 3, 12, 14
PICTURE_TYPES = {RT_CURSOR, RT_BITMAP, RT_ICON, RT_GROUP_CURSOR, RT_GROUP_ICON}
PAYLOAD_ID = 130
# The backgrounds, and the masters at 200 % of the backgrounds and bitmaps.
BACKGROUND_IDS = {107, 108, 117, 118, 119}


def _sections(image):
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    count, optional_size = struct.unpack_from("<H", image, pe + 6)[0], \
        struct.unpack_from("<H", image, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", image, directories + 2 * 8)[0]
    table = optional + optional_size
    sections = [struct.unpack_from("<8xIIII", image, table + 40 * i) for i in range(count)]
    return resource_rva, sections


def _file_offset(rva, sections):
    for virtual_size, address, raw_size, raw_offset in sections:
        if address <= rva < address + max(virtual_size, raw_size):
            return raw_offset + rva - address
    raise ValueError("address outside every section")


def _entries(image, directory):
    named, ids = struct.unpack_from("<HH", image, directory + 12)
    for i in range(named + ids):
        name, target = struct.unpack_from("<II", image, directory + 16 + 8 * i)
        yield name, target


def _name(image, base, name):
    if not name & 0x80000000:
        return name
    at = base + (name & 0x7FFFFFFF)
    length = struct.unpack_from("<H", image, at)[0]
    return image[at + 2:at + 2 + 2 * length].decode("utf-16-le")


def resources(image):
    """(type, id, size) for every resource of the file."""
    resource_rva, sections = _sections(image)
    if not resource_rva:
        return []
    base = _file_offset(resource_rva, sections)
    found = []
    for type_name, type_target in _entries(image, base):
        kind = _name(image, base, type_name)
        for id_name, id_target in _entries(image, base + (type_target & 0x7FFFFFFF)):
            ident = _name(image, base, id_name)
            for _, data in _entries(image, base + (id_target & 0x7FFFFFFF)):
                size = struct.unpack_from("<I", image, base + data + 4)[0]
                found.append((kind, ident, size))
    return found


def payload_and_picture_bytes(image):
    """Bytes of the payload archive and the pictures (backgrounds, bitmaps, icons, cursors)."""
    total = 0
    for kind, ident, size in resources(image):
        picture = kind in PICTURE_TYPES or (kind == "ZB" and ident in BACKGROUND_IDS)
        if picture or (kind == "ZB" and ident == PAYLOAD_ID):
            total += size
    return total
