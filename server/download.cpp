// GET /download/<build>?code=<code>: the signed build with the code's tag inside its signature,
// streamed from the untagged file. Whatever is wrong with the code, the untagged build is
// served and the log says why; only a name that is no build gets 404.

#include <chrono>
#include <memory>
#include <optional>

#include "crypto/hmacsha256.h"
#include "installer/core/installparameters.h"
#include "installer/core/trackingtext.h"
#include "plib/perror.h"
#include "server/buildcache.h"
#include "server/downloadkeys.h"
#include "server/downloadresponse.h"
#include "server/groupid.h"
#include "server/jsonlog.h"
#include "server/ratelimit.h"
#include "server/routes.h"

namespace {

constexpr std::string_view kPrefix = "/download/";

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The value of the query's one "code=" parameter, as sent (a code needs no escaping); why not
// when there are several.
std::string_view CodeOf(std::string_view query, std::string& why) {
    std::optional<std::string_view> code;
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view parameter = query.substr(0, amp);
        query.remove_prefix(amp == std::string_view::npos ? query.size() : amp + 1);
        if (!parameter.starts_with("code=")) continue;
        if (code) {
            why = "code given twice";
            return {};
        }
        code = parameter.substr(5);
    }
    return code.value_or("");
}

// A strong validator of the served bytes: the build's digest and the tag text.
std::string ETagOf(const PreparedBuild& build, const std::string& text) {
    return "\"" + EncodeBase64Url(HmacSha256(build.digest, text)).substr(0, 22) + "\"";
}

// The build with `text` as its tag, or untagged (its own tag cleared) without a text. A text
// that cannot be a tag of it is dropped, and `why` says so.
DownloadBody BodyOf(const OpenBuild& build, const PreparedBuild& prepared,
                    std::optional<std::string>& text, std::string& why) {
    if (!prepared.base) {
        if (text) why = "the build cannot carry a tag: " + prepared.untaggable;
        text.reset();
        DownloadBody body(build.file);
        body.addFile(0, build.size);
        return body;
    }
    if (text) {
        try {
            return PlanBody(prepared.base->Plan(*text), build.file);
        } catch (const PError& error) {
            why = std::string("refused code: ") + error.why();
            text.reset();
        }
    }
    return PlanBody(prepared.base->PlanClear(), build.file);
}

class Downloads {
  public:
    explicit Downloads(const ServerOptions& options, StoreWriter& writer)
        : options_(options),
          writer_(writer),
          folder_(options.builds),
          keys_(options.keyFile.empty() ? std::nullopt
                                        : std::optional(DownloadKeys::FromFile(options.keyFile))),
          logThrottle_(10) {
        prepareAll();
    }

    void serve(const HttpRequest& request, const Reply& reply) {
        const std::string_view name = std::string_view(request.path).substr(kPrefix.size());
        std::string missing;
        std::optional<OpenBuild> build = folder_.open(name, missing);
        if (!build) return refuse(request, reply, missing);
        const std::shared_ptr<const PreparedBuild> prepared = cache_.prepare(*build);
        std::string why;
        std::optional<std::string> text = tagText(request, why);
        const DownloadBody body = BodyOf(*build, *prepared, text, why);
        const std::string served = text.value_or("");
        const std::string etag = ETagOf(*prepared, served);
        bool endsBody = false;
        HttpResponse response = AnswerDownload(request, body, etag, endsBody);
        response.header("Content-Disposition", "attachment; filename=\"" + build->name + "\"");
        response.header("Cache-Control",
                        "public, max-age=" + std::to_string(options_.downloadCacheSeconds));
        response.header("X-Content-Type-Options", "nosniff");
        if (request.method == "GET" && (response.status == 200 || response.status == 206)) {
            response.finished =
                [this, record = Record(request, *build, served, why, response.status, endsBody)](
                    std::uint64_t sent, bool complete) mutable {
                    finished(std::move(record), sent, complete);
                };
        }
        reply(std::move(response));
    }

  private:
    // Read at start-up, so that no first download waits for its build to be read, and the log
    // says at once which builds are served and which cannot carry a tag.
    void prepareAll() {
        for (const std::string& name : folder_.names()) {
            std::string why;
            const std::optional<OpenBuild> build = folder_.open(name, why);
            if (!build) continue;
            const std::shared_ptr<const PreparedBuild> prepared = cache_.prepare(*build);
            LogEvent("build_ready")
                .text("build", name)
                .number("size", static_cast<std::int64_t>(build->size))
                .text("sha256", prepared->digest)
                .text("untaggable", prepared->untaggable);
        }
    }

    struct PendingRecord {
        DownloadRecord download;
        std::string untagged;  // why the build went out untagged
        int status = 0;
        bool endsBody = false;
    };

    static PendingRecord Record(const HttpRequest& request, const OpenBuild& build,
                                const std::string& served, const std::string& why, int status,
                                bool endsBody) {
        return {DownloadRecord{
                    .timeMs = NowMs(), .build = build.name, .tag = served, .peer = request.peer},
                why, status, endsBody};
    }

    std::optional<std::string> tagText(const HttpRequest& request, std::string& why) const {
        const std::string_view code = CodeOf(request.query, why);
        if (!why.empty()) return std::nullopt;
        if (!keys_) {
            why = "no key file";
            return std::nullopt;
        }
        CodeVerdict verdict = keys_->check(code);
        why = std::move(verdict.why);
        return std::move(verdict.text);
    }

    // One record per download: a log line and a row of the store. The download counts as
    // completed when the client got every byte it asked for, up to the build's last one.
    void finished(PendingRecord record, std::uint64_t sent, bool complete) {
        DownloadRecord& download = record.download;
        download.bytesSent = sent;
        download.completed = complete && record.endsBody;
        InstallParameters ignored;
        const CampaignToken group = SplitGroupId(ApplyTrackingData(download.tag, ignored));
        LogEvent("download")
            .text("build", download.build)
            .text("peer", download.peer)
            .number("status", record.status)
            .text("token", group.token)
            .text("campaign", group.campaign)
            .text("site", SiteFromTrackingData(download.tag))
            .text("tag", download.tag)
            .text("untagged", record.untagged)
            .number("bytes_sent", static_cast<std::int64_t>(sent))
            .text("completed", download.completed ? "yes" : "no");
        if (!writer_.add(std::move(download), nullptr))
            LogEvent("download_not_stored").text("reason", "the store is behind");
    }

    void refuse(const HttpRequest& request, const Reply& reply, const std::string& why) {
        std::uint64_t suppressed = 0;
        if (logThrottle_.due(request.peer + " " + why, suppressed)) {
            LogEvent("download_refused")
                .text("peer", request.peer)
                .text("path", request.path.substr(0, 200))
                .text("reason", why)
                .number("suppressed", static_cast<std::int64_t>(suppressed));
        }
        reply(PlainResponse(404, "No such build."));
    }

    const ServerOptions& options_;
    StoreWriter& writer_;
    const BuildFolder folder_;
    const std::optional<DownloadKeys> keys_;
    BuildCache cache_;
    LogThrottle logThrottle_;
};

}  // namespace

void AddDownloadRoutes(std::vector<Route>& routes, ServerContext& context) {
    if (context.options.builds.empty()) return;
    auto downloads = std::make_shared<Downloads>(context.options, context.writer);
    routes.push_back(
        {"GET", "/download/*", Access::Public, Runs::Network,
         [downloads](HttpRequest& request, Reply reply) { downloads->serve(request, reply); }});
}
