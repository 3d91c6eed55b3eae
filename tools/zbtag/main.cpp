// zbtag: stamps the tracking tag into a built installer and reads it back.
//   zbtag write EXE TEXT_FILE    store TEXT_FILE's text as EXE's tag (replacing an earlier one)
//   zbtag read EXE               print the stored text, read as the installer reads it
//   zbtag clear EXE              remove the tag
//   zbtag check EXE              check the signature's digests, padding, checksum and tag
//   zbtag unscramble FILE        print the text of scrambled tracking data (tinfo.dat)
//   zbtag mint KEY_FILE TEXT_FILE  print the download code of TEXT_FILE's text (zbserve)
// A signed EXE keeps a valid signature: the tag goes inside it, as the last bytes of its PKCS#7
// structure and of the file.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "installer/core/trackingtrailer.h"
#include "plib/perror.h"
#include "tools/core/hostfile.h"
#include "tools/core/pelayout.h"
#include "tools/core/trackingtag.h"
#include "tools/zbtag/check.h"
#include "tools/zbtag/mint.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// The text's bytes as they are: Windows would otherwise turn each LF into CR LF.
void Print(const std::string& text) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::fwrite(text.data(), 1, text.size(), stdout);
}

int Write(const char* exe, const char* textFile) {
    std::vector<std::uint8_t> file = ReadHostFile(exe);
    const std::vector<std::uint8_t> text = ReadHostFile(textFile);
    WriteTrackingTag(file,
                     std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    WriteHostFile(exe, file);
    return 0;
}

int Read(const char* exe) {
    ReadPeLayout(ReadHostFile(exe));  // refuses what is not a PE file
    const std::optional<std::string> text = ReadTrackingTrailer(PString(exe), nullptr);
    if (!text) {
        std::fprintf(stderr, "zbtag: %s has no tracking tag\n", exe);
        return 1;
    }
    Print(*text);
    return 0;
}

int Clear(const char* exe) {
    std::vector<std::uint8_t> file = ReadHostFile(exe);
    if (ClearTrackingTag(file)) {
        WriteHostFile(exe, file);
    } else {
        std::fprintf(stderr, "zbtag: %s has no tracking tag\n", exe);
    }
    return 0;
}

int Run(std::string_view command, char** args, int count) {
    if (command == "write" && count == 2) return Write(args[0], args[1]);
    if (command == "read" && count == 1) return Read(args[0]);
    if (command == "clear" && count == 1) return Clear(args[0]);
    if (command == "check" && count == 1)
        return CheckInstallerFile(ReadHostFile(args[0])) == 0 ? 0 : 1;
    if (command == "mint" && count == 2) {
        Print(MintDownloadCode(ReadHostFile(args[0]), ReadHostFile(args[1])) + "\n");
        return 0;
    }
    if (command == "unscramble" && count == 1) {
        Print(UnscrambleTrackingData(ReadHostFile(args[0])));
        return 0;
    }
    std::fprintf(stderr,
                 "usage: zbtag write EXE TEXT_FILE | read EXE | clear EXE | check EXE | "
                 "unscramble FILE | mint KEY_FILE TEXT_FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc > 1 ? argv[1] : "", argv + 2, argc - 2);
    } catch (const PError& e) {
        std::fprintf(stderr, "zbtag: %s\n", e.why());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zbtag: %s\n", e.what());
    }
    return 1;
}
