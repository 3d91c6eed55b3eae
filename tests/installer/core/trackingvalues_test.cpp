#include "installer/core/trackingvalues.h"

#include <gtest/gtest.h>

#include <string>

#include "capturelog.h"
#include "installer/core/trackingtext.h"

namespace {

// Legitimate tags of the business: operator ids, names, group ids, themes and site codes.
TEST(CheckTrackingData, LegitimateValuesPassUnchanged) {
    const std::string data =
        "SITEID=be_zb_ext\nOID=Op-42.x_y\nTHM=dark blue\nTSL=pt-BR\nGID=e2e|x\nCustom=any text\n"
        "ONAME=UGFydG5lcg==\nONAME=zpXOu867zqzOtM6xIFBva2Vy\nONAME=Q2Fmw6k=\nONAME=w5xuw69jw7hkw6k="
        "\n"
        "ONAME=UFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQ"
        "UA==\nITS=1\nIZ=2\nOID=\nGID=\n";
    ScopedCaptureLog log;
    EXPECT_EQ(CheckTrackingData(data), data);
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(CheckTrackingData(std::nullopt), std::nullopt);
    EXPECT_EQ(CheckTrackingData("SITEID=FR\r\n\r\nGID=1\r\n"), "SITEID=FR\nGID=1\n");
}

// An operator's name is shown as it is registered: a slash, a trailing dot, a colon or a
// device name are only text there (file names get AsPlainFileName's form).
TEST(CheckTrackingData, RealOperatorNamesPass) {
    const char* names[] = {
        "Um95YWwgQ2FzaW5vIEEvUw==",  // Royal Casino A/S
        "QWNtZSBMdGQu",              // Acme Ltd.
        "Uy5wLkEu",                  // S.p.A.
        "QzpceA==",                  // C:\x
        "YTpzdHJlYW0=",              // a:stream
        "c2F5ICJoaSI=",              // say "hi"
        "Q09O",                      // CON
        "LmhpZGRlbg==",              // .hidden
        // Evil\..\..\..\..\..\..\..\..\users\Public\zbpwn
        "RXZpbFwuLlwuLlwuLlwuLlwuLlwuLlwuLlwuLlx1c2Vyc1xQdWJsaWNcemJwd24=",
    };
    for (const char* name : names) {
        ScopedCaptureLog log;
        const std::string data = std::string("ONAME=") + name + "\n";
        EXPECT_EQ(CheckTrackingData(data), data) << name;
        EXPECT_TRUE(log.lines().empty()) << name;
    }
}

TEST(CheckTrackingData, HostileValuesAreDroppedWithOneLineNamingTheKey) {
    const struct {
        const char* line;
        const char* key;
    } cases[] = {
        {"OID=x /u:Other Product", "OID"},  // switch injection
        {"OID=x\\y", "OID"},                // nests the uninstall key
        {"oid=\"quoted\"", "OID"},
        {"OID=a\tb", "OID"},
        {"OID=1234567890123456789012345678901234567890123456789012345678901234X", "OID"},
        {"SITEID=BE\rOID=7", "SITEID"},
        {"SITEID=../BE", "SITEID"},
        {"GID=1&tid=UA-1", "GID"},  // a field of its own in the analytics form
        {"GID=a b", "GID"},
        {"THM=dark\x01", "THM"},
        {"TSL=fr\x7F", "TSL"},
        {"Custom=a\rOID=evil", "another key"},
        // ONAME, Base64 of UTF-8:
        {"ONAME=eAl5", "ONAME"},              // x TAB y
        {"ONAME=QcKFQg==", "ONAME"},          // a C1 control
        {"ONAME=QeKArmV4ZS5sbms=", "ONAME"},  // right-to-left override
        {"ONAME=8JCBnA==", "ONAME"},          // U+1005C reaches Windows as "\"
        {"ONAME=/w==", "ONAME"},              // not UTF-8
        {"ONAME=UGFy dG5lcg==", "ONAME"},     // not only Base64
        {"ONAME=dHJhaWwg", "ONAME"},          // trailing blank
        {"ONAME=IGxlYWQ=", "ONAME"},          // leading blank
        {"ONAME====", "ONAME"},               // decodes to nothing
        {"ONAME=UFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFB"
         "QUFA=",
         "ONAME"},  // 65 characters
    };
    for (const auto& c : cases) {
        ScopedCaptureLog log;
        const std::string data = std::string("SITEID=FR\n") + c.line + "\nGID=9\n";
        EXPECT_EQ(CheckTrackingData(data), "SITEID=FR\nGID=9\n") << c.line;
        const std::vector<std::string> lines = log.lines();
        ASSERT_EQ(lines.size(), 1u) << c.line;
        EXPECT_EQ(lines[0], std::string("Tracking data: value of ") + c.key + " refused");
    }
}

TEST(CheckTrackingData, RefusedValuesActAsAbsent) {
    ScopedCaptureLog log;
    const std::optional<std::string> checked =
        CheckTrackingData("SITEID=B E\nSITEID=DK\nOID=x y\nONAME=eAl5\nGID=a=b|c\n");
    EXPECT_EQ(SiteFromTrackingData(checked), "DK");
    InstallParameters params;
    params.oid = "build";
    params.oname = "Build";
    EXPECT_EQ(ApplyTrackingData(checked, params), "");
    EXPECT_EQ(params.oid, "build");
    EXPECT_EQ(params.oname, "Build");
    EXPECT_EQ(params.trackingText, "[TInfo]\nSITEID=DK\nOID=build\n");
    EXPECT_EQ(log.lines().size(), 4u);
}

}  // namespace
