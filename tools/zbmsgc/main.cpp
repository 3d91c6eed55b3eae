// zbmsgc: compiles the message-table source into the program's message-table resource.
//   zbmsgc SOURCE OUT_FILE    compile (warnings for unknown languages and keys)
//   zbmsgc --dump FILE        print the decoded table, texts in UTF-8
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "installer/core/hostfile.h"
#include "installer/core/messagecompiler.h"
#include "plib/perror.h"

namespace {

int Compile(const char* source, const char* outFile) {
    std::vector<std::string> warnings;
    const std::vector<std::uint8_t> text = ReadHostFile(source);
    const std::string_view sourceText(reinterpret_cast<const char*>(text.data()), text.size());
    const std::vector<std::uint8_t> resource = CompileMessageTable(sourceText, warnings);
    for (const std::string& warning : warnings) {
        std::fprintf(stderr, "%s:%s\n", source, warning.c_str());
    }
    WriteHostFile(outFile, resource);
    return 0;
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
        if (argc == 3 && !mode.starts_with("--")) return Compile(argv[1], argv[2]);
    } catch (const PError& e) {
        std::fprintf(stderr, "zbmsgc: %s\n", e.why());
        return 1;
    }
    std::fprintf(stderr, "usage: zbmsgc SOURCE OUT_FILE | --dump FILE\n");
    return 2;
}
