#include "plib/encinifile.h"

#include <gtest/gtest.h>

#include <string>

#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "tempfolder.h"

namespace {

// What the C library's text mode writes for a line feed.
#if defined(_WIN32)
const std::string kEol = "\r\n";
#else
const std::string kEol = "\n";
#endif

void Read(EncIniFile& ini, const std::string& text) {
    ini.readFromMemory(text.data(), text.size());
}

// The document as "[section]name=value|..." for compact comparisons.
std::string Dump(const EncIniFile& ini) {
    std::string out;
    for (std::size_t i = 0; i < ini.sectionCount(); ++i) {
        const EncIniSection& section = ini.section(i);
        out += "[" + std::string(section.name().c_str()) + "]";
        for (const EncIniItem& item : section.items()) {
            out += std::string(item.name.c_str()) + "=" + item.value.c_str() + "|";
        }
    }
    return out;
}

std::string ErrorOf(const std::string& text) {
    EncIniFile ini;
    try {
        Read(ini, text);
    } catch (const PInternalError& e) {
        return e.why();
    }
    return "no error";
}

struct ParseCase {
    const char* input;
    const char* document;
};

TEST(EncIniFile, LineRules) {
    const ParseCase cases[] = {
        {"[a]\nx=1\ny=2\n", "[a]x=1|y=2|"},
        {"[a]\nlast=line", "[a]last=line|"},                     // no final line feed
        {"[a]\r\nx=1\r\n", "[a]x=1|"},                           // CR dropped
        {"[a]\n\n   \n\t\nx=1", "[a]x=1|"},                      // blank lines
        {"# c\n; c\n[a]\n  # c\nx=1", "[a]x=1|"},                // comments
        {"=", "[]=|"},                                           // empty name and value
        {"top=1\n[a]\nx=2", "[]top=1|[a]x=2|"},                  // items before any header
        {"[a]\n k = v \n", "[a]k = v|"},                         // blanks around "=" kept inside
        {"[a]\nk=v=w\n", "[a]k=v=w|"},                           // split at the first "="
        {"[ a b ]\nx=1", "[ a b ]x=1|"},                         // header text as it is
        {"[a]\nx=1\n[b]\ny=2\n[A]\nz=3", "[a]x=1|z=3|[b]y=2|"},  // merged, first spelling
        {"[a]\nx=1\nX=2", "[a]x=1|X=2|"},                        // duplicates kept
        {"[]\nx=1", "[]x=1|"},
        {"[a]=[b]", "[a]=[b]"},  // ends in "]": a header "a]=[b"
    };
    for (const auto& c : cases) {
        EncIniFile ini;
        Read(ini, c.input);
        EXPECT_EQ(Dump(ini), c.document) << c.input;
    }
}

TEST(EncIniFile, ZeroBytesAreDropped) {
    EncIniFile ini;
    Read(ini, std::string("[a]\nx=1\0 2\n", 11));
    EXPECT_EQ(Dump(ini), "[a]x=1 2|");
}

TEST(EncIniFile, MalformedLineNamesItsNumber) {
    EXPECT_EQ(ErrorOf("[a]\n\n# note\nx=1\n;\n\nno equals here\nz=2"),
              "EncIniFile: Error in line #7");
    EXPECT_EQ(ErrorOf("[a"), "EncIniFile: Error in line #1");
    EXPECT_EQ(ErrorOf("x=1\r\n\r\nbad"), "EncIniFile: Error in line #3");
}

TEST(EncIniFile, FailedReadKeepsTheLinesBeforeTheError) {
    EncIniFile ini;
    EXPECT_THROW(Read(ini, "[a]\nx=1\nbad\ny=2"), PInternalError);
    EXPECT_EQ(Dump(ini), "[a]x=1|");
    Read(ini, "[b]\nz=3");  // reading again starts from an empty document
    EXPECT_EQ(Dump(ini), "[b]z=3|");
}

TEST(EncIniFile, SectionsAreFoundAddedAndRemovedByNameInAnyCase) {
    EncIniFile ini;
    Read(ini, "[one]\na=1\n[two]\nb=2\n[three]\nc=3\n");
    EXPECT_EQ(ini.findSection("TWO")->getValue("b"), std::string("2"));
    EXPECT_EQ(ini.findSection("four"), nullptr);
    EncIniSection& four = ini.findOrAddSection("four");
    EXPECT_EQ(&ini.findOrAddSection("FOUR"), &four);
    four.setValue("d", "4");
    ini.findOrAddSection("Two").addItem("b", "again");
    EXPECT_EQ(Dump(ini), "[one]a=1|[two]b=2|b=again|[three]c=3|[four]d=4|");
    ini.removeSections("TWO");
    ini.removeSections("missing");
    EXPECT_EQ(Dump(ini), "[one]a=1|[three]c=3|[four]d=4|");
}

TEST(EncIniFile, HeadersNamingOneSectionTwiceGiveOneSectionThatRemovesAtOnce) {
    EncIniFile ini;
    Read(ini, "[dup]\na=1\n[keep]\nb=2\n[DUP]\nc=3\n[dup]\n");
    EXPECT_EQ(Dump(ini), "[dup]a=1|c=3|[keep]b=2|");
    ini.removeSections("Dup");
    EXPECT_EQ(Dump(ini), "[keep]b=2|");
    EXPECT_EQ(ini.findSection("dup"), nullptr);
}

TEST(EncIniSection, ValuesAndNumbers) {
    EncIniFile ini;
    Read(ini,
         "[s]\nempty=\ndec=  -42abc\nhex=x1F\nhexbad=xZZ\nword=abc\nbig=99999999999\n"
         "first=1\nFIRST=2\nplus=+7\n");
    const EncIniSection& s = *ini.findSection("s");
    EXPECT_STREQ(s.getValue("empty"), "");
    EXPECT_EQ(s.getValue("none"), nullptr);
    EXPECT_STREQ(s.getValue("First"), "1");
    struct NumberCase {
        const char* name;
        std::int32_t expected;
    };
    const NumberCase numbers[] = {
        {"dec", -42},  {"hex", 31},  {"hexbad", 0},       {"word", 0},
        {"none", 555}, {"empty", 0}, {"big", 2147483647}, {"plus", 7},
    };
    for (const auto& n : numbers) {
        EXPECT_EQ(s.getNumber(n.name, 555), n.expected) << n.name;
    }
}

TEST(EncIniSection, SetValueReplacesTheFirstOrAppends) {
    EncIniSection s("s");
    s.addItem("k", "1");
    s.addItem("k", "2");
    s.setValue("K", "3");
    s.setValue("new", "4");
    ASSERT_EQ(s.items().size(), 3u);
    EXPECT_STREQ(s.items()[0].value.c_str(), "3");
    EXPECT_STREQ(s.items()[1].value.c_str(), "2");
    EXPECT_STREQ(s.items()[2].name.c_str(), "new");
}

TEST(EncIniFile, FileRoundTripWritesSectionsAndItemsOnly) {
    TempFolder folder;
    const PString path = folder.file("user.ini").c_str();
    TempFolder::write(path.c_str(),
                      "# settings\r\n\r\n[Main]\r\nlang = en\r\n; old\r\n[Net]\r\nport=80");
    EncIniFile ini;
    ini.readFromFile(path, nullptr);
    ini.findOrAddSection("Main").setValue(
        "lang ", " de");  // the name keeps its blank, so this is the same item
    ini.writeToFile(path, nullptr);
    EXPECT_EQ(TempFolder::read(path.c_str()), "[Main]" + kEol + "lang = de" + kEol + kEol +
                                                  "[Net]" + kEol + "port=80" + kEol + kEol);
    EncIniFile again;
    again.readFromFile(path, &PMixedEncoding());
    EXPECT_EQ(Dump(again), "[Main]lang = de|[Net]port=80|");
}

TEST(EncIniFile, OpenFailuresNameTheFile) {
    TempFolder folder;
    const PString missing = folder.file("no/such.ini").c_str();
    EncIniFile ini;
    try {
        ini.readFromFile(missing, nullptr);
        FAIL() << "no error";
    } catch (const PInternalError& e) {
        EXPECT_EQ(std::string(e.why()),
                  "Unable to open ini file '" + std::string(missing.c_str()) + "'");
    }
    try {
        ini.writeToFile(missing, nullptr);
        FAIL() << "no error";
    } catch (const PInternalError& e) {
        EXPECT_EQ(std::string(e.why()),
                  "Unable to open ini file '" + std::string(missing.c_str()) + "' for writing");
    }
}

}  // namespace
