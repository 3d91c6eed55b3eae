#include "tools/core/payloadfolder.h"

#include <algorithm>
#include <fstream>

#include "installer/core/programtext.h"
#include "plib/perror.h"
#include "tools/core/payloadwriter.h"

std::vector<PayloadSourceFile> ListPayloadFolder(const std::filesystem::path& folder) {
    std::vector<std::pair<std::string, PayloadSourceFile>> found;
    std::error_code error;
    std::filesystem::recursive_directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file()) continue;
        const std::u8string utf8 = it->path().lexically_relative(folder).generic_u8string();
        std::string name(utf8.begin(), utf8.end());
        std::replace(name.begin(), name.end(), '/', '\\');
        found.push_back({name, {Utf8ToProgramText(name), it->path(), it->file_size()}});
    }
    if (error) throw PInternalError(("cannot read folder " + folder.string()).c_str());
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<PayloadSourceFile> files;
    for (auto& f : found) files.push_back(std::move(f.second));
    return files;
}

std::vector<std::uint8_t> PackPayloadFolder(const std::filesystem::path& folder) {
    PayloadWriter writer;
    std::vector<char> buffer(1 << 20);
    for (const PayloadSourceFile& file : ListPayloadFolder(folder)) {
        writer.beginFile(file.relativePath);
        std::ifstream in(file.path, std::ios::binary);
        while (in) {
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            writer.addData(reinterpret_cast<const std::uint8_t*>(buffer.data()),
                           static_cast<std::size_t>(in.gcount()));
        }
        if (!in.eof()) throw PInternalError(("cannot read " + file.path.string()).c_str());
    }
    return writer.finish();
}
