#include "installer/core/i18nlinereader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Reads every line of `text`, handing the reader at most `chunk` bytes per call.
std::vector<std::string> Lines(const std::string& text, std::size_t chunk) {
    std::size_t offset = 0;
    I18nLineReader reader([&](std::uint8_t* buffer, std::size_t capacity) {
        const std::size_t n = std::min({capacity, chunk, text.size() - offset});
        text.copy(reinterpret_cast<char*>(buffer), n, offset);
        offset += n;
        return n;
    });
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line)) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(I18nLineReader, SplitsAtCrOrLfAndSkipsEmptyLines) {
    const std::string text = "one\r\ntwo\n\n\rthree\rfour";
    const std::vector<std::string> expected = {"one", "two", "three", "four"};
    for (std::size_t chunk : {1, 2, 3, 4096}) EXPECT_EQ(Lines(text, chunk), expected) << chunk;
}

TEST(I18nLineReader, LinesLongerThanTheWindowArriveWhole) {
    const std::string longLine(3 * I18nLineReader::kWindowSize + 17, 'x');
    const std::string text = "a\r\n" + longLine + "\r\nb";
    EXPECT_EQ(Lines(text, I18nLineReader::kWindowSize),
              (std::vector<std::string>{"a", longLine, "b"}));
}

TEST(I18nLineReader, EmptyAndTerminatorOnlySourcesGiveNoLines) {
    EXPECT_TRUE(Lines("", 10).empty());
    EXPECT_TRUE(Lines("\r\n\r\n\n", 10).empty());
}

TEST(I18nLineReader, ReadsFromMemory) {
    const std::uint8_t bytes[] = {'h', 'i', '\n', 0xE9, '\r', '\n'};
    I18nLineReader reader(bytes, sizeof bytes);
    std::string line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "hi");
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "\xE9");
    EXPECT_FALSE(reader.next(line));
}
