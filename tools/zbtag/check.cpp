#include "tools/zbtag/check.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <span>
#include <string>

#include "installer/core/littleendian.h"
#include "installer/core/trackingtrailer.h"
#include "installer/core/trackingvalues.h"
#include "plib/perror.h"
#include "tools/core/authenticode.h"
#include "tools/core/pelayout.h"
#include "tools/core/signaturetag.h"
#include "tools/zbtag/imagedigest.h"

namespace {

using Bytes = std::span<const std::uint8_t>;

// Windows' certificate padding check allows no more after the PKCS#7 structure.
constexpr std::size_t kMaxPadding = 7;
constexpr std::uint32_t kEntryHeader = 8;

class Report {
  public:
    void Line(const char* name, bool ok, const std::string& detail) {
        std::printf("%s: %s, %s\n", name, ok ? "ok" : "FAILED", detail.c_str());
        if (!ok) ++failures_;
    }
    int failures() const { return failures_; }

  private:
    int failures_ = 0;
};

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

void CheckDigests(Report& report, Bytes file, const PeLayout& layout, Bytes entry) {
    std::vector<SignedDigest> digests;
    try {
        digests = SignedImageDigests(entry);
    } catch (const PError& e) {
        report.Line("digest", false, e.why());
        return;
    }
    for (const SignedDigest& signedDigest : digests) {
        const char* name = signedDigest.nested ? "nested digest" : "digest";
        const std::optional<std::vector<std::uint8_t>> digest =
            ImageDigest(signedDigest.algorithm, file, AuthenticodeRanges(layout));
        if (!digest) {
            report.Line(name, false,
                        "the signed digest's algorithm is unknown here: " + signedDigest.algorithm);
        } else if (*digest == signedDigest.digest) {
            report.Line(name, true, signedDigest.algorithm + " of the image is the signed digest");
        } else {
            report.Line(name, false,
                        signedDigest.algorithm + " of the image differs from the signed digest");
        }
    }
}

void CheckPadding(Report& report, Bytes entry) {
    std::uint32_t length = 0;
    try {
        length = SignatureLength(entry);
    } catch (const PError& e) {
        report.Line("padding", false, e.why());
        return;
    }
    const Bytes after = entry.subspan(kEntryHeader + length);
    const auto nonZero = std::count_if(after.begin(), after.end(), [](auto b) { return b != 0; });
    std::string detail = std::to_string(after.size()) + " bytes follow the PKCS#7 structure";
    if (nonZero != 0) detail += ", " + std::to_string(nonZero) + " of them not zero";
    report.Line("padding", after.size() <= kMaxPadding && nonZero == 0,
                detail + " (at most " + std::to_string(kMaxPadding) + " zero bytes pass)");
}

void CheckChecksum(Report& report, Bytes file, const PeLayout& layout) {
    const std::uint32_t stored = LoadU32Le(file.data() + layout.checksumField);
    const std::uint32_t computed = PeChecksum(file, layout.checksumField);
    if (stored == 0) {
        report.Line("checksum", true, "none kept (0)");
    } else {
        report.Line("checksum", stored == computed,
                    Hex(stored) + (stored == computed ? "" : ", computed " + Hex(computed)));
    }
}

std::size_t LineCount(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        if (end > at) ++count;
        at = end + 1;
    }
    return count;
}

// Where the tag lies, and whether the installer on a strict Windows gets it that way.
std::pair<bool, std::string> TagPlace(Bytes file, const PeLayout& layout, Bytes entry) {
    if (!layout.signedFile()) return {true, "appended to the unsigned file"};
    const std::optional<TagTrailerPlace> place = FindSignatureTag(entry);
    const std::uint32_t distance = TrackingFooterOf(file)->distance;
    if (place && place->offset + place->length == entry.size() && distance <= place->length) {
        return {true, "inside the signature"};
    }
    return {false,
            "after the signature, which Windows' strict check refuses (zbtag write "
            "moves it inside)"};
}

void CheckTag(Report& report, Bytes file, const PeLayout& layout, Bytes entry) {
    const std::optional<std::string> text = ReadTrackingTrailer(file);
    if (!text) {
        const std::optional<TrackingFooter> footer = TrackingFooterOf(file);
        const bool unreadable = footer && footer->accepted();
        report.Line("tag", !unreadable,
                    unreadable ? "a footer whose text the installer cannot read" : "none");
        return;
    }
    std::pair<bool, std::string> place{false, ""};
    try {
        place = TagPlace(file, layout, entry);
    } catch (const PError& e) {
        place.second = e.why();
    }
    const std::size_t refused = LineCount(*text) - LineCount(CheckTrackingData(text).value_or(""));
    std::string detail = std::to_string(text->size()) + " bytes of text " + place.second;
    detail += refused == 0 ? ", read back as the installer reads it"
                           : ", " + std::to_string(refused) +
                                 " of its lines refused by the "
                                 "installer's checks";
    report.Line("tag", place.first && refused == 0, detail);
}

}  // namespace

int CheckInstallerFile(const std::vector<std::uint8_t>& file) {
    Report report;
    PeLayout layout;
    Bytes entry;
    try {
        layout = ReadPeLayout(file);
        if (layout.signedFile()) entry = Bytes(file).subspan(LastCertificateEntry(file, layout));
    } catch (const PError& e) {
        report.Line("layout", false, e.why());
        return report.failures();
    }
    if (layout.signedFile()) {
        report.Line("layout", true,
                    "the certificate table (" + std::to_string(layout.tableSize) + " bytes at " +
                        std::to_string(layout.tableOffset) + ") ends the file");
        CheckDigests(report, file, layout, entry);
        CheckPadding(report, entry);
    } else {
        report.Line("layout", true, "not signed");
    }
    CheckChecksum(report, file, layout);
    CheckTag(report, file, layout, entry);
    return report.failures();
}
