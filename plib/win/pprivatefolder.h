#pragma once

#include <string>

#include "plib/winseam/unique.h"

// A folder of its own for a file that an elevated program runs or leaves to another process:
// "<Windows>\Temp\<stem>-<16 random hex digits>", which no one could have prepared, made so
// that only administrators and SYSTEM may open it, in a folder where users may add things but
// not rename or remove what others made. While the object holds it, not even an administrator
// can rename it. Paths are program text (mixed encoding).
class PPrivateFolder {
  public:
    // Makes the folder; valid() tells whether that worked (GetLastError tells why not).
    explicit PPrivateFolder(const char* stem);
    // Removes the folder and what it holds, unless it was handed on (release).
    ~PPrivateFolder();
    PPrivateFolder(const PPrivateFolder&) = delete;
    PPrivateFolder& operator=(const PPrivateFolder&) = delete;

    bool valid() const noexcept { return !path_.empty(); }
    const std::string& path() const noexcept { return path_; }

    // Removes what the folder holds, then the folder, following no link. What is still in use
    // goes when Windows next starts; false then.
    bool remove();
    // Stops holding the folder and leaves it where it is, for a process that removes it later.
    void release() noexcept;

  private:
    std::string path_;
    UniqueFile held_;
};
