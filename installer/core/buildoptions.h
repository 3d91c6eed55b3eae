#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "plib/pbitmask.h"

// One known build of the client, past or present.
struct BuildRow {
    std::string_view suffix;        // ending of the build's `name` that selects this row
    PBitmask sites;                 // the sites this build covers (the language list reads it)
    std::uint8_t legacy;            // an older edition that newer builds remove when found
    std::uint8_t removesLegacy;     // installing this build first removes every legacy edition
    std::string_view registryName;  // legacy rows: the edition's uninstall registry key name
    std::string_view displayName;   // legacy rows: the edition's display name
};

// Selects one row of the fixed table of known builds by the suffix of the build's name. The
// program holds one process-wide instance (TheBuildOptions); tests make their own.
class BuildOptions {
  public:
    static constexpr int kRowCount = 51;
    using Table = std::array<BuildRow, kRowCount>;

    // The table, built on first use. Row 0 is ".TEST"; the last row has the empty suffix.
    static const Table& table();

    // The first row, from 0 up, whose suffix is a byte-for-byte ending of `name` (letter case
    // matters). Always found: the last row's empty suffix ends every name.
    static int findRow(std::string_view name) noexcept;

    // Selects the row of `name`.
    void select(std::string_view name) noexcept { index_ = findRow(name); }

    // The selected row, or null (after writing "BuildOptions is not inited" to the log) while
    // none is selected.
    const BuildRow* currentRow() const;

    // Walks the rows whose legacy flag equals the wanted value, in table order.
    class BuildIterator {
      public:
        explicit BuildIterator(std::uint8_t wantedLegacy) noexcept;

        bool valid() const noexcept { return index_ < kRowCount; }
        int index() const noexcept { return index_; }
        void next() noexcept;
        // The row at the position. Past the end: logs "BuildOptions::BuildIterator is not
        // inited" and throws PAssert.
        const BuildRow& row() const;

      private:
        void skipOthers() noexcept;

        std::uint8_t wanted_;
        int index_ = 0;
    };

  private:
    int index_ = -1;
};

// The process-wide selector, selected once while the build options are read.
BuildOptions& TheBuildOptions();
