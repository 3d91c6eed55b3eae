#include "server/downloadkeys.h"

#include <gtest/gtest.h>

#include <string>

#include "crypto/hmacsha256.h"

namespace {

const std::string kOld(32, 'o');
const std::string kNew = "a fresh key of forty bytes, or so; yes";

std::string Mint(const std::string& key, const std::string& text) {
    return FormatDownloadCode(text, HmacSha256(key, text));
}

TEST(DownloadKeys, ACodeOfAnyKeyGivesItsText) {
    const DownloadKeys keys({kNew, kOld});
    const std::string text = "SITEID=be_zb_ext\nGID=spring~t0k3n-9_x|more\nOID=op.1\n";
    for (const std::string& key : {kNew, kOld}) {
        const CodeVerdict verdict = keys.check(Mint(key, text));
        EXPECT_EQ(verdict.text, text);
        EXPECT_EQ(verdict.why, "");
    }
}

TEST(DownloadKeys, EveryBadCodeSaysWhy) {
    const DownloadKeys keys({kNew});
    const std::string text = "SITEID=FR\nGID=c~t\n";
    std::string flipped = Mint(kNew, text);
    flipped[flipped.size() - 5] = flipped[flipped.size() - 5] == 'A' ? 'B' : 'A';
    const std::string otherText = Mint(kNew, "SITEID=DE\n");
    const struct {
        std::string code;
        const char* why;
    } cases[] = {
        {"", "no code"},
        {"U0lURUlEPUZS", "malformed code"},
        {Mint(kNew, text) + "=", "malformed code"},
        {Mint(kOld, text), "forged code"},
        {flipped, "forged code"},
        {otherText.substr(0, otherText.find('.')) +
             Mint(kNew, text).substr(Mint(kNew, text).find('.')),
         "forged code"},
        {Mint(kNew, "SITEID=FR\nGID=c~t\nOID=a b\n"), "refused code: the value of OID breaks"},
        {Mint(kNew, "SITEID=../x\n"), "refused code: the value of SITEID breaks"},
        {Mint(kNew, "GID=x\nTHM=\x01\n"), "refused code: the value of THM breaks"},
        {Mint(kNew, std::string("X=a\0b", 5)), "refused code: the value of X breaks"},
    };
    for (const auto& c : cases) {
        const CodeVerdict verdict = keys.check(c.code);
        EXPECT_FALSE(verdict.text) << c.code;
        EXPECT_NE(verdict.why.find(c.why), std::string::npos) << c.code << ": " << verdict.why;
    }
}

TEST(DownloadKeys, ARefusedValueIsNeverLogged) {
    const CodeVerdict verdict =
        DownloadKeys({kNew}).check(Mint(kNew, "ONAME=" + std::string(40, '!') + "\n"));
    EXPECT_EQ(verdict.why, "refused code: the value of ONAME breaks its rule");
}

}  // namespace
