// zbpack: builds the payload archive resource from a folder, and reads one back.
//   zbpack SRC_DIR OUT_FILE      pack the regular files below SRC_DIR
//   zbpack --list FILE           each file's path and size, then the totals
//   zbpack --test FILE           decode everything, discarding it (integrity and speed)
//   zbpack --extract FILE DIR    unpack into DIR, as the installer does
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "installer/core/payloadarchive.h"
#include "installer/core/programtext.h"
#include "installer/core/resourcecursor.h"
#include "plib/perror.h"
#include "tools/core/hostarchive.h"
#include "tools/core/hostfile.h"
#include "tools/core/payloadfolder.h"

namespace {

// Counts what the archive holds and keeps none of it.
class DiscardTarget : public ExtractTarget {
  public:
    void onFileStarted(std::uint32_t, std::uint32_t, const PString&) override {}
    FileHandle openFile(const PString&) override { return nullptr; }
    void writeFile(FileHandle, const std::uint8_t*, std::uint32_t) override {}
    void closeFile(FileHandle) override {}
};

// Writes the files below a folder of the build machine; "\" in the archive's paths becomes
// the host's separator.
class FolderTarget : public ExtractTarget {
  public:
    void onFileStarted(std::uint32_t, std::uint32_t, const PString& relativePath) override {
        std::printf("%s\n", ProgramTextToUtf8(relativePath.view()).c_str());
    }
    FileHandle openFile(const PString& fullPath) override {
        std::string path = ProgramTextToUtf8(fullPath.view());
        for (char& c : path) {
            if (c == '\\') c = '/';
        }
        const std::filesystem::path file(reinterpret_cast<const char8_t*>(path.c_str()));
        std::filesystem::create_directories(file.parent_path());
        std::FILE* handle = std::fopen(file.string().c_str(), "wb");
        if (!handle) throw PInternalError(("cannot create " + path).c_str());
        return handle;
    }
    void writeFile(FileHandle file, const std::uint8_t* bytes, std::uint32_t count) override {
        if (std::fwrite(bytes, 1, count, static_cast<std::FILE*>(file)) != count) {
            throw PInternalError("cannot write");
        }
    }
    void closeFile(FileHandle file) override { std::fclose(static_cast<std::FILE*>(file)); }
};

int List(const std::vector<std::uint8_t>& archive) {
    ResourceCursor cursor(archive.data(), static_cast<std::uint32_t>(archive.size()));
    std::uint32_t total = 0;
    std::vector<PayloadFile> files;
    if (!ReadPayloadFiles(cursor, total, files)) {
        std::fprintf(stderr, "zbpack: archive error\n");
        return 1;
    }
    const std::vector<std::uint32_t> sizes = PayloadFileSizes(files, total);
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::printf("%10u  %s\n", sizes[i],
                    ProgramTextToUtf8(files[i].relativePath.view()).c_str());
    }
    std::printf("%10u  total in %zu files, %zu bytes packed\n", total, files.size(),
                archive.size());
    return 0;
}

int Unpack(const char* archive, const char* folder, ExtractTarget& target) {
    const bool ok =
        HostArchive(archive).extract(PString(Utf8ToProgramText(folder).c_str()), target);
    if (!ok) std::fprintf(stderr, "zbpack: archive error\n");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "--list" && argc == 3) return List(ReadHostFile(argv[2]));
        if (mode == "--test" && argc == 3) {
            DiscardTarget target;
            return Unpack(argv[2], "", target);
        }
        if (mode == "--extract" && argc == 4) {
            FolderTarget target;
            return Unpack(argv[2], argv[3], target);
        }
        if (argc == 3 && !mode.starts_with("--")) {
            WriteHostFile(argv[2], PackPayloadFolder(argv[1]));
            return 0;
        }
    } catch (const PError& e) {
        std::fprintf(stderr, "zbpack: %s\n", e.why());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zbpack: %s\n", e.what());
        return 1;
    }
    std::fprintf(
        stderr,
        "usage: zbpack SRC_DIR OUT_FILE | --list FILE | --test FILE | --extract FILE DIR\n");
    return 2;
}
