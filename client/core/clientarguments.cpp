#include "client/core/clientarguments.h"

#include <charconv>
#include <vector>

#include "installer/core/installparameters.h"
#include "installer/core/registrationplan.h"
#include "plib/pstringencoding.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The line without its first token, the program name (quoted or not).
std::string_view AfterProgramName(std::string_view line) {
    size_t at = 0;
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (at < line.size() && line[at] == '"') {
        const size_t close = line.find('"', at + 1);
        return close == std::string_view::npos ? std::string_view() : line.substr(close + 1);
    }
    while (at < line.size() && !IsBlank(line[at])) ++at;
    return line.substr(at);
}

constexpr std::string_view kUninstallSwitches = "uoc";

bool StartsToken(std::string_view line, size_t at) {
    return at == 0 || IsBlank(line[at - 1]);
}

// Whether an uninstaller switch ("/u:", "/o:" or "/c:") starts at `at`, at the start of a token
// or just inside the quote that opens one.
bool SwitchAt(std::string_view line, size_t at) {
    if (at + 3 > line.size() || line[at] != '/' ||
        kUninstallSwitches.find(line[at + 1]) == std::string_view::npos || line[at + 2] != ':')
        return false;
    return StartsToken(line, at) || (line[at - 1] == '"' && StartsToken(line, at - 1));
}

}  // namespace

std::string LauncherOperatorId(std::string_view commandLine) {
    std::string_view rest = AfterProgramName(commandLine);
    while (!rest.empty()) {
        while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
        size_t end = 0;
        while (end < rest.size() && !IsBlank(rest[end])) ++end;
        const std::string_view token = rest.substr(0, end);
        if (token.starts_with("--o:")) return std::string(token.substr(4));
        rest.remove_prefix(end);
    }
    return {};
}

std::optional<UninstallArguments> ParseUninstallArguments(std::string_view commandLine) {
    const std::string_view line = AfterProgramName(commandLine);
    std::vector<size_t> starts;
    for (size_t at = 0; at < line.size(); ++at)
        if (SwitchAt(line, at)) starts.push_back(at);
    UninstallArguments args;
    bool named = false;
    std::string seen;
    for (size_t i = 0; i < starts.size(); ++i) {
        // A repeated switch is refused rather than letting the later one win: a value that
        // smuggled in a second "/u:" must not choose which product is removed.
        const char letter = line[starts[i] + 1];
        if (seen.find(letter) != std::string::npos) return std::nullopt;
        seen.push_back(letter);
        const size_t from = starts[i] + 3;
        size_t to = i + 1 < starts.size() ? starts[i + 1] : line.size();
        if (i + 1 < starts.size() && line[to - 1] == '"') --to;  // the next switch's quote
        while (to > from && IsBlank(line[to - 1])) --to;
        // A quoted switch ("/u:A B") ends with its closing quote.
        if (starts[i] > 0 && line[starts[i] - 1] == '"' && to > from && line[to - 1] == '"') --to;
        const std::string_view value = line.substr(from, to - from);
        switch (letter) {
            case 'u':
                args.displayName = value;
                named = true;
                break;
            case 'o':
                args.oid = value;
                break;
            default: {
                std::uint32_t handle = 0;
                const auto [end, error] =
                    std::from_chars(value.data(), value.data() + value.size(), handle);
                if (error != std::errc() || end != value.data() + value.size() || value.empty())
                    return std::nullopt;
                args.originalProcess = handle;
            }
        }
    }
    if (!named || args.displayName.empty()) return std::nullopt;
    return args;
}

std::optional<std::string> ContinuationCommandLine(const std::string& commandProcessor,
                                                   const std::string& copyPath,
                                                   const std::string& copyFolder,
                                                   const UninstallArguments& args,
                                                   std::uint32_t originalProcess) {
    for (const std::string* text :
         {&commandProcessor, &copyPath, &copyFolder, &args.displayName, &args.oid}) {
        if (text->find_first_of("\"%") != std::string::npos) return std::nullopt;
    }
    std::string line =
        PMixedJoin({"\"", commandProcessor, "\" /d /q /v:off /e:on /c start \"\" /wait \"",
                    copyPath, "\" \"/u:", args.displayName, "\""});
    if (!args.oid.empty()) line = PMixedJoin({line, " \"/o:", args.oid, "\""});
    return PMixedJoin(
        {line, " /c:", std::to_string(originalProcess), " & rd /s /q \"", copyFolder, "\""});
}

std::string UninstallKeyPath(const UninstallArguments& args) {
    InstallParameters params;
    params.displayName = args.displayName;
    params.oid = args.oid;
    return MakeRegistrationTexts(params).key;
}
