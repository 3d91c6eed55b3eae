// zbmsgc: compiles the message-table sources into the program's message-table resource.
//   zbmsgc SOURCE... OUT_FILE   compile the sources, in the order given, into one table
//                               (warnings for unknown languages and keys)
//   zbmsgc --check SOURCE...    check the sources as one table against their English lines;
//                               prints each problem and exits 1 when there is one
//   zbmsgc --dump FILE          print the decoded table, texts in UTF-8
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "plib/perror.h"
#include "tools/core/hostfile.h"
#include "tools/core/messagechecker.h"
#include "tools/core/messagecompiler.h"

namespace {

std::string ReadSource(const char* path) {
    const std::vector<std::uint8_t> bytes = ReadHostFile(path);
    return std::string(bytes.begin(), bytes.end());
}

int Compile(const std::vector<const char*>& sources, const char* outFile) {
    std::string table(kMessageTableBanner);
    for (const char* source : sources) {
        std::vector<std::string> warnings;
        try {
            AppendMessageTableSource(table, ReadSource(source), warnings);
        } catch (const PError& e) {
            std::fprintf(stderr, "zbmsgc: %s:%s\n", source, e.why());
            return 1;
        }
        for (const std::string& warning : warnings) {
            std::fprintf(stderr, "%s:%s\n", source, warning.c_str());
        }
    }
    WriteHostFile(outFile, PackMessageTable(table));
    return 0;
}

int Check(const std::vector<const char*>& paths) {
    std::vector<std::string> texts;
    for (const char* path : paths) texts.push_back(ReadSource(path));
    std::vector<MessageSource> sources;
    for (std::size_t i = 0; i < paths.size(); ++i) sources.push_back({paths[i], texts[i]});
    const MessageCheckResult result = CheckMessageSources(sources);
    for (const std::string& problem : result.problems)
        std::fprintf(stderr, "%s\n", problem.c_str());
    std::string counts;
    for (const auto& [language, lines] : result.lines) {
        counts += " " + language + " " + std::to_string(lines);
    }
    std::printf("zbmsgc: %zu languages, text lines:%s\n", result.lines.size(), counts.c_str());
    if (result.problems.empty()) return 0;
    std::fprintf(stderr, "zbmsgc: %zu problems\n", result.problems.size());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "--dump" && argc == 3) {
            const std::vector<std::uint8_t> resource = ReadHostFile(argv[2]);
            std::fputs(
                DumpMessageTable(resource.data(), static_cast<std::uint32_t>(resource.size()))
                    .c_str(),
                stdout);
            return 0;
        }
        if (mode == "--check" && argc >= 3) {
            return Check(std::vector<const char*>(argv + 2, argv + argc));
        }
        if (argc >= 3 && !mode.starts_with("--")) {
            return Compile(std::vector<const char*>(argv + 1, argv + argc - 1), argv[argc - 1]);
        }
    } catch (const PError& e) {
        std::fprintf(stderr, "zbmsgc: %s\n", e.why());
        return 1;
    }
    std::fprintf(stderr, "usage: zbmsgc SOURCE... OUT_FILE | --check SOURCE... | --dump FILE\n");
    return 2;
}
