#include "installer/core/hostfile.h"

#include <fstream>
#include <iterator>
#include <string>

#include "plib/perror.h"

std::vector<std::uint8_t> ReadHostFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    if (!in && !in.eof()) throw PInternalError((std::string("cannot read ") + path).c_str());
    return bytes;
}

void WriteHostFile(const char* path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw PInternalError((std::string("cannot write ") + path).c_str());
}
