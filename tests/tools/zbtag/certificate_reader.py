"""A reader of a signed PE file's certificate table and signature written apart from zbtag, so
that tests check zbtag's output with code that does not share its faults: the security
directory, the certificate entries, DER lengths, the signer info's unauthenticated attributes,
Windows' padding rule and the Authenticode image digest (hashlib).
"""

import hashlib
import struct

# The tag's attribute: an OID under the UUID arc (2.25), named in tools/core/signaturetag.h.
TAG_OID = "2.25.243721230327216224029454315605496528682"
NESTED_SIGNATURE_OID = "1.3.6.1.4.1.311.2.4.1"
DIGESTS = {"1.3.14.3.2.26": "sha1", "2.16.840.1.101.3.4.2.1": "sha256",
           "2.16.840.1.101.3.4.2.2": "sha384", "2.16.840.1.101.3.4.2.3": "sha512"}


class Malformed(Exception):
    pass


class Element:
    """A DER element of `data`: tag, where it starts, where its content starts and ends."""

    def __init__(self, data, at, limit):
        if limit - at < 2:
            raise Malformed("no element at %d" % at)
        self.data, self.tag, self.start = data, data[at], at
        first = data[at + 1]
        if first < 0x80:
            self.content, length = at + 2, first
        else:
            count = first & 0x7F
            if not 1 <= count <= 4 or at + 2 + count > limit:
                raise Malformed("length at %d" % at)
            length = int.from_bytes(data[at + 2:at + 2 + count], "big")
            self.content = at + 2 + count
        self.end = self.content + length
        if self.end > limit:
            raise Malformed("element at %d runs past %d" % (at, limit))

    def children(self):
        found, at = [], self.content
        while at < self.end:
            found.append(Element(self.data, at, self.end))
            at = found[-1].end
        return found

    def value(self):
        return self.data[self.content:self.end]

    def oid(self):
        arcs, value = [], 0
        for byte in self.value():
            value = value << 7 | byte & 0x7F
            if not byte & 0x80:
                arcs.append(value)
                value = 0
        first = 2 if arcs[0] >= 80 else arcs[0] // 40
        return ".".join(map(str, [first, arcs[0] - 40 * first] + arcs[1:]))


class SignedFile:
    """The parts of a signed PE file that signing and tagging concern."""

    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise Malformed("not a PE file")
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        self.checksum_field = optional + 64
        self.security_entry = optional + (96 if magic == 0x10B else 112) + 4 * 8
        self.table_offset, self.table_size = struct.unpack_from("<II", data, self.security_entry)
        self.entries = []
        at, end = self.table_offset, self.table_offset + self.table_size
        while at < end:
            length = struct.unpack_from("<I", data, at)[0]
            if length < 8:
                raise Malformed("certificate entry of %d bytes" % length)
            self.entries.append((at, length))
            at += (length + 7) // 8 * 8
        self.entry_offset, self.entry_length = self.entries[-1]
        self.signature = Element(data, self.entry_offset + 8, len(data))

    def table_ends_the_file(self):
        return self.table_offset + self.table_size == len(self.data)

    def after_signature(self):
        """The bytes between the end of the last PKCS#7 structure and the end of the table."""
        return self.data[self.signature.end:self.table_offset + self.table_size]

    def passes_padding_rule(self):
        after = self.after_signature()
        return len(after) <= 7 and after == bytes(len(after))

    def last_signer_info(self, content_info=None):
        content_info = content_info or self.signature
        signed_data = content_info.children()[1].children()[0]
        return signed_data.children()[-1].children()[-1]

    def unauthenticated(self, signer_info):
        last = signer_info.children()[-1]
        return last.children() if last.tag == 0xA1 else []

    def tag_trailer(self):
        """The content of the tag attribute's OCTET STRING when the last signer info's last
        unauthenticated attribute is the tag; None otherwise."""
        attributes = self.unauthenticated(self.last_signer_info())
        if not attributes or attributes[-1].children()[0].oid() != TAG_OID:
            return None
        values = attributes[-1].children()[1].children()
        if [v.tag for v in values] != [0x02, 0x04]:
            raise Malformed("tag attribute values %s" % [v.tag for v in values])
        return values[1]

    def signed_digests(self, content_info=None):
        """(algorithm, digest) of the signature and of each nested one, outer first."""
        content_info = content_info or self.signature
        signed_data = content_info.children()[1].children()[0]
        indirect = signed_data.children()[2].children()[1].children()[0]
        digest_info = indirect.children()[1].children()
        found = [(DIGESTS[digest_info[0].children()[0].oid()], digest_info[1].value())]
        for attribute in self.unauthenticated(self.last_signer_info(content_info)):
            oid, values = attribute.children()
            if oid.oid() == NESTED_SIGNATURE_OID:
                for nested in values.children():
                    found += self.signed_digests(nested)
        return found

    def image_digest(self, algorithm):
        """The Authenticode digest: the file before the table, without the CheckSum field and
        the security directory entry."""
        digest = hashlib.new(algorithm)
        digest.update(self.data[:self.checksum_field])
        digest.update(self.data[self.checksum_field + 4:self.security_entry])
        digest.update(self.data[self.security_entry + 8:self.table_offset])
        return digest.digest()


def problems(data, text=None):
    """What is wrong with a signed file that should carry `text` (bytes) as its tag inside its
    signature, or no tag when `text` is None; an empty list when nothing is."""
    signed = SignedFile(data)
    found = []
    if not signed.table_ends_the_file():
        found.append("the certificate table does not end the file")
    if not signed.passes_padding_rule():
        found.append("after the signature: %s" % signed.after_signature().hex())
    for algorithm, digest in signed.signed_digests():
        if signed.image_digest(algorithm) != digest:
            found.append("the %s image digest differs from the signed one" % algorithm)
    trailer = signed.tag_trailer()
    if text is None:
        if trailer is not None:
            found.append("a tag attribute is left")
        return found
    if trailer is None:
        return found + ["no tag attribute"]
    if trailer.end != len(data) or signed.signature.end != len(data):
        found.append("the tag does not end the structure and the file")
    if (len(data) - signed.entry_offset) % 8:
        found.append("the entry does not end on an 8-byte boundary")
    distance, length, marker = struct.unpack_from("<III", data, len(data) - 12)
    if marker != 0xFFFEFFFE or length != len(text) or distance > 1024:
        found.append("footer %d %d %08x" % (distance, length, marker))
    if len(data) - distance < trailer.content:
        found.append("the data starts before the attribute's value")
    return found
