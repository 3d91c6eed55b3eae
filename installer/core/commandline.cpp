#include "installer/core/commandline.h"

#include <string>

#include "plib/pstring.h"

void CommandLineOptions::handleToken(std::string_view token) {
    if (PString::compareNoCase(std::string(token).c_str(), "-nolaunch") == 0) launch = false;
}

std::vector<std::string_view> SplitCommandLine(std::string_view commandLine) {
    constexpr std::string_view kSeparators = " \"";
    std::vector<std::string_view> tokens;
    std::size_t position = commandLine.find_first_not_of(kSeparators);
    while (position != std::string_view::npos) {
        const std::size_t end = commandLine.find_first_of(kSeparators, position);
        tokens.push_back(commandLine.substr(position, end - position));
        if (end == std::string_view::npos) break;
        position = commandLine.find_first_not_of(kSeparators, end);
    }
    return tokens;
}

void ParseCommandLine(std::string_view commandLine, CommandLineOptions& options) {
    for (std::string_view token : SplitCommandLine(commandLine)) options.handleToken(token);
}
