#include "server/downloadresponse.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

// A body of a file's bytes with a few changed ones in memory, as a tagged download has.
class DownloadResponseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char path[] = "/tmp/zb-body-XXXXXX";
        const int fd = ::mkstemp(path);
        ::unlink(path);
        for (int i = 0; i < 5000; ++i) file_ += static_cast<char>('a' + i % 26);
        ASSERT_EQ(::write(fd, file_.data(), file_.size()), static_cast<ssize_t>(file_.size()));
        body_.emplace(std::make_shared<const UniqueFd>(fd));
        body_->addFile(0, 100);
        body_->addBytes("HEAD");
        body_->addFile(104, 4000);
        body_->addBytes("TAIL!");
        expected_ = file_.substr(0, 100) + "HEAD" + file_.substr(104, 4000) + "TAIL!";
    }

    // What the network side would send of `parts`.
    std::string Send(const std::vector<BodyPart>& parts) const {
        std::string sent;
        for (const BodyPart& part : parts) {
            if (!part.file) {
                sent += part.bytes;
                continue;
            }
            std::string piece(part.length, '\0');
            EXPECT_EQ(::pread(part.file->get(), piece.data(), part.length,
                              static_cast<off_t>(part.offset)),
                      static_cast<ssize_t>(part.length));
            sent += piece;
        }
        return sent;
    }

    HttpResponse Answer(HttpHeaders headers, bool& endsBody) {
        HttpRequest request;
        request.method = "GET";
        request.headers = std::move(headers);
        return AnswerDownload(request, *body_, kTag, endsBody);
    }

    static std::string HeaderOf(const HttpResponse& response, const std::string& name) {
        for (const auto& [key, value] : response.headers)
            if (key == name) return value;
        return "";
    }

    const std::string kTag = "\"t4g\"";
    std::string file_, expected_;
    std::optional<DownloadBody> body_;
};

TEST_F(DownloadResponseTest, EverySliceIsTheBodysBytes) {
    ASSERT_EQ(body_->size(), expected_.size());
    for (std::uint64_t first : {0, 1, 99, 100, 103, 104, 2000, 4103, 4104, 4108})
        for (std::uint64_t length : {1, 3, 4, 5, 200})
            if (first + length <= expected_.size())
                EXPECT_EQ(Send(body_->slice({first, length})), expected_.substr(first, length))
                    << first << "+" << length;
    EXPECT_EQ(Send(body_->whole()), expected_);
}

TEST_F(DownloadResponseTest, WholeRangeAndSuffix) {
    bool ends = false;
    HttpResponse whole = Answer({}, ends);
    EXPECT_EQ(whole.status, 200);
    EXPECT_TRUE(ends);
    EXPECT_EQ(Send(whole.body), expected_);
    EXPECT_EQ(HeaderOf(whole, "ETag"), kTag);
    EXPECT_EQ(HeaderOf(whole, "Accept-Ranges"), "bytes");

    HttpResponse part = Answer({{"Range", "bytes=98-107"}}, ends);
    EXPECT_EQ(part.status, 206);
    EXPECT_FALSE(ends);
    EXPECT_EQ(HeaderOf(part, "Content-Range"), "bytes 98-107/4109");
    EXPECT_EQ(Send(part.body), expected_.substr(98, 10));

    HttpResponse suffix = Answer({{"Range", "bytes=-7"}}, ends);
    EXPECT_TRUE(ends);
    EXPECT_EQ(HeaderOf(suffix, "Content-Range"), "bytes 4102-4108/4109");
    EXPECT_EQ(Send(suffix.body), expected_.substr(4102));
}

TEST_F(DownloadResponseTest, SeveralRangesAreOneMultipartBody) {
    bool ends = false;
    HttpResponse response = Answer({{"Range", "bytes=4100-,0-1"}}, ends);
    EXPECT_EQ(response.status, 206);
    EXPECT_TRUE(ends);
    const std::string boundary = "zbserve-t4g";
    EXPECT_EQ(HeaderOf(response, "Content-Type"), "multipart/byteranges; boundary=" + boundary);
    EXPECT_EQ(Send(response.body),
              "\r\n--" + boundary +
                  "\r\nContent-Type: application/octet-stream\r\nContent-Range: bytes 0-1/4109"
                  "\r\n\r\nab\r\n--" +
                  boundary +
                  "\r\nContent-Type: application/octet-stream\r\nContent-Range: bytes "
                  "4100-4108/4109\r\n\r\n" +
                  expected_.substr(4100) + "\r\n--" + boundary + "--\r\n");
}

TEST_F(DownloadResponseTest, ValidatorsAndUnsatisfiableRanges) {
    bool ends = true;
    HttpResponse cached = Answer({{"If-None-Match", "W/\"t4g\""}, {"Range", "bytes=0-1"}}, ends);
    EXPECT_EQ(cached.status, 304);
    EXPECT_FALSE(ends);
    EXPECT_TRUE(cached.body.empty());

    HttpResponse beyond = Answer({{"Range", "bytes=4109-"}}, ends);
    EXPECT_EQ(beyond.status, 416);
    EXPECT_EQ(HeaderOf(beyond, "Content-Range"), "bytes */4109");

    HttpResponse stale = Answer({{"Range", "bytes=0-1"}, {"If-Range", "\"other\""}}, ends);
    EXPECT_EQ(stale.status, 200);
    EXPECT_EQ(Send(stale.body), expected_);
    HttpResponse fresh = Answer({{"Range", "bytes=0-1"}, {"If-Range", kTag}}, ends);
    EXPECT_EQ(fresh.status, 206);
    EXPECT_EQ(Send(fresh.body), "ab");
}

}  // namespace
