#include "server/buildfolder.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace {

constexpr std::size_t kMaxBuildName = 128;

bool IsAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return "";
    return resolved;
}

std::string VersionOf(const struct stat& info) {
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + ":" +
           std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec) + ":" + std::to_string(info.st_ctim.tv_sec) + "." +
           std::to_string(info.st_ctim.tv_nsec);
}

}  // namespace

bool IsBuildName(std::string_view name) {
    if (name.empty() || name.size() > kMaxBuildName || !IsAsciiAlnum(name[0])) return false;
    for (char c : name)
        if (!IsAsciiAlnum(c) && c != '.' && c != '_' && c != '-') return false;
    return true;
}

BuildFolder::BuildFolder(const std::string& path) : path_(RealPath(path)) {
    if (!path_.empty()) folder_.reset(::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder_)
        throw std::runtime_error("--builds " + path + ": not a folder that can be read (" +
                                 std::strerror(errno) + ")");
}

std::optional<OpenBuild> BuildFolder::open(std::string_view name, std::string& why) const {
    if (!IsBuildName(name)) {
        why = "not a build name";
        return std::nullopt;
    }
    std::string direct(name);
    std::optional<OpenBuild> build = openDirect(direct, why);
    if (build || errno != ELOOP) return build;
    // A link: its target, fully resolved, must be a build of this folder itself.
    const std::string target = RealPath(path_ + "/" + direct);
    const std::size_t slash = target.rfind('/');
    if (slash == std::string::npos || target.substr(0, slash) != path_ ||
        !IsBuildName(target.substr(slash + 1))) {
        why = "a link leading out of the builds folder";
        return std::nullopt;
    }
    return openDirect(target.substr(slash + 1), why);
}

// Not blocking, so that a named pipe put in the folder cannot hold the thread.
std::optional<OpenBuild> BuildFolder::openDirect(const std::string& name, std::string& why) const {
    UniqueFd file(::openat(folder_.get(), name.c_str(),
                           O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (!file) {
        why =
            errno == ENOENT ? "no such build" : std::string("cannot open: ") + std::strerror(errno);
        return std::nullopt;
    }
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        why = "not a regular file";
        errno = 0;
        return std::nullopt;
    }
    return OpenBuild{name, std::make_shared<const UniqueFd>(std::move(file)),
                     static_cast<std::uint64_t>(info.st_size), VersionOf(info)};
}

std::vector<std::string> BuildFolder::names() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path_, error)) {
        std::string name = entry.path().filename().string();
        if (IsBuildName(name)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}
