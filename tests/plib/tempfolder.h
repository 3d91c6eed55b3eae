#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        path_ = std::filesystem::temp_directory_path() /
                ("zb_plib_" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` inside the folder, as 8-bit text for the code under test.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

  private:
    std::filesystem::path path_;
};
