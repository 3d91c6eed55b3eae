#include "tools/core/signaturetag.h"

#include <algorithm>

#include "installer/core/littleendian.h"
#include "installer/core/trackingtrailer.h"
#include "plib/perror.h"
#include "tools/core/signeddata.h"

namespace {

constexpr std::uint32_t kEntryHeader = 8;  // dwLength, wRevision, wCertificateType
constexpr std::uint32_t kMaxPadding = 7;
constexpr std::uint8_t kRestorePadding = 0x07;
constexpr std::uint8_t kRestoreEmptySet = 0x08;

[[noreturn]] void Refuse(const char* message) {
    throw PInternalError(message);
}

std::uint32_t AlignUp8(std::uint32_t value) {
    return (value + 7) & ~std::uint32_t{7};
}

// The entry's length field, checked against the bytes there are.
std::uint32_t EntryLength(std::span<const std::uint8_t> entry) {
    if (entry.size() < kEntryHeader) Refuse("The certificate table is damaged");
    const std::uint32_t length = LoadU32Le(entry.data());
    if (length < kEntryHeader || length > entry.size()) Refuse("The certificate table is damaged");
    return length;
}

SignedDataParts ReadEntrySignature(std::span<const std::uint8_t> entry) {
    return ReadSignedData(entry, kEntryHeader, EntryLength(entry));
}

struct TagValues {
    std::uint8_t restore = 0;
    DerElement trailer;
};

// The values of `attribute` when it is a tag. One under our OID in any other form is refused
// rather than passed over: a tag after it would then not end the file.
std::optional<TagValues> ReadTagValues(std::span<const std::uint8_t> entry,
                                       const DerElement& attribute) {
    // Another party's attribute need not be in a form we read; it is only not ours.
    const std::optional<std::vector<DerElement>> fields =
        attribute.tag == kDerSequence ? DerChildren(entry, attribute) : std::nullopt;
    if (!fields || fields->empty() || (*fields)[0].tag != kDerOid ||
        !DerContentIs(entry, (*fields)[0], kSignatureTagOid)) {
        return std::nullopt;
    }
    const std::vector<DerElement> values = fields->size() == 2 && (*fields)[1].tag == kDerSet
                                               ? SignatureChildren(entry, (*fields)[1])
                                               : std::vector<DerElement>{};
    if (values.size() != 2 || values[0].tag != kDerInteger || values[0].length != 1 ||
        entry[values[0].content()] > (kRestorePadding | kRestoreEmptySet) ||
        values[1].tag != kDerOctetString) {
        Refuse("The tracking tag in the signature is damaged");
    }
    return TagValues{entry[values[0].content()], values[1]};
}

// The run of tag attributes that ends the unauthenticated attributes: more than one only where
// a file was tagged by other means, and all of them go, so that what is left holds none.
struct TagRun {
    DerElement first;          // where the run starts
    std::uint8_t restore = 0;  // of the first, the one written into the signed file
    DerElement trailer;        // of the last, the one that ends the file
    bool alone = false;        // the run is every unauthenticated attribute
};

std::optional<TagRun> ReadTagRun(std::span<const std::uint8_t> entry,
                                 const SignedDataParts& parts) {
    if (!parts.unauthenticated) return std::nullopt;
    const std::vector<DerElement> attributes = SignatureChildren(entry, *parts.unauthenticated);
    std::optional<TagRun> run;
    for (std::size_t i = attributes.size(); i-- > 0;) {
        const std::optional<TagValues> tag = ReadTagValues(entry, attributes[i]);
        if (!tag) break;
        if (!run) run = TagRun{{}, 0, tag->trailer, false};
        run->first = attributes[i];
        run->restore = tag->restore;
        run->alone = i == 0;
    }
    return run;
}

// The elements from the ContentInfo down to where the tag goes. Each is the last element of
// the one before, so all of them end where the structure ends.
std::vector<DerElement> TagChain(const SignedDataParts& parts, bool withUnauthenticated) {
    std::vector<DerElement> chain{parts.contentInfo, parts.explicitContent, parts.signedData,
                                  parts.signerInfos, parts.signerInfo};
    if (withUnauthenticated) chain.push_back(*parts.unauthenticated);
    return chain;
}

// The content lengths of `chain`'s elements once everything from `cut` to their common end is
// replaced by `inserted` bytes.
std::vector<std::uint32_t> ChainLengths(const std::vector<DerElement>& chain, std::uint32_t cut,
                                        std::uint32_t inserted) {
    std::vector<std::uint32_t> lengths(chain.size());
    std::uint32_t length = cut - chain.back().content() + inserted;
    for (std::size_t i = chain.size(); i-- > 0;) {
        lengths[i] = length;
        if (i > 0) {
            const auto header = static_cast<std::uint32_t>(DerHeader(chain[i].tag, length).size());
            length = chain[i].offset - chain[i - 1].content() + header + length;
        }
    }
    return lengths;
}

std::uint32_t RebuiltSize(const std::vector<DerElement>& chain, std::uint32_t cut,
                          std::uint32_t inserted) {
    const std::uint32_t length = ChainLengths(chain, cut, inserted).front();
    return static_cast<std::uint32_t>(DerHeader(chain.front().tag, length).size()) + length;
}

// The structure that `chain` opens with everything from `cut` to its end replaced by
// `inserted`, every header along the chain written anew for its new length.
std::vector<std::uint8_t> Rebuild(std::span<const std::uint8_t> entry,
                                  const std::vector<DerElement>& chain, std::uint32_t cut,
                                  std::span<const std::uint8_t> inserted) {
    const std::vector<std::uint32_t> lengths =
        ChainLengths(chain, cut, static_cast<std::uint32_t>(inserted.size()));
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const std::vector<std::uint8_t> header = DerHeader(chain[i].tag, lengths[i]);
        out.insert(out.end(), header.begin(), header.end());
        const std::uint32_t until = i + 1 < chain.size() ? chain[i + 1].offset : cut;
        out.insert(out.end(), entry.begin() + chain[i].content(), entry.begin() + until);
    }
    out.insert(out.end(), inserted.begin(), inserted.end());
    return out;
}

