#include "tools/core/hostfile.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "plib/perror.h"

std::vector<std::uint8_t> ReadHostFile(const char* path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    std::vector<std::uint8_t> bytes(size > 0 ? static_cast<std::size_t>(size) : 0);
    in.seekg(0);
    if (size < 0 || !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        throw PInternalError((std::string("cannot read ") + path).c_str());
    }
    return bytes;
}

void WriteHostFile(const char* path, const std::vector<std::uint8_t>& bytes) {
    // Written beside the target and renamed over it, so that a failed write (a full disk, say)
    // never leaves a half-written file where a whole one was: zbtag rewrites built installers.
    const std::filesystem::path target(path);
    std::filesystem::path temporary = target;
    temporary += ".part";
    bool written;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        written = static_cast<bool>(out.flush());
    }
    std::error_code error;
    if (written) {
        const std::filesystem::file_status status = std::filesystem::status(target, error);
        if (std::filesystem::exists(status)) {
            std::filesystem::permissions(temporary, status.permissions(), error);
        }
        error.clear();
        std::filesystem::rename(temporary, target, error);
    }
    if (!written || error) {
        std::filesystem::remove(temporary, error);
        throw PInternalError((std::string("cannot write ") + path).c_str());
    }
}
