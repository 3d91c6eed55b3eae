#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The steps of an installation's journey, as bits of journeys.steps.
namespace StepBit {
constexpr std::uint32_t kDownloaded = 1 << 0;
constexpr std::uint32_t kSufficient = 1 << 1;
constexpr std::uint32_t kInsufficient = 1 << 2;
constexpr std::uint32_t kLicence = 1 << 3;
constexpr std::uint32_t kStarted = 1 << 4;
constexpr std::uint32_t kCompleted = 1 << 5;
constexpr std::uint32_t kCancelled = 1 << 6;
constexpr std::uint32_t kWv2Download = 1 << 7;
constexpr std::uint32_t kWv2Close = 1 << 8;
}  // namespace StepBit

// One counted step: a journey counts for it when it has any of `bits`. The column of
// funnel_daily, the title the dashboard shows and its short form (an installation's badge),
// the step whose journeys its rate is taken of (-1: none), and whether it is a step of the
// funnel itself (the others split or follow it).
struct FunnelStep {
    std::uint32_t bits;
    std::string_view column;
    std::string_view title;
    std::string_view badge;
    int rateOf;
    bool main;
};

// In the order the dashboard shows them: downloads, first screen (with its two outcomes),
// licence opened, installation started, installation complete, cancelled, the WebView2 offer's
// two outcomes.
std::span<const FunnelStep> FunnelSteps();

// The step bit of a screen view's screen name; 0 for a screen that is no step.
std::uint32_t StepOfScreen(std::string_view screen);

// The event the setup program sends once the installation has started; its label is the
// English name of the language in use.
inline constexpr std::string_view kLanguageEvent = "Installation_Language_Change_51569";
