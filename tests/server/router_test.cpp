#include "server/router.h"

#include <gtest/gtest.h>

#include <future>

namespace {

HttpRequest Request(std::string method, std::string path) {
    HttpRequest request;
    request.method = std::move(method);
    request.path = std::move(path);
    return request;
}

class RouterTest : public ::testing::Test {
  protected:
    // The response to `request`, waited for (pool routes answer on another thread).
    HttpResponse send(HttpRequest request) {
        std::promise<HttpResponse> answer;
        auto future = answer.get_future();
        router_.dispatch(std::move(request), [&answer](HttpResponse response) {
            answer.set_value(std::move(response));
        });
        return future.get();
    }

    static Route Echo(std::string_view method, std::string_view path, Access access, Runs runs) {
        return {method, path, access, runs, [path](HttpRequest& request, Reply reply) {
                    reply(PlainResponse(200, std::string(path) + " " + request.path));
                }};
    }

    static std::string Body(const HttpResponse& response) {
        return response.body.empty() ? "" : response.body[0].bytes;
    }

    bool loggedIn_ = false;
    WorkPool pool_{1};
    Router router_{{Echo("GET", "/dashboard", Access::Operator, Runs::Pool),
                    Echo("GET", "/dashboard/funnel.csv", Access::Operator, Runs::Pool),
                    Echo("POST", "/collect", Access::Public, Runs::Network),
                    Echo("GET", "/download/*", Access::Public, Runs::Pool),
                    {"GET", "/fails", Access::Public, Runs::Pool,
                     [](HttpRequest&, Reply) { throw std::runtime_error("broken"); }}},
                   [this](const HttpRequest&) { return loggedIn_; },
                   pool_};
};

TEST_F(RouterTest, FindsExactAndPrefixRoutesAndAnswersHeadWithGet) {
    EXPECT_EQ(Body(send(Request("POST", "/collect"))), "/collect /collect\n");
    EXPECT_EQ(Body(send(Request("GET", "/download/a.exe"))), "/download/* /download/a.exe\n");
    EXPECT_EQ(Body(send(Request("HEAD", "/download/a.exe"))), "/download/* /download/a.exe\n");
    EXPECT_EQ(send(Request("GET", "/download")).status, 404);
    EXPECT_EQ(send(Request("GET", "/collect/x")).status, 404);
}

TEST_F(RouterTest, AKnownPathWithAnotherMethodIs405) {
    EXPECT_EQ(send(Request("GET", "/collect")).status, 405);
    EXPECT_EQ(send(Request("DELETE", "/download/a")).status, 405);
}

TEST_F(RouterTest, OperatorRoutesWantALogin) {
    const HttpResponse page = send(Request("GET", "/dashboard"));
    EXPECT_EQ(page.status, 303);
    ASSERT_FALSE(page.headers.empty());
    EXPECT_EQ(page.headers.back(), (std::pair<std::string, std::string>("Location", "/login")));
    EXPECT_EQ(send(Request("GET", "/dashboard/funnel.csv")).status, 401);
    loggedIn_ = true;
    EXPECT_EQ(send(Request("GET", "/dashboard")).status, 200);
}

TEST_F(RouterTest, ARouteThatThrowsIsAnswered500) {
    EXPECT_EQ(send(Request("GET", "/fails")).status, 500);
}

}  // namespace