// The certificate entry around `signature`: its length counting `padding` more bytes, the
// revision and type of `entry`, and zero bytes up to the next multiple of 8.
std::vector<std::uint8_t> EntryAround(std::span<const std::uint8_t> entry,
                                      const std::vector<std::uint8_t>& signature,
                                      std::uint32_t padding) {
    const auto length = static_cast<std::uint32_t>(kEntryHeader + signature.size());
    std::vector<std::uint8_t> out(entry.begin(), entry.begin() + kEntryHeader);
    StoreU32Le(out.data(), length + padding);
    out.insert(out.end(), signature.begin(), signature.end());
    out.resize(AlignUp8(length), 0);
    return out;
}

std::vector<std::uint8_t> TagAttributeBytes(std::string_view text, std::uint32_t filler,
                                            std::uint8_t restore) {
    const std::vector<std::uint8_t> trailer = MakeTrackingTrailer(text, filler);
    std::vector<std::uint8_t> values{kDerInteger, 1, restore};
    const std::vector<std::uint8_t> octets =
        DerHeader(kDerOctetString, static_cast<std::uint32_t>(trailer.size()));
    values.insert(values.end(), octets.begin(), octets.end());
    values.insert(values.end(), trailer.begin(), trailer.end());

    std::vector<std::uint8_t> content = DerHeader(kDerOid, sizeof kSignatureTagOid);
    content.insert(content.end(), std::begin(kSignatureTagOid), std::end(kSignatureTagOid));
    const std::vector<std::uint8_t> set =
        DerHeader(kDerSet, static_cast<std::uint32_t>(values.size()));
    content.insert(content.end(), set.begin(), set.end());
    content.insert(content.end(), values.begin(), values.end());

    std::vector<std::uint8_t> attribute =
        DerHeader(kDerSequence, static_cast<std::uint32_t>(content.size()));
    attribute.insert(attribute.end(), content.begin(), content.end());
    return attribute;
}

