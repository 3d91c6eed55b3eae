#include "installer/core/hostfile.h"

#include <fstream>
#include <string>

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
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw PInternalError((std::string("cannot write ") + path).c_str());
}
