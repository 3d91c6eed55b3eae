#include "tools/core/authenticode.h"

#include <algorithm>

#include "installer/core/littleendian.h"
#include "plib/perror.h"
#include "tools/core/derelement.h"
#include "tools/core/signeddata.h"

namespace {

constexpr std::uint32_t kEntryHeader = 8;
constexpr int kMaxNesting = 4;

struct Algorithm {
    const char* name;
    std::uint8_t arcs[9];
};
// 1.3.14.3.2.26 and 2.16.840.1.101.3.4.2.1 to .3.
constexpr std::uint8_t kSha1Arcs[] = {0x2B, 0x0E, 0x03, 0x02, 0x1A};
constexpr Algorithm kSha2[] = {
    {"sha256", {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01}},
    {"sha384", {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x02}},
    {"sha512", {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x03}},
};

void Require(bool condition) {
    if (!condition) throw PInternalError("The signature's signed content is not an image digest");
}

std::string AlgorithmName(std::span<const std::uint8_t> entry, const DerElement& oid) {
    if (DerContentIs(entry, oid, kSha1Arcs)) return "sha1";
    for (const Algorithm& algorithm : kSha2) {
        if (DerContentIs(entry, oid, algorithm.arcs)) return algorithm.name;
    }
    std::string hex;
    for (std::uint32_t i = oid.content(); i < oid.end(); ++i) {
        hex += "0123456789abcdef"[entry[i] >> 4];
        hex += "0123456789abcdef"[entry[i] & 15];
    }
    return "OID " + hex;
}

// SpcIndirectDataContent: SEQUENCE { OID, [0] { SEQUENCE { SEQUENCE data,
// DigestInfo SEQUENCE { AlgorithmIdentifier SEQUENCE { OID, ... }, OCTET STRING } } } }
SignedDigest ImageDigest(std::span<const std::uint8_t> entry, const DerElement& signedContent) {
    const std::vector<DerElement> content = SignatureChildren(entry, signedContent);
    Require(content.size() == 2 && content[1].tag == kDerContext0);
    const std::vector<DerElement> wrapped = SignatureChildren(entry, content[1]);
    Require(wrapped.size() == 1 && wrapped[0].tag == kDerSequence);
    const std::vector<DerElement> indirect = SignatureChildren(entry, wrapped[0]);
    Require(indirect.size() == 2 && indirect[1].tag == kDerSequence);
    const std::vector<DerElement> digestInfo = SignatureChildren(entry, indirect[1]);
    Require(digestInfo.size() == 2 && digestInfo[0].tag == kDerSequence &&
            digestInfo[1].tag == kDerOctetString);
    const std::vector<DerElement> algorithm = SignatureChildren(entry, digestInfo[0]);
    Require(!algorithm.empty() && algorithm[0].tag == kDerOid);
    const DerElement& digest = digestInfo[1];
    return SignedDigest{
        AlgorithmName(entry, algorithm[0]),
        std::vector<std::uint8_t>(entry.begin() + digest.content(), entry.begin() + digest.end()),
        false};
}

void CollectDigests(std::span<const std::uint8_t> entry, const DerElement& contentInfo, int depth,
                    std::vector<SignedDigest>& out) {
    if (depth > kMaxNesting) throw PInternalError("The signatures nest too deep");
    const SignedDataParts parts = ReadSignedData(entry, contentInfo.offset, contentInfo.end());
    out.push_back(ImageDigest(entry, parts.signedContent));
    out.back().nested = depth > 0;
    if (!parts.unauthenticated) return;
    for (const DerElement& attribute : SignatureChildren(entry, *parts.unauthenticated)) {
        const std::vector<DerElement> fields = SignatureChildren(entry, attribute);
        if (fields.size() != 2 || fields[0].tag != kDerOid || fields[1].tag != kDerSet ||
            !DerContentIs(entry, fields[0], kNestedSignatureOid)) {
            continue;
        }
        for (const DerElement& nested : SignatureChildren(entry, fields[1])) {
            CollectDigests(entry, nested, depth + 1, out);
        }
    }
}

}  // namespace

std::vector<FileRange> AuthenticodeRanges(const PeLayout& layout) {
    PASSERT(layout.signedFile());
    return {{0, layout.checksumField},
            {layout.checksumField + 4, layout.securityEntry - layout.checksumField - 4},
            {layout.securityEntry + 8, layout.tableOffset - layout.securityEntry - 8}};
}

std::vector<SignedDigest> SignedImageDigests(std::span<const std::uint8_t> entry) {
    if (entry.size() < kEntryHeader) throw PInternalError("The certificate table is damaged");
    const std::uint32_t length = std::min<std::uint64_t>(LoadU32Le(entry.data()), entry.size());
    const std::optional<DerElement> signature = ReadDerElement(entry, kEntryHeader, length);
    if (!signature) throw PInternalError("The certificate table is damaged");
    std::vector<SignedDigest> digests;
    CollectDigests(entry, *signature, 0, digests);
    return digests;
}
