#include "installer/core/buildoptions.h"

#include <initializer_list>

#include "installer/core/earlylogqueue.h"
#include "plib/perror.h"

namespace {

// Site bit 24 is the one market set under which every offerable language (English included) is
// available; every build serves players who expect English beside their own language, so every
// row carries it.
constexpr int kAllMarketsSite = 24;

PBitmask Sites(std::initializer_list<int> bits) {
    PBitmask set;
    for (int bit : bits) set.set(bit);
    return set;
}

BuildRow Current(std::string_view suffix) {
    return {suffix, Sites({kAllMarketsSite}), 0, 1, {}, {}};
}

BuildRow Plain(std::string_view suffix) {
    return {suffix, Sites({kAllMarketsSite}), 0, 0, {}, {}};
}

BuildRow Legacy(std::string_view suffix, std::string_view registryName,
                std::string_view displayName) {
    return {suffix, Sites({kAllMarketsSite}), 1, 0, registryName, displayName};
}

BuildOptions::Table MakeTable() {
    return {{
        Plain(".TEST"),
        Legacy(".Classic", "Zembrico Poker Classic", "Zembrico Poker Classic"),
        Legacy(".ClassicEU", "Zembrico Poker Classic EU", "Zembrico Poker Classic (Europe)"),
        Legacy(".Lobby", "ZembricoLobby", "Zembrico Lobby"),
        Legacy(".LobbyEU", "ZembricoLobbyEU", "Zembrico Lobby (Europe)"),
        Current(".ARBA"),
        Current(".ASIA"),
        Current(".BE"),
        Current(".Belgium"),
        Current(".BG"),
        Current(".Bulgaria"),
        Current(".CAON"),
        Current(".CH"),
        Current(".COM"),
        Current(".CZ"),
        Current(".DE"),
        Current(".Denmark"),
        Current(".DESH"),
        Current(".DK"),
        Current(".EE"),
        Current(".ES"),
        Current(".Estonia"),
        Current(".EU"),
        Current(".FR"),
        Current(".France"),
        Current(".Germany"),
        Current(".GR"),
        Current(".Greece"),
        Current(".IN"),
        Current(".IT"),
        Current(".Italy"),
        Current(".Netherlands"),
        Current(".NL"),
        Current(".Portugal"),
        Current(".PT"),
        Current(".RO"),
        Current(".Romania"),
        Current(".RUSO"),
        Legacy(".RUSOPM", "Zembrico Poker RU", "Zembrico Poker (Russia, previous edition)"),
        Current(".Spain"),
        Current(".SE"),
        Current(".Sweden"),
        Current(".Switzerland"),
        Current(".UK"),
        Current(".UnitedKingdom"),
        Plain(".USMI"),
        Plain(".USNJ"),
        Plain(".USPA"),
        Plain(".Alpha"),
        Plain(".Beta"),
        Plain(""),
    }};
}

}  // namespace

const BuildOptions::Table& BuildOptions::table() {
    static const Table rows = MakeTable();
    return rows;
}

int BuildOptions::findRow(std::string_view name) noexcept {
    const Table& rows = table();
    for (int i = 0; i < kRowCount; ++i) {
        if (name.ends_with(rows[i].suffix)) return i;
    }
    return kRowCount - 1;  // unreachable: the last suffix is empty
}

const BuildRow* BuildOptions::currentRow() const {
    if (index_ < 0) {
        EarlyLog("BuildOptions is not inited");
        return nullptr;
    }
    return &table()[index_];
}

BuildOptions::BuildIterator::BuildIterator(std::uint8_t wantedLegacy) noexcept
    : wanted_(wantedLegacy) {
    skipOthers();
}

void BuildOptions::BuildIterator::next() noexcept {
    if (valid()) ++index_;
    skipOthers();
}

void BuildOptions::BuildIterator::skipOthers() noexcept {
    while (valid() && table()[index_].legacy != wanted_) ++index_;
}

const BuildRow& BuildOptions::BuildIterator::row() const {
    if (!valid()) EarlyLog("BuildOptions::BuildIterator is not inited");
    PASSERT(valid());
    return table()[index_];
}

BuildOptions& TheBuildOptions() {
    static BuildOptions options;
    return options;
}
