#pragma once

#include <string_view>
#include <vector>

// What the setup program takes from its command line.
struct CommandLineOptions {
    // Cleared by "-nolaunch"; copied into the install parameters. The finish page's launch
    // button decides on its own whether the client starts.
    bool launch = false;

    // Handles one token: "-nolaunch", compared without regard to ASCII letter case over the
    // whole token, clears the launch flag; every other token is ignored.
    void handleToken(std::string_view token);
};

// The tokens of `commandLine`: split at every space and every double quote (quotes separate,
// they do not group; runs of separators give no empty tokens). The views point into it.
std::vector<std::string_view> SplitCommandLine(std::string_view commandLine);

// Hands each token of `commandLine` to `options`.
void ParseCommandLine(std::string_view commandLine, CommandLineOptions& options);
