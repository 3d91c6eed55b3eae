#include "installer/core/installspace.h"

#include "installer/core/messageformat.h"
#include "installer/core/messagetable.h"

std::uint64_t ShownRequiredSpace(std::uint64_t rawRequired) noexcept {
    constexpr std::uint64_t kWholeMiB = ~std::uint64_t{(1u << 20) - 1};
    return (rawRequired & kWholeMiB) + kInstallSpareSpace;
}

SpaceAmount SpaceAmountOf(std::uint64_t bytes) noexcept {
    const std::uint64_t mib = bytes >> 20;
    if (mib == 0) return {static_cast<std::int64_t>(bytes), TXTINS_Bytes};
    if (mib <= 1024) return {static_cast<std::int64_t>(mib), TXTINS_MB};
    return {static_cast<std::int64_t>(mib / 1024), TXTINS_GB};
}

PString SpaceLabelText(const MessageTable& table, MessageKey key, std::uint64_t bytes,
                       int language) {
    const SpaceAmount shown = SpaceAmountOf(bytes);
    PString amount;
    amount.appendDecimal(shown.amount);
    PString unit;
    table.lookup(unit, shown.unit, language);
    PString text;
    table.lookup(text, key, language, amount, unit);
    return text;
}

PString InstallFolderForPick(const PString& picked, std::string_view brand, std::string_view name) {
    const std::string brandText(brand);
    if (PString::findNoCase(picked.c_str(), brandText.c_str()) != PString::npos) return picked;
    const std::string nameText(name);
    const PString namePart(nameText.c_str());
    const PString* const args[] = {&picked, &namePart};
    // The formatter joins texts of either encoding, so a marked UTF-8 path keeps its characters.
    PString folder;
    FormatMessageText(folder, picked.endsWith("\\") ? "%0%1" : "%0\\%1", args, 2);
    return folder;
}
