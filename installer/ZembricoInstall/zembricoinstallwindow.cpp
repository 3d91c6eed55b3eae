#include "installer/ZembricoInstall/zembricoinstallwindow.h"

#include "installer/ZembricoInstall/systemprobes.h"
#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/core/buildoptions.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/languagelist.h"
#include "installer/core/payloadarchive.h"
#include "installer/core/resourceids.h"
#include "installer/core/toplevelcatch.h"
#include "installer/core/trackingtext.h"
#include "installer/core/trackingtrailer.h"
#include "installer/core/trackingvalues.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/win/pmodule.h"
#include "plib/win/presource.h"

namespace {

constexpr int kProgramIcon = 101;

std::optional<std::string> OwnTrackingData() {
    return ReadTrackingTrailer(PModuleFileName(nullptr, &PMixedEncoding()), &PMixedEncoding());
}

}  // namespace

ZembricoInstallWindow::ZembricoInstallWindow(WizardCreation creation)
    : creation_(std::move(creation)),
      looks_(creation_.instance, creation_.headingFontHeight),
      controls_(*this, looks_),
      screens_(*this, controls_),
      boxes_(*this, looks_),
      languages_(controls_, boxes_) {
    ApplySystemFacts(GatherSystemFacts(SystemVersion()), params_);
    std::span<const std::uint8_t> text = creation_.buildOptions;
    if (text.empty())
        text = PResourceBytes(creation_.instance, kBuildOptionsResource, kResourceType);
    const SiteCodeSource siteCode = [this] { return SiteFromTrackingData(trackingData()); };
    const bool read =
        !text.empty() && ReadBuildOptions(text.data(), text.size(), siteCode, params_, settings_);
    if (text.empty()) EarlyLog("Error read configuration");
    // The analytics client takes its place in the log after the site is chosen, so that the log
    // tells the site first, then whether analytics is on.
    worker_ = std::make_unique<InstallerWorkerThread>(creation_.collectionHost, creation_.payload);
    ParseCommandLine(creation_.commandLine, options_);
    if (!read) return;
    worker_->analytics().setIdentity(params_.name, settings_.generalGaAccount,
                                     settings_.licenseGaAccount);
    TheBuildOptions().select(params_.name);
    Caught(
        {.place = CatchPlace::kWizard, .other = nullptr}, EarlyLogLine,
        [&] {
            loadBackground(creation_.instance, kFirstBackgroundResource + params_.backgroundIndex,
                           kFirstBackgroundMasterResource + params_.backgroundIndex);
        },
        DropCaught);
}

ZembricoInstallWindow::~ZembricoInstallWindow() {
    // The analytics connection may still be tried for a few seconds, and the end waits for it:
    // the window is gone from the screen when the user asked.
    if (hwnd()) ::ShowWindow(hwnd(), SW_HIDE);
    // The worker posts to this window until it ends: stop it while the window still exists.
    worker_.reset();
}

const std::optional<std::string>& ZembricoInstallWindow::trackingData() {
    if (!tracking_)
        tracking_ = CheckTrackingData(creation_.trackingData ? creation_.trackingData()
                                                             : OwnTrackingData());
    return *tracking_;
}

bool ZembricoInstallWindow::checkMinimumOsVersion() {
    if (CheckMinimumVersion(SystemVersion().versionEx(), params_.minOsVersion).proceed) return true;
    errorText_ =
        WizardText(TXTINS_Your_operating_system_needs_to_ELL, params_.minOsVersionName.c_str());
    return false;
}

void ZembricoInstallWindow::create() {
    MyCTopWindow::create(kWizardClassName, kWizardTitle, creation_.instance,
                         ::LoadIconW(creation_.instance, MAKEINTRESOURCEW(kProgramIcon)));
}

void ZembricoInstallWindow::created() {
    looks_.make(fonts(), scale(), params_.brand);
}

void ZembricoInstallWindow::prepare() {
    defaultFolder_ = ComputeDefaultFolder(params_);
    previousLocation_ = ReadPreviousInstallLocation(params_.displayName);
    worker_->analytics().setGroupId(ApplyTrackingData(trackingData(), params_));

    SetCurrentLanguage(
        TheLanguageOffer().initialSelection(GetSystemDefaultLCID(), CurrentLanguage()));
    params_.desktopShortcut = 1;
    params_.quickLaunchShortcut = 1;
    params_.startMenuShortcut = 1;
    params_.allUsers = 1;
    params_.installFolder = previousLocation_ ? *previousLocation_ : defaultFolder_;
    screens_.takeSpace(spaceLabels(params_.installFolder));
}

void ZembricoInstallWindow::initialise() {
    createControls();
    applyLanguage();
    evaluatePrimaryButton();
    screenView(screens_.space().sufficient() ? "InstallationWindow/SufficientSpace"
                                             : "InstallationWindow/InsufficientSpace");
    screens_.show();
}

void ZembricoInstallWindow::screenView(const char* name) {
    Caught(
        {.place = CatchPlace::kWizardScreenView, .other = nullptr}, EarlyLogLine,
        [&] { worker_->analytics().screenView(name); }, DropCaught);
}

std::string ZembricoInstallWindow::folderText() const {
    const MyCWnd* edit = controls_.find(WizardSlot::kFolderEdit);
    return edit ? std::string(edit->getText().view()) : params_.installFolder;
}

std::uint32_t ZembricoInstallWindow::archiveSizeAt(std::uint32_t clusterSize) const {
    const std::span<const std::uint8_t> payload = creation_.payload().bytes;
    PASSERT(!payload.empty());
    return RequiredSpace(payload.data(), static_cast<std::uint32_t>(payload.size()), clusterSize);
}

SpaceLabels ZembricoInstallWindow::spaceLabels(const std::string& path) const {
    return ComputeSpaceLabels(path, CurrentLanguage(),
                              [this](std::uint32_t cluster) { return archiveSizeAt(cluster); });
}

void ZembricoInstallWindow::updateSpace(const std::string& path) {
    screens_.showSpace(spaceLabels(path));
    evaluatePrimaryButton();
}

void ZembricoInstallWindow::evaluatePrimaryButton() {
    screens_.updatePrimary(worker_->isRunning());
}
