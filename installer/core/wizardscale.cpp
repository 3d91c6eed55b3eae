#include "installer/core/wizardscale.h"

#include <algorithm>
#include <iterator>

namespace {

bool Fits(int percent, int areaWidth, int areaHeight, int width, int height) {
    return Scaled(width, percent) <= areaWidth && Scaled(height, percent) <= areaHeight;
}

}  // namespace

int WizardScale(int dpi, int areaWidth, int areaHeight, int width, int height) {
    const int own = dpi * 100 / 96;
    for (auto step = std::rbegin(kWizardScaleSteps); step != std::rend(kWizardScaleSteps); ++step)
        if (*step <= own && Fits(*step, areaWidth, areaHeight, width, height)) return *step;
    if (width <= 0 || height <= 0) return kWizardScaleSteps[0];
    const int fitting = std::min(areaWidth * 100 / width, areaHeight * 100 / height);
    return std::clamp(fitting, kMinimumWizardScale, kWizardScaleSteps[0]);
}

int Scaled(int value, int percent) {
    const long long product = static_cast<long long>(value) * percent;
    return static_cast<int>(product >= 0 ? (product + 50) / 100 : -((-product + 50) / 100));
}
