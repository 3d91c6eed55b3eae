#pragma once

// What must hold whenever the tagger takes or refuses a file, shared by the fuzz targets that
// feed it whole files and signatures.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "installer/core/littleendian.h"
#include "installer/core/trackingtrailer.h"
#include "plib/perror.h"
#include "tools/core/pelayout.h"
#include "tools/core/signaturetag.h"
#include "tools/core/trackingtag.h"

namespace tagging {

using Bytes = std::vector<std::uint8_t>;

inline void Check(bool condition) {
    if (!condition) __builtin_trap();
}

inline Bytes Applied(const TrackingTagPlan& plan, Bytes file) {
    ApplyTrackingTagPlan(plan, file);
    return file;
}

// Every change of `plan` to `file` lies in the certificate table's last entry (in an unsigned
// file, after the section data), but the checksum and the table's size in the headers.
inline void CheckChangesStayInTheEntry(const TrackingTagPlan& plan, const Bytes& file) {
    const PeLayout layout = ReadPeLayout(file);
    const std::uint64_t from =
        layout.signedFile() ? LastCertificateEntry(file, layout) : layout.imageEnd;
    Check(plan.keep >= from);
    for (const FilePatch& patch : plan.patches) {
        const bool header = patch.bytes.size() == 4 &&
                            (patch.offset == layout.checksumField ||
                             (layout.signedFile() && patch.offset == layout.securityEntry + 4));
        Check(header || patch.offset >= from);
        Check(patch.offset + patch.bytes.size() <= plan.keep);
    }
}

// A tagged file as the installer and Windows' strict check need it.
inline void CheckTagged(const Bytes& tagged, const std::string& text, bool checksummed) {
    Check(ReadTrackingTrailer(std::span(tagged)) == text);
    const PeLayout layout = ReadPeLayout(tagged);
    if (checksummed)
        Check(LoadU32Le(tagged.data() + layout.checksumField) ==
              PeChecksum(tagged, layout.checksumField));
    if (!layout.signedFile()) return;
    const std::span<const std::uint8_t> entry =
        std::span(tagged).subspan(LastCertificateEntry(tagged, layout));
    Check(entry.size() % 8 == 0 && SignatureLength(entry) == entry.size() - 8);
    const std::optional<TagTrailerPlace> place = FindSignatureTag(entry);
    Check(place && place->offset + place->length == entry.size());
}

// Tags `original` with `text` and takes the tag off again, through plans and the whole-file
// calls, checking what each step must give. A refused file must stay as it was.
inline void CheckTagging(const Bytes& original, const std::string& text) {
    std::optional<TrackingTagBase> base;
    try {
        base.emplace(original);
    } catch (const PInternalError&) {
        Bytes file = original;
        try {
            WriteTrackingTag(file, text);
            Check(false);
        } catch (const PInternalError&) {
            Check(file == original);
        }
        return;
    }
    Check(base->size() == original.size());
    // A short text always fits, whatever filler the signature needs.
    const TrackingTagPlan plan = base->Plan(text);
    CheckChangesStayInTheEntry(plan, original);
    const Bytes tagged = Applied(plan, original);
    Check(tagged.size() == plan.size());
    const PeLayout layout = ReadPeLayout(original);
    const bool checksummed = LoadU32Le(original.data() + layout.checksumField) != 0;
    CheckTagged(tagged, text, checksummed);

    const TrackingTagBase again(tagged);
    Check(again.tagged());
    Check(Applied(again.Plan("SITEID=X\n"), tagged) == Applied(base->Plan("SITEID=X\n"), original));
    const Bytes cleared = Applied(again.PlanClear(), tagged);
    if (base->tagged()) {
        Check(cleared == Applied(base->PlanClear(), original));
        return;
    }
    // Given back as it was, but for a wrong checksum, which is put right.
    Bytes expected = original;
    if (checksummed) {
        StoreU32Le(expected.data() + layout.checksumField,
                   PeChecksum(original, layout.checksumField));
    }
    Check(cleared == expected);
}

}  // namespace tagging
