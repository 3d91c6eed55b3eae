#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// The tracking tag inside an Authenticode signature. The tag is the last unauthenticated
// attribute of the signature's last signer info, which no digest or signature covers:
//
//   SEQUENCE { OID kSignatureTagOid, SET { INTEGER restore, OCTET STRING trailer } }
//
// The OCTET STRING holds the whole trailer (scrambled text, filler, footer) and is the last
// element of every element around it, so the footer is the last 12 bytes of the PKCS#7
// structure. The filler is sized so that the structure ends the certificate entry on an 8-byte
// boundary: nothing, not even padding, follows it. `restore` keeps what removing the tag must
// give back: the padding bytes that the entry's length counted (bits 0-2) and whether the
// signer info had an empty set of unauthenticated attributes of its own (bit 3).
//
// An entry here is a certificate table's last entry (WIN_CERTIFICATE: length, revision, type,
// then the signature) with everything after it to the end of the table. Every refusal throws
// PInternalError with a message for the user.

// 2.25.243721230327216224029454315605496528682: an OID under the UUID arc, which needs no
// registration.
inline constexpr std::uint8_t kSignatureTagOid[] = {0x69, 0x82, 0xEE, 0xDB, 0x80, 0x99, 0xC1,
                                                    0xA4, 0xA2, 0x8C, 0x87, 0x99, 0xB9, 0xA9,
                                                    0xE7, 0xB4, 0xDE, 0xF5, 0xFE, 0x2A};

struct UntaggedEntry {
    std::vector<std::uint8_t> entry;
    bool hadTag = false;
};

// `entry` without its tag, as it was signed: the tag attribute is taken out (with any others
// that end the attributes next to it), as is a trailer of the older form appended after the
// signature. Refuses an entry whose signature is not PKCS#7
// signed data ending with a signer info, and one that holds anything after its signature but
// a trailer and at most 7 zero bytes of padding.
UntaggedEntry UntagCertificateEntry(std::span<const std::uint8_t> entry);

// The untagged `entry` carrying `text` as its tag. Refuses a text whose trailer would be longer
// than the reader accepts, with its filler, or that holds a zero byte.
std::vector<std::uint8_t> TagCertificateEntry(std::span<const std::uint8_t> entry,
                                              std::string_view text);

// Where the trailer of `entry`'s tag attribute lies in `entry` (offset and length of the
// OCTET STRING's content), when the signature's last attribute is one. Refuses what
// UntagCertificateEntry refuses.
struct TagTrailerPlace {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};
std::optional<TagTrailerPlace> FindSignatureTag(std::span<const std::uint8_t> entry);

// The length of the PKCS#7 structure that opens `entry`'s content, header included. Refuses an
// entry too short for its header or whose structure runs past its length field.
std::uint32_t SignatureLength(std::span<const std::uint8_t> entry);
