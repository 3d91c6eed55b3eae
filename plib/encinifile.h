#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "plib/pstring.h"
#include "plib/psystem.h"

class PStringEncoding;

struct EncIniItem {
    PString name;
    PString value;
};

// One section of an INI document: a name and its items in the order they were added. Names
// compare ASCII case-insensitively; values are kept exactly. Items with the same name are all
// kept; lookups find the first.
class EncIniSection {
  public:
    explicit EncIniSection(const char* name) : name_(name) {}

    const PString& name() const noexcept { return name_; }
    const std::vector<EncIniItem>& items() const noexcept { return items_; }

    // The value of the first item called `name`, or null when there is none (an empty value is
    // "", not null). Valid until the section changes.
    const char* getValue(const char* name) const noexcept;
    // The first item's value as a number, or `defaultValue` when there is no such item. A value
    // starting with "x" is hexadecimal after it; any other is decimal with optional leading
    // blanks and sign. Reading stops at the first other character (no digits read: 0); values
    // beyond the 32-bit range give its nearest end.
    std::int32_t getNumber(const char* name, std::int32_t defaultValue) const noexcept;
    // Sets the first item called `name`, or appends a new item.
    void setValue(const char* name, const char* value);
    // Appends an item even when one of that name exists.
    void addItem(const char* name, const char* value);

  private:
    EncIniItem* find(const char* name) noexcept;

    PString name_;
    std::vector<EncIniItem> items_;
};

// An INI document: ordered sections of ordered items, read from a file or memory and written
// back. Reading clears the document first; on a malformed line it throws and the document keeps
// the lines before it.
//
// Lines: zero bytes and CRs are dropped, LF ends a line, a last line without LF counts when it
// is not empty. Spaces and tabs around a line are ignored, and so are empty lines and lines
// starting with "#" or ";". "[name]" starts (or continues) a section; any other line is
// name=value, split at the first "=", blanks around "=" kept; items before any header go to the
// section with the empty name. A line without "=" throws
// PInternalError("EncIniFile: Error in line #N"), lines counted from 1.
class EncIniFile {
  public:
    EncIniFile() = default;
    EncIniFile(const EncIniFile&) = delete;
    EncIniFile& operator=(const EncIniFile&) = delete;

    // Throws PInternalError("Unable to open ini file '<name>'") when the file cannot be opened.
    void readFromFile(const PString& name, const PStringEncoding* encoding);
    void readFromMemory(const void* data, std::size_t length);
    // Reads the rest of `file`, as readFromFile reads its file.
    void readFromStream(std::FILE* file);
    // Creates or truncates the file (text mode: LF becomes CR LF on Windows) and writes
    // "[name]", then "name=value" for each item, then an empty line, for each section. Throws
    // PInternalError("Unable to open ini file '<name>' for writing").
    void writeToFile(const PString& name, const PStringEncoding* encoding) const;
    // Writes the document to `file` as writeToFile does and closes it; `name` is the file's
    // name for the error, PInternalError("Unable to write ini file '<name>'").
    void writeToStream(PFile file, const PString& name) const;

    // The first section called `name`, or null. Sections keep their addresses while they exist.
    EncIniSection* findSection(const char* name) noexcept;
    const EncIniSection* findSection(const char* name) const noexcept;
    // The first section called `name`, appended empty when there is none.
    EncIniSection& findOrAddSection(const char* name);
    // Removes every section called `name`.
    void removeSections(const char* name);

    std::size_t sectionCount() const noexcept { return sections_.size(); }
    const EncIniSection& section(std::size_t index) const { return *sections_.at(index); }
    void clear() noexcept { sections_.clear(); }

  private:
    class Parser;

    std::vector<std::unique_ptr<EncIniSection>> sections_;
};
