#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "tools/core/derelement.h"

// The parts of an Authenticode signature, a PKCS#7 ContentInfo of signed data, that the tagger
// and its checks read:
//
//   ContentInfo SEQUENCE { OID signedData, [0] { SignedData SEQUENCE {
//       version, digestAlgorithms, contentInfo (the signed image digest),
//       [0] certificates OPTIONAL, [1] crls OPTIONAL,
//       signerInfos SET { ..., SignerInfo SEQUENCE { ...,
//           encryptedDigest OCTET STRING, [1] unauthenticatedAttributes OPTIONAL } } } } }
struct SignedDataParts {
    DerElement contentInfo;
    DerElement explicitContent;  // the [0] around SignedData
    DerElement signedData;
    DerElement signedContent;  // SignedData's own contentInfo
    DerElement signerInfos;
    DerElement signerInfo;  // the last one
    std::optional<DerElement> unauthenticated;
};

// Reads the ContentInfo that starts at `at` in `bytes` and ends at or before `limit`. Throws
// PInternalError "The certificate table is damaged" when it is not DER, and "The signature is
// not PKCS#7 signed data" when it is, but not signed data with a signer.
SignedDataParts ReadSignedData(std::span<const std::uint8_t> bytes, std::uint32_t at,
                               std::uint32_t limit);

// The elements that fill `parent`'s content; throws PInternalError "The certificate table is
// damaged" when they do not.
std::vector<DerElement> SignatureChildren(std::span<const std::uint8_t> bytes,
                                          const DerElement& parent);

// The OIDs of signed data (1.2.840.113549.1.7.2) and of Authenticode's nested signature
// attribute (1.3.6.1.4.1.311.2.4.1), as encoded arcs.
inline constexpr std::uint8_t kSignedDataOid[] = {0x2A, 0x86, 0x48, 0x86, 0xF7,
                                                  0x0D, 0x01, 0x07, 0x02};
inline constexpr std::uint8_t kNestedSignatureOid[] = {0x2B, 0x06, 0x01, 0x04, 0x01,
                                                       0x82, 0x37, 0x02, 0x04, 0x01};
