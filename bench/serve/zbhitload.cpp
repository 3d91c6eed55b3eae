// The load side of the server's bench:
//   zbhitload send ADDRESS:PORT CLIENTS SECONDS RUN   hits over kept-alive connections, one
//                                                     client a thread that waits for each answer;
//                                                     prints a JSON line of counts and times
//   zbhitload generate STORE HITS DAYS                made-up installations' hits and downloads
//                                                     written into STORE as the server would
//   zbhitload count STORE                             the hits STORE holds

#include <algorithm>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "journeys.h"
#include "server/hitbody.h"
#include "server/store.h"

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

struct ClientResult {
    std::uint64_t stored = 0;
    std::uint64_t other = 0;
    std::vector<double> answerMs;
};

std::string ClientId(unsigned run, unsigned client, std::uint64_t installation) {
    char text[40];
    std::snprintf(text, sizeof text, "%08x%04x%020llx", run, client,
                  static_cast<unsigned long long>(installation));
    return text;
}

void Client(const std::string& host, const std::string& port, unsigned run, unsigned client,
            Clock::time_point end, ClientResult& result) {
    asio::io_context io;
    tcp::socket socket(io);
    asio::connect(socket, tcp::resolver(io).resolve(host, port));
    JourneyMaker maker(run * 1000 + client);
    boost::beast::flat_buffer buffer;
    std::vector<std::string> bodies;
    std::size_t next = 0;
    for (std::uint64_t installation = 0; Clock::now() < end;) {
        if (next == bodies.size()) {
            bodies = maker.hits(ClientId(run, client, installation++), 0, nullptr);
            next = 0;
            continue;
        }
        http::request<http::string_body> request(http::verb::post, "/collect", 11);
        request.set(http::field::host, host + ":" + port);
        request.set(http::field::content_type, "application/x-www-form-urlencoded");
        request.body() = bodies[next++];
        request.prepare_payload();
        const auto start = Clock::now();
        http::write(socket, request);
        http::response<http::string_body> response;
        http::read(socket, buffer, response);
        result.answerMs.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (response.result_int() == 204)
            ++result.stored;
        else
            ++result.other;
    }
}

double Percentile(std::vector<double>& values, double p) {
    if (values.empty()) return 0;
    const std::size_t at = std::min(values.size() - 1, static_cast<std::size_t>(p * values.size()));
    std::nth_element(values.begin(), values.begin() + at, values.end());
    return values[at];
}

int Send(const std::string& address, unsigned clients, double seconds, unsigned run) {
    const std::size_t colon = address.rfind(':');
    const std::string host = address.substr(0, colon), port = address.substr(colon + 1);
    std::vector<ClientResult> results(clients);
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    const auto end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    for (unsigned c = 0; c < clients; ++c)
        threads.emplace_back(Client, host, port, run, c, end, std::ref(results[c]));
    for (std::thread& thread : threads) thread.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    ClientResult all;
    for (ClientResult& result : results) {
        all.stored += result.stored;
        all.other += result.other;
        all.answerMs.insert(all.answerMs.end(), result.answerMs.begin(), result.answerMs.end());
    }
    std::printf(
        "{\"stored\":%llu,\"other\":%llu,\"seconds\":%.3f,\"hits_per_second\":%.0f,"
        "\"p50_ms\":%.2f,\"p99_ms\":%.2f}\n",
        static_cast<unsigned long long>(all.stored), static_cast<unsigned long long>(all.other),
        elapsed, all.stored / elapsed, Percentile(all.answerMs, 0.5),
        Percentile(all.answerMs, 0.99));
    return 0;
}

std::vector<StoreItem> Installation(JourneyMaker& maker, std::uint64_t index, std::int64_t dayMs) {
    DownloadRecord download;
    const std::vector<std::string> bodies = maker.hits(ClientId(0, 0, index), dayMs, &download);
    std::vector<StoreItem> items;
    if (download.timeMs != 0) items.emplace_back(download);
    std::int64_t at = dayMs + 60000;
    for (const std::string& body : bodies) {
        std::string why;
        items.emplace_back(ReceivedHit{ParseHitBody(body, why).value(), at += 5000, "192.0.2.1"});
    }
    return items;
}

int Generate(const std::string& location, std::uint64_t hits, std::int64_t days) {
    const Store store(location, "normal");
    auto db = store.connect();
    JourneyMaker maker(1);
    std::mt19937_64 random(2);
    constexpr std::int64_t kDayMs = 86400000;
    const std::int64_t today = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count() /
                               kDayMs * kDayMs;
    const auto start = Clock::now();
    std::vector<StoreItem> batch;
    std::uint64_t written = 0;
    for (std::uint64_t index = 0; written < hits; ++index) {
        const std::int64_t day = today - kDayMs * static_cast<std::int64_t>(random() % days);
        for (StoreItem& item : Installation(maker, index, day)) {
            written += std::holds_alternative<ReceivedHit>(item);
            batch.push_back(std::move(item));
        }
        if (batch.size() >= 20000 || written >= hits) {
            StoreItems(*db, batch);
            batch.clear();
        }
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("{\"hits\":%llu,\"seconds\":%.1f}\n", static_cast<unsigned long long>(written),
                elapsed);
    return 0;
}

int CountHits(const std::string& location) {
    const Store store(location, "normal");
    std::printf("%lld\n", static_cast<long long>(
                              SqlInt(store.connect()->query("SELECT COUNT(*) FROM hits")[0][0])));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 5 && args[0] == "send")
            return Send(args[1], std::stoul(args[2]), std::stod(args[3]), std::stoul(args[4]));
        if (args.size() == 4 && args[0] == "generate")
            return Generate(args[1], std::stoull(args[2]), std::stoll(args[3]));
        if (args.size() == 2 && args[0] == "count") return CountHits(args[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zbhitload: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr,
                 "usage: zbhitload send ADDRESS:PORT CLIENTS SECONDS RUN | generate STORE HITS "
                 "DAYS | count STORE\n");
    return 2;
}
