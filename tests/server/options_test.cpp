#include "server/options.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

ServerOptions Parse(std::vector<std::string_view> args, std::vector<std::string_view> env = {}) {
    return ParseOptions(args, env).options;
}

std::string Error(std::vector<std::string_view> args, std::vector<std::string_view> env = {}) {
    try {
        ParseOptions(args, env);
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    ADD_FAILURE() << "no error";
    return "";
}

TEST(Options, FlagsWinOverTheEnvironmentWhichWinsOverDefaults) {
    const ServerOptions defaults;
    const ServerOptions options =
        Parse({"--store", "/tmp/a.sqlite"},
              {"ZBSERVE_STORE=/tmp/b.sqlite", "ZBSERVE_MAX_CONNECTIONS=7", "OTHER=1"});
    EXPECT_EQ(options.store, "/tmp/a.sqlite");
    EXPECT_EQ(options.maxConnections, 7u);
    EXPECT_EQ(options.listen, defaults.listen);
}

TEST(Options, TakesTheValueAfterTheFlagOrAfterAnEqualsSign) {
    const ServerOptions options = Parse({"--listen=0.0.0.0:80", "--collect-rate", "0"});
    EXPECT_EQ(options.listen, "0.0.0.0:80");
    EXPECT_EQ(options.collectRate, 0u);
}

TEST(Options, RefusesUnknownFlagsMissingValuesAndNumbersOutOfRange) {
    EXPECT_EQ(Error({"--nope", "1"}), "unknown option --nope");
    EXPECT_EQ(Error({"--store"}), "--store wants a value");
    EXPECT_EQ(Error({"--max-connections", "0"}),
              "--max-connections wants a whole number from 1 to 100000, not \"0\"");
    EXPECT_NE(Error({"--threads", "2x"}), "");
    EXPECT_NE(Error({}, {"ZBSERVE_THREADS=-1"}), "");
}

TEST(Options, HelpNamesEveryFlagWithItsVariableAndEachParses) {
    const std::string help = OptionsHelp();
    std::size_t flags = 0;
    for (std::size_t at = help.find("\n  --"); at != std::string::npos;
         at = help.find("\n  --", at + 1)) {
        const std::string flag = help.substr(at + 3, help.find(' ', at + 3) - at - 3);
        EXPECT_NE(help.find("(" + EnvironmentName(flag) + ")"), std::string::npos) << flag;
        // Every listed flag is known (its value may be out of its range).
        try {
            ParseOptions(std::vector<std::string_view>{flag, "1024"}, {});
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(std::string(error.what()).find("unknown"), std::string::npos) << flag;
        }
        ++flags;
    }
    EXPECT_GE(flags, 10u);
    EXPECT_TRUE(ParseOptions(std::vector<std::string_view>{"--help"}, {}).help);
}

TEST(Options, EnvironmentNamesFollowTheFlags) {
    EXPECT_EQ(EnvironmentName("--max-body-bytes"), "ZBSERVE_MAX_BODY_BYTES");
    EXPECT_EQ(EnvironmentName("--listen"), "ZBSERVE_LISTEN");
}

}  // namespace
