#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

// PE files and Authenticode-shaped signatures for the tests, written with an encoder of their
// own so that the code under test is not checked against itself. The signatures have the
// structure of real ones (signed data, an image digest, a signer info) with filler where the
// real ones have certificates and signature values; no cryptography checks them.
namespace sample {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A DER element: short length form below 128, else 0x80 + the count of big-endian bytes.
inline Bytes Der(std::uint8_t tag, const Bytes& content) {
    Bytes out{tag};
    const std::size_t length = content.size();
    if (length < 0x80) {
        out.push_back(static_cast<std::uint8_t>(length));
    } else {
        Bytes big;
        for (std::size_t rest = length; rest != 0; rest >>= 8) {
            big.insert(big.begin(), static_cast<std::uint8_t>(rest));
        }
        out.push_back(static_cast<std::uint8_t>(0x80 | big.size()));
        out.insert(out.end(), big.begin(), big.end());
    }
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

inline const Bytes kSignedData = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};
inline const Bytes kSha256 = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01};
inline const Bytes kSha1 = {0x2B, 0x0E, 0x03, 0x02, 0x1A};
inline const Bytes kNested = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x04, 0x01};
inline const Bytes kIndirectData = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x04};
inline const Bytes kTimestamp = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x03, 0x03, 0x01};

inline Bytes Filler(std::size_t size, std::uint8_t seed) {
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(seed + i * 13);
    return out;
}

// An unauthenticated attribute: SEQUENCE { OID, SET { values } }.
inline Bytes Attribute(const Bytes& oid, const Bytes& values) {
    return Der(0x30, Cat({Der(0x06, oid), Der(0x31, values)}));
}

struct Shape {
    Bytes digestAlgorithm = kSha256;
    Bytes digest = Filler(32, 0x11);
    std::size_t certificates = 60;  // filler bytes where the certificates go
    bool unauthenticated = false;   // a [1] set of unauthenticated attributes...
    Bytes attributes;               // ...holding these
};

// A ContentInfo of signed data with one signer info.
inline Bytes Signature(const Shape& shape) {
    const Bytes algorithm = Der(0x30, Cat({Der(0x06, shape.digestAlgorithm), Der(0x05, {})}));
    const Bytes indirect = Der(
        0x30,
        Cat({Der(0x06, kIndirectData),
             Der(0xA0, Der(0x30, Cat({Der(0x30, Der(0x06, {0x2B, 0x06})),
                                      Der(0x30, Cat({algorithm, Der(0x04, shape.digest)}))})))}));
    Bytes signer =
        Cat({Der(0x02, {1}), Der(0x30, Filler(20, 0x40)), algorithm, Der(0xA0, Filler(30, 0x50)),
             Der(0x30, Filler(11, 0x60)), Der(0x04, Filler(64, 0x70))});
    if (shape.unauthenticated) signer = Cat({signer, Der(0xA1, shape.attributes)});
    const Bytes signedData =
        Der(0x30, Cat({Der(0x02, {1}), Der(0x31, algorithm), indirect,
                       Der(0xA0, Filler(shape.certificates, 0x30)), Der(0x31, Der(0x30, signer))}));
    return Der(0x30, Cat({Der(0x06, kSignedData), Der(0xA0, signedData)}));
}

inline void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A certificate entry (WIN_CERTIFICATE, revision 2.0, PKCS#7) holding `signature`, zero bytes
// up to a multiple of 8, its length counting `countedPadding` of them.
inline Bytes Entry(const Bytes& signature, std::uint32_t countedPadding) {
    Bytes entry = Cat({{0, 0, 0, 0, 0x00, 0x02, 0x02, 0x00}, signature});
    Put32(entry, 0, static_cast<std::uint32_t>(entry.size()) + countedPadding);
    entry.resize((entry.size() + 7) & ~std::size_t{7}, 0);
    return entry;
}

inline constexpr std::uint32_t kPe = 0x40;
inline constexpr std::uint32_t kOptional = kPe + 24;
inline constexpr std::uint32_t kSectionData = 0x180;
inline constexpr std::uint32_t kImageEnd = 0x200;

inline std::uint32_t SecurityEntry(bool pe64) {
    return kOptional + (pe64 ? 112 : 96) + 4 * 8;
}

// A PE image whose one section fills 0x180..0x200, followed by a certificate table holding
// `entry` when it is not empty. A non-zero checksum (not the right one) when asked.
inline Bytes Pe(bool pe64, const Bytes& entry, bool withChecksum = false) {
    const std::uint32_t optionalSize = pe64 ? 240 : 224;
    Bytes file(kImageEnd, 0);
    file[0] = 'M';
    file[1] = 'Z';
    Put32(file, 0x3C, kPe);
    Put32(file, kPe, 0x00004550);
    file[kPe + 4] = 0x4C;
    file[kPe + 5] = 0x01;
    file[kPe + 6] = 1;  // one section
    file[kPe + 20] = static_cast<std::uint8_t>(optionalSize);
    file[kOptional] = 0x0B;
    file[kOptional + 1] = pe64 ? 0x02 : 0x01;
    Put32(file, kOptional + 60, kSectionData);  // SizeOfHeaders
    Put32(file, kOptional + (pe64 ? 108 : 92), 16);
    const std::uint32_t section = kOptional + optionalSize;
    Put32(file, section + 16, kImageEnd - kSectionData);
    Put32(file, section + 20, kSectionData);
    for (std::size_t i = kSectionData; i < file.size(); ++i) {
        file[i] = static_cast<std::uint8_t>(i * 7);
    }
    if (!entry.empty()) {
        Put32(file, SecurityEntry(pe64), kImageEnd);
        Put32(file, SecurityEntry(pe64) + 4, static_cast<std::uint32_t>(entry.size()));
        file.insert(file.end(), entry.begin(), entry.end());
    }
    if (withChecksum) Put32(file, kOptional + 64, 1);
    return file;
}

// A signed PE file with a plain signature.
inline Bytes SignedPe(bool pe64 = false, bool withChecksum = false) {
    return Pe(pe64, Entry(Signature(Shape{}), 0), withChecksum);
}

}  // namespace sample
