#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/uniquefd.h"

// A build as it was opened: its file and what tells one version of it from another.
struct OpenBuild {
    std::string name;  // its name in the folder (a link's target's)
    std::shared_ptr<const UniqueFd> file;
    std::uint64_t size = 0;
    // Device, inode, size and change times: another value means other bytes.
    std::string version;
};

// Whether `name` may name a build: 1 to 128 ASCII letters, digits, ".", "_" and "-", starting
// with a letter or digit; so no path, no "..", no hidden file.
bool IsBuildName(std::string_view name);

// The folder of signed builds that downloads come from. Only a regular file directly in it is a
// build; a link is followed when its target is one.
class BuildFolder {
  public:
    // Throws std::runtime_error when `path` is not a folder that can be read.
    explicit BuildFolder(const std::string& path);

    // The build `name` names, opened for reading; nothing, with why, for a name IsBuildName
    // refuses or that names no build (missing, not a regular file, a link leading elsewhere).
    std::optional<OpenBuild> open(std::string_view name, std::string& why) const;

    // The names of the folder that IsBuildName accepts, sorted.
    std::vector<std::string> names() const;

    const std::string& path() const { return path_; }

  private:
    std::optional<OpenBuild> openDirect(const std::string& name, std::string& why) const;

    std::string path_;  // resolved, without links
    UniqueFd folder_;
};
