#include "tools/core/signeddata.h"

#include "plib/perror.h"

namespace {

// version, digestAlgorithms, contentInfo, signerInfos.
constexpr std::size_t kSignedDataMinChildren = 4;

void Require(bool condition) {
    if (!condition) throw PInternalError("The signature is not PKCS#7 signed data");
}

}  // namespace

std::vector<DerElement> SignatureChildren(std::span<const std::uint8_t> bytes,
                                          const DerElement& parent) {
    std::optional<std::vector<DerElement>> children = DerChildren(bytes, parent);
    if (!children) throw PInternalError("The certificate table is damaged");
    return std::move(*children);
}

SignedDataParts ReadSignedData(std::span<const std::uint8_t> bytes, std::uint32_t at,
                               std::uint32_t limit) {
    SignedDataParts parts;
    const std::optional<DerElement> contentInfo = ReadDerElement(bytes, at, limit);
    if (!contentInfo) throw PInternalError("The certificate table is damaged");
    parts.contentInfo = *contentInfo;
    Require(parts.contentInfo.tag == kDerSequence);

    const std::vector<DerElement> info = SignatureChildren(bytes, parts.contentInfo);
    Require(info.size() == 2 && info[0].tag == kDerOid &&
            DerContentIs(bytes, info[0], kSignedDataOid) && info[1].tag == kDerContext0);
    parts.explicitContent = info[1];

    const std::vector<DerElement> explicitContent = SignatureChildren(bytes, parts.explicitContent);
    Require(explicitContent.size() == 1 && explicitContent[0].tag == kDerSequence);
    parts.signedData = explicitContent[0];

    const std::vector<DerElement> signedData = SignatureChildren(bytes, parts.signedData);
    Require(signedData.size() >= kSignedDataMinChildren && signedData[2].tag == kDerSequence &&
            signedData.back().tag == kDerSet);
    parts.signedContent = signedData[2];
    parts.signerInfos = signedData.back();

    const std::vector<DerElement> signers = SignatureChildren(bytes, parts.signerInfos);
    Require(!signers.empty() && signers.back().tag == kDerSequence);
    parts.signerInfo = signers.back();

    const std::vector<DerElement> signer = SignatureChildren(bytes, parts.signerInfo);
    Require(!signer.empty());
    if (signer.back().tag == kDerContext1) {
        parts.unauthenticated = signer.back();
        Require(signer.size() >= 2 && signer[signer.size() - 2].tag == kDerOctetString);
    } else {
        Require(signer.back().tag == kDerOctetString);
    }
    return parts;
}
