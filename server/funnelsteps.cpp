#include "server/funnelsteps.h"

namespace {

using namespace StepBit;

constexpr FunnelStep kSteps[] = {
    {kDownloaded, "downloads", "Downloads", "Downloaded", -1, true},
    {kSufficient | kInsufficient, "first_screen", "First screen", "First screen", 0, true},
    {kSufficient, "sufficient", "First screen: enough space", "Enough space", 1, false},
    {kInsufficient, "insufficient", "First screen: too little space", "Too little space", 1, false},
    {kLicence, "licence", "Licence opened", "Licence", 1, true},
    {kStarted, "started", "Installation started", "Started", 1, true},
    {kCompleted, "completed", "Installation complete", "Complete", 5, true},
    {kCancelled, "cancelled", "Cancelled", "Cancelled", 1, false},
    {kWv2Download, "wv2_download", "WebView2 offer: download", "WebView2: download", 6, false},
    {kWv2Close, "wv2_close", "WebView2 offer: closed", "WebView2: closed", 6, false},
};

struct ScreenStep {
    std::string_view screen;
    std::uint32_t bit;
};

constexpr ScreenStep kScreens[] = {
    {"InstallationWindow/SufficientSpace", kSufficient},
    {"InstallationWindow/InsufficientSpace", kInsufficient},
    {"InstallationWindow/TOS", kLicence},
    {"InstallationWindow/InstallStarted", kStarted},
    {"InstallationWindow/InstallComplete", kCompleted},
    {"InstallationWindow/InstallCancelled", kCancelled},
    {"InstallationWindow/WV2Download", kWv2Download},
    {"InstallationWindow/WV2Close", kWv2Close},
};

}  // namespace

std::span<const FunnelStep> FunnelSteps() {
    return kSteps;
}

std::uint32_t StepOfScreen(std::string_view screen) {
    for (const ScreenStep& step : kScreens)
        if (step.screen == screen) return step.bit;
    return 0;
}
