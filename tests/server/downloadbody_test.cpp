#include "server/downloadbody.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

std::shared_ptr<const UniqueFd> TempFile(const std::vector<std::uint8_t>& bytes) {
    char path[] = "/tmp/zb-plan-XXXXXX";
    const int fd = ::mkstemp(path);
    ::unlink(path);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    return std::make_shared<const UniqueFd>(fd);
}

std::vector<std::uint8_t> Sent(const std::vector<BodyPart>& parts) {
    std::vector<std::uint8_t> sent;
    for (const BodyPart& part : parts) {
        if (!part.file) {
            sent.insert(sent.end(), part.bytes.begin(), part.bytes.end());
            continue;
        }
        std::vector<std::uint8_t> piece(part.length);
        EXPECT_EQ(
            ::pread(part.file->get(), piece.data(), part.length, static_cast<off_t>(part.offset)),
            static_cast<ssize_t>(part.length));
        sent.insert(sent.end(), piece.begin(), piece.end());
    }
    return sent;
}

// Patches in the headers and near the end of a 1 MiB file, as a tag's plan has them.
TEST(PlanBody, SendsWhatThePlanMakesWithTheLongSpansFromTheFile) {
    std::vector<std::uint8_t> file(1 << 20);
    for (std::size_t i = 0; i < file.size(); ++i)
        file[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    TrackingTagPlan plan{
        .keep = file.size() - 100,
        .patches = {{0xD8, {1, 2, 3, 4}}, {0x128, {5, 6, 7, 8}}, {file.size() - 300, {9, 9}}},
        .tail = {'t', 'a', 'i', 'l'}};
    const DownloadBody body = PlanBody(plan, TempFile(file));
    std::vector<std::uint8_t> expected = file;
    ApplyTrackingTagPlan(plan, expected);
    EXPECT_EQ(body.size(), expected.size());
    const std::vector<BodyPart> parts = body.whole();
    EXPECT_EQ(Sent(parts), expected);
    std::uint64_t inMemory = 0;
    for (const BodyPart& part : parts) inMemory += part.file ? 0 : part.bytes.size();
    EXPECT_LT(inMemory, 2 * 16384u) << "the body copies the file";
    EXPECT_EQ(Sent(body.slice({0x100, 0x40})),
              std::vector<std::uint8_t>(expected.begin() + 0x100, expected.begin() + 0x140));
}

TEST(PlanBody, APlanThatChangesNothingIsTheFileItself) {
    std::vector<std::uint8_t> file(100000, 'x');
    const DownloadBody body = PlanBody(TrackingTagPlan{.keep = file.size()}, TempFile(file));
    const std::vector<BodyPart> parts = body.whole();
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_TRUE(parts[0].file);
    EXPECT_EQ(parts[0].length, file.size());
}

TEST(PlanBody, AFileShorterThanItsPlanIsRefused) {
    EXPECT_THROW(PlanBody(TrackingTagPlan{.keep = 100, .patches = {{10, {1}}}},
                          TempFile(std::vector<std::uint8_t>(50))),
                 std::runtime_error);
}

}  // namespace
