#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "installer/MyCWnd/mycbutton.h"
#include "installer/MyCWnd/myccheckbox.h"
#include "installer/MyCWnd/myccombobox.h"
#include "installer/MyCWnd/myclinkcheckbox.h"
#include "installer/MyCWnd/mycprogressbar.h"
#include "installer/MyCWnd/mycstatictext.h"
#include "installer/MyCWnd/myctopwindow.h"
#include "installer/MyCWnd/mymsgbox.h"
#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/ZembricoInstall/installlocation.h"
#include "installer/ZembricoInstall/wizardboxes.h"
#include "installer/ZembricoInstall/wizardcontrolset.h"
#include "installer/ZembricoInstall/wizarddrag.h"
#include "installer/ZembricoInstall/wizardlanguagelist.h"
#include "installer/ZembricoInstall/wizardlooks.h"
#include "installer/ZembricoInstall/wizardscreens.h"
#include "installer/core/buildsettings.h"
#include "installer/core/commandline.h"
#include "installer/core/installparameters.h"
#include "installer/core/wizardlayout.h"
#include "plib/pstring.h"
#include "plib/winseam/unique.h"

// What start-up hands the wizard window.
struct WizardCreation {
    HINSTANCE instance = nullptr;
    // The toolkit's heading font height: 18 under Wine, 20 elsewhere.
    int headingFontHeight = 20;
    std::string commandLine;

    // Where the window's inputs come from; empty spans and null functions mean the program's
    // own: its "ZB"/131 resource and the tracking trailer of its file.
    std::span<const std::uint8_t> buildOptions;
    std::function<std::optional<std::string>()> trackingData;
    std::string collectionHost = kAnalyticsCollectionHost;
    PayloadSource payload = ModulePayload;
};

inline constexpr wchar_t kWizardClassName[] = L"ZembricoInstaller";
inline constexpr char kWizardTitle[] = "Setup Zembrico";

// The setup program's one window: the options, progress and finished screens of one
// installation, and the owner of everything that installation needs.
class ZembricoInstallWindow final : public MyCTopWindow {
  public:
    // Reads the build options and the tracking data's site, starts the analytics connection,
    // parses the command line and decodes the background picture. Unreadable build options
    // leave the build values empty and the background unset ("Error read configuration" in the
    // log). Like prepare(), it makes no user-interface call: start-up runs both while the
    // system brings up the desktop the window needs.
    explicit ZembricoInstallWindow(WizardCreation creation);
    ~ZembricoInstallWindow() override;

    // The build's minimum Windows version. False, with the message in errorText(), when this
    // Windows is older.
    bool checkMinimumOsVersion();
    const PString& errorText() const noexcept { return errorText_; }

    // Previous location, tracking data, language, install folder and space.
    void prepare();
    // Creates the window (hidden) and its icon, fonts, cursor and skins.
    void create();
    // The controls, in the state prepare() chose.
    void initialise();

    const InstallParameters& parameters() const noexcept { return params_; }
    bool completed() const noexcept { return completed_; }

    // The legacy edition `registryName` is removed by running its uninstaller from a temporary
    // copy and waiting for it; failures are logged only.
    void UninstallPreviousVersion(const std::string& registryName);

    // MyCTopWindow
    SIZE defaultSize() const override { return {kWizardWidth, kWizardHeight}; }
    LRESULT preHandler(UINT message, WPARAM wParam, LPARAM lParam) override;
    void paint() override {}
    BOOL command(WPARAM wParam, LPARAM lParam) override;
    void created() override;
    // Fonts, skins and every control again at the new factor.
    void rescaled() override;

  private:
    // Creation (wizardcontrols.cpp).
    void createControls();
    void applyLanguage();
    // Names for readers of the controls that show no text of their own.
    void nameControlsForReaders();
    PString controlText(const WizardControl& row) const;

    // The install folder as typed, and the space it has (zembricoinstallwindow.cpp).
    std::string folderText() const;
    // The space the installation's payload takes at a cluster size.
    std::uint32_t archiveSizeAt(std::uint32_t clusterSize) const;
    SpaceLabels spaceLabels(const std::string& path) const;
    void updateSpace(const std::string& path);
    void evaluatePrimaryButton();

    // Commands (wizardcommands.cpp).
    void startInstall();
    void launch();
    void requestQuit();
    void selectInstallType(WizardSlot chosen, WizardSlot other);
    void browseForFolder();
    void openLicence();
    void languageChosen();
    // The installation could not go on, for the reason `key` names.
    void installErrorBox(MessageKey key);
    // Says that the install folder cannot be used and offers the default folder.
    void refusedFolderBox();

    // Window messages (wizardwindowproc.cpp).
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT staticColour(HDC dc, HWND control);
    void installProgress(WPARAM code, LPARAM detail);
    // To the progress screen, or back to the options after a failed installation.
    void switchScreen(bool progress);
    void finish();

    // The final page's offer of the WebView2 runtime (webview2check.cpp).
    void webView2Check();
    // Opens a page of the site in the user's browser (the current language's address).
    void openWebPage(const std::string& urlTemplate, const char* pageName);

    // Legacy editions and the running client (legacyremoval.cpp, wizardrunningclient.cpp).
    void removeLegacyEditions();
    bool askRemoveLegacy(const std::string& registryName, const std::string& displayName);
    bool runningClientGivenUp();

    // Analytics from the window: a collector that cannot be reached is logged, never fatal.
    void screenView(const char* name);
    // The tracking data, read once, without the values that break their rules
    // (CheckTrackingData).
    const std::optional<std::string>& trackingData();

    WizardCreation creation_;
    InstallParameters params_;
    BuildSettings settings_;
    CommandLineOptions options_;
    std::optional<std::optional<std::string>> tracking_;
    std::unique_ptr<InstallerWorkerThread> worker_;
    PString errorText_;

    std::string defaultFolder_;
    std::optional<std::string> previousLocation_;
    bool completed_ = false;

    WizardLooks looks_;
    WizardControlSet controls_;
    WizardScreens screens_;
    WizardBoxes boxes_;
    WizardLanguageList languages_;
    WizardDrag drag_;
};
