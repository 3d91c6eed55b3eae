#include "installer/core/trackingtext.h"

#include <gtest/gtest.h>

#include <string>

#include "capturelog.h"

namespace {

TEST(SiteFromTrackingData, FirstSiteIdLineOnly) {
    const struct {
        std::optional<std::string> data;
        const char* site;
    } cases[] = {
        {std::nullopt, ""},
        {"", ""},
        {"GID=1\nsiteid=be_zb_ext\nSITEID=FR\n", "be_zb_ext"},
        {"SITEID=\nSITEID=FR\n", ""},  // an empty value ends the search
        {"\n\nSiteId=DK", "DK"},       // empty lines skipped, no final LF needed
        {"SITEID=UK\r\nGID=2\r\n", "UK"},
        {"XSITEID=UK\nSITEIDS=UK\n", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SiteFromTrackingData(c.data), c.site) << c.data.value_or("(none)");
    }
}

struct Applied {
    InstallParameters params;
    std::string gid;
};

Applied Apply(const std::optional<std::string>& data, const std::string& buildOid = "",
              const std::string& buildOname = "") {
    Applied a;
    a.params.oid = buildOid;
    a.params.oname = buildOname;
    a.params.trackingText = "stale";
    a.gid = ApplyTrackingData(data, a.params);
    return a;
}

TEST(ApplyTrackingData, StoredTextKeepsLinesInOrderAndMovesOidToTheEnd) {
    const Applied a = Apply(
        "SITEID=FR\nits=123\nOID=42\nTHM=dark\nIz=3600\nCustom=x\nTSL=fr\nGID=abc|def\n"
        "ONAME=UGFydG5lcg==\nSITEID=DE\n",
        "7");
    EXPECT_EQ(a.params.trackingText,
              "[TInfo]\nSITEID=FR\nTHM=dark\nCustom=x\nTSL=fr\nGID=abc|def\nSITEID=DE\nOID=42\n");
    EXPECT_EQ(a.gid, "abc");
    EXPECT_EQ(a.params.oid, "42");
    EXPECT_EQ(a.params.thmValue, "dark");
    EXPECT_EQ(a.params.oname, "Partner");
}

TEST(ApplyTrackingData, BuildOidIsAddedWhenTheDataHasNone) {
    EXPECT_EQ(Apply("SITEID=FR\n", "7").params.trackingText, "[TInfo]\nSITEID=FR\nOID=7\n");
    EXPECT_EQ(Apply("SITEID=FR\nOID=\n", "7").params.trackingText, "[TInfo]\nSITEID=FR\nOID=7\n");
    EXPECT_EQ(Apply("SITEID=FR\n").params.trackingText, "[TInfo]\nSITEID=FR\n");
    EXPECT_EQ(Apply("").params.trackingText, "[TInfo]\n");
}

TEST(ApplyTrackingData, WithoutTrailerNothingIsStored) {
    const Applied a = Apply(std::nullopt, "7", "Partner");
    EXPECT_EQ(a.params.trackingText, "");
    EXPECT_EQ(a.params.oid, "7");
    EXPECT_EQ(a.params.oname, "Partner");
    EXPECT_EQ(a.gid, "");
}

TEST(ApplyTrackingData, EmptyValuesChangeNothing) {
    const Applied a = Apply("ONAME=\nTHM=\nGID=\n", "", "Build");
    EXPECT_EQ(a.params.oname, "Build");
    EXPECT_EQ(a.params.thmValue, "");
    EXPECT_EQ(a.gid, "");
    EXPECT_EQ(a.params.trackingText, "[TInfo]\nTHM=\nGID=\n");
}

TEST(ApplyTrackingData, OnameThatIsNotUtf8IsLoggedAndIgnored) {
    ScopedCaptureLog log;
    const Applied a = Apply("ONAME=/w==\n", "", "Build");
    EXPECT_EQ(a.params.oname, "Build");
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].rfind("ONAME of the tracking data ignored: ", 0), 0u);
}

TEST(ApplyTrackingData, CarriageReturnsBelongToTheLineEnd) {
    const Applied a = Apply("SITEID=FR\r\nGID=9|1\r\n");
    EXPECT_EQ(a.params.trackingText, "[TInfo]\nSITEID=FR\nGID=9|1\n");
    EXPECT_EQ(a.gid, "9");
}

TEST(BuildWebLink, Forms) {
    const struct {
        const char* urlTemplate;
        const char* page;
        const char* expected;
    } cases[] = {
        {"https://r.example.com/v1/fr/1/@locale@/_/help_tos", "help_tos",
         "https://r.example.com/v1/fr/1/de/_/help_tos"},
        {"https://x/@locale@/@locale@", "help_tos", "https://x/de/@locale@"},
        {"https://x/plain", "help_tos", "https://x/plain"},
        {"@locale@", "", "de"},
        {"", "help_tos", "https://usnj.example.com/REDIRECTOR/de/_/help_tos"},
        {"", "webview2-install-link",
         "https://usnj.example.com/REDIRECTOR/de/_/webview2-install-link"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildWebLink(c.urlTemplate, c.page, "https://usnj.example.com", "de"), c.expected)
            << c.urlTemplate << " " << c.page;
    }
}

}  // namespace