// `entry` with a trailer of the older form (after the signature, counted by the entry's
// length) taken off, checked to hold nothing else after its signature but padding.
UntaggedEntry WithoutAppendedTrailer(std::span<const std::uint8_t> entry,
                                     const SignedDataParts& parts) {
    const std::uint32_t signatureEnd = parts.contentInfo.end();
    const std::uint32_t appended = TrackingTrailerLength(entry.subspan(signatureEnd));
    const auto end = static_cast<std::uint32_t>(entry.size() - appended);
    if (end % 8 != 0) Refuse("The certificate table's size is not a multiple of 8");
    if (end - signatureEnd > kMaxPadding ||
        std::any_of(entry.begin() + signatureEnd, entry.begin() + end,
                    [](std::uint8_t b) { return b != 0; })) {
        Refuse("The certificate entry holds data after its signature that is not a tracking tag");
    }
    UntaggedEntry result{std::vector<std::uint8_t>(entry.begin(), entry.begin() + end),
                         appended != 0};
    if (result.hadTag) StoreU32Le(result.entry.data(), end);
    return result;
}

}  // namespace

UntaggedEntry UntagCertificateEntry(std::span<const std::uint8_t> entry) {
    UntaggedEntry result = WithoutAppendedTrailer(entry, ReadEntrySignature(entry));
    const SignedDataParts parts = ReadEntrySignature(result.entry);
    const std::optional<TagRun> tag = ReadTagRun(result.entry, parts);
    if (!tag) return result;

    const bool dropSet = tag->alone && !(tag->restore & kRestoreEmptySet);
    const std::uint32_t cut = dropSet ? parts.unauthenticated->offset : tag->first.offset;
    const std::vector<std::uint8_t> signature =
        Rebuild(result.entry, TagChain(parts, !dropSet), cut, {});
    const std::uint32_t padding = tag->restore & kRestorePadding;
    const auto length = static_cast<std::uint32_t>(kEntryHeader + signature.size());
    if (length + padding > AlignUp8(length)) Refuse("The tracking tag in the signature is damaged");
    return UntaggedEntry{EntryAround(result.entry, signature, padding), true};
}

std::vector<std::uint8_t> TagCertificateEntry(std::span<const std::uint8_t> entry,
                                              std::string_view text) {
    const std::vector<std::uint8_t> untagged = UntagCertificateEntry(entry).entry;
    const SignedDataParts parts = ReadEntrySignature(untagged);
    const std::uint32_t end = parts.contentInfo.end();
    const bool hasSet = parts.unauthenticated.has_value();
    const auto restore = static_cast<std::uint8_t>(
        (LoadU32Le(untagged.data()) - end) |
        (hasSet && parts.unauthenticated->length == 0 ? kRestoreEmptySet : 0));
    const std::vector<DerElement> chain = TagChain(parts, hasSet);
    // Each filler byte moves the end by at least one; MakeTrackingTrailer refuses before the
    // trailer outgrows the reader's limit.
    for (std::uint32_t filler = 0;; ++filler) {
        std::vector<std::uint8_t> inserted = TagAttributeBytes(text, filler, restore);
        if (!hasSet) {
            std::vector<std::uint8_t> set =
                DerHeader(kDerContext1, static_cast<std::uint32_t>(inserted.size()));
            inserted.insert(inserted.begin(), set.begin(), set.end());
        }
        const auto size = static_cast<std::uint32_t>(inserted.size());
        if ((kEntryHeader + RebuiltSize(chain, end, size)) % 8 == 0) {
            return EntryAround(untagged, Rebuild(untagged, chain, end, inserted), 0);
        }
    }
}

std::optional<TagTrailerPlace> FindSignatureTag(std::span<const std::uint8_t> entry) {
    const std::optional<TagRun> tag = ReadTagRun(entry, ReadEntrySignature(entry));
    if (!tag) return std::nullopt;
    return TagTrailerPlace{tag->trailer.content(), tag->trailer.length};
}

std::uint32_t SignatureLength(std::span<const std::uint8_t> entry) {
    const std::optional<DerElement> signature =
        ReadDerElement(entry, kEntryHeader, EntryLength(entry));
    if (!signature) Refuse("The certificate table is damaged");
    return signature->end() - kEntryHeader;
}
