#include "installer/ZembricoInstall/startup.h"

#include <objbase.h>

#include <memory>
#include <string>
#include <string_view>

#include "installer/MyCWnd/mycbitmaps.h"
#include "installer/MyCWnd/mycfocus.h"
#include "installer/MyCWnd/mycfonts.h"
#include "installer/MyCWnd/mymsgbox.h"
#include "installer/ZembricoInstall/clientsocket.h"
#include "installer/ZembricoInstall/startuptrace.h"
#include "installer/ZembricoInstall/systemprobes.h"
#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/installcodes.h"
#include "installer/core/messagetable.h"
#include "installer/core/resourceids.h"
#include "installer/core/toplevelcatch.h"
#include "plib/perror.h"
#include "plib/pruntimehandlers.h"
#include "plib/pstringencoding.h"
#include "plib/win/pfile.h"
#include "plib/win/poldfiles.h"
#include "plib/win/presource.h"
#include "plib/winseam/plibrary.h"
#include "plib/winseam/unique.h"

namespace {

constexpr int kWineHeadingHeight = 18;
constexpr int kHeadingHeight = 20;
constexpr int kStartupBoxWidth = 360;
constexpr int kStartupBoxHeight = 320;

bool LoadMessages(HINSTANCE instance) {
    const auto bytes = PResourceBytes(instance, kMessageTableResource, kResourceType);
    std::string error;
    return !bytes.empty() &&
           LoadMessageTableResource(bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                                    TheMessageTable(), error);
}

int RunMessageLoop(HWND window) {
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    for (;;) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) {
            EarlyLog("%s",
                     PSystemError("MessageLoop", static_cast<std::int32_t>(GetLastError())).why());
            continue;
        }
        if (::IsWindow(window) &&
            (MyDialogKey(window, message) || ::IsDialogMessageW(window, &message)))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// Up to create() the way to the wizard makes no user-interface call: the first one waits until
// the system has the desktop up, a while in a fresh Wine session, and the work before it overlaps
// that wait.
int RunWizard(HINSTANCE instance, const char* commandLine) {
    HRESULT com = E_FAIL;
    ScopeExit uninitialize([&com] {
        if (SUCCEEDED(com)) CoUninitialize();
    });
    InitializeSockets();
    ScopeExit cleanup([] { CleanupSockets(); });

    WizardCreation creation;
    creation.instance = instance;
    creation.headingFontHeight = IsLinux() ? kWineHeadingHeight : kHeadingHeight;
    creation.commandLine = commandLine ? commandLine : "";
    auto window = std::make_unique<ZembricoInstallWindow>(std::move(creation));
    StartupTrace("sockets and wizard object (build options, site, analytics started, picture)");
    if (!window->checkMinimumOsVersion()) {
        ShowStartupError(
            instance,
            WizardText(TXTINS_Install_Zembrico_Software, window->parameters().brand.c_str()),
            window->errorText());
        return ExitValue(InstallExit::kOsTooOld);
    }
    window->prepare();
    StartupTrace("wizard state (folders, previous location, tracking data, language, space)");
    window->create();
    StartupTrace("window, icon, fonts and looks (waits for the desktop)");
    window->initialise();
    StartupTrace("controls, texts and the first screen view");
    ::ShowWindow(window->hwnd(), SW_SHOW);
    ::UpdateWindow(window->hwnd());
    StartupTrace("first paint");
    // Nothing the first screen shows needs COM (the shell's folders and links come with the
    // installation): it starts once the window is up.
    com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    StartupTrace("COM");
    return RunMessageLoop(window->hwnd());
}

int RunSteps(HINSTANCE instance, const char* commandLine) {
    PRestrictLibrarySearch();
    DetectLinux();
    StartupTrace("library search and Linux probe");
    const bool loaded = LoadMessages(instance);
    StartupTrace("message table");
    if (!loaded) {
        EarlyLog("Language initialization failed");
        return ExitValue(InstallExit::kOk);
    }
    const VersionDecision preVista = CheckPreVista(SystemVersion().versionEx());
    if (!preVista.proceed) {
        ShowStartupError(instance, WizardText(TXTINS_Install_Zembrico_Software, "Zembrico"),
                         WizardText(preVista.message));
        return ExitValue(InstallExit::kOsTooOld);
    }
    return RunWizard(instance, commandLine);
}

// Support asks for a log also when no installation started: what no Install.log took (a
// start-up failure, a run that ended on the options screen) goes to one in the temporary folder.
void KeepUnwrittenLines() {
    constexpr char kStem[] = "ZembricoInstall";
    PString path = PTemporaryFolder(&PMixedEncoding());
    if (path.empty()) return;
    const std::string folder(path.view().substr(0, path.length() - 1));
    path += UnguessableLogName(kStem).c_str();
    EarlyLogQueue::instance().writeTo(path, &PMixedEncoding());
    PRemoveOldFiles(
        folder, [&](std::string_view name) { return IsUnguessableLogName(name, kStem); },
        kKeptTemporaryLogs);
}

}  // namespace

void ShowStartupError(HINSTANCE instance, const PString& caption, const PString& text) {
    const int percent = MyMsgBox::Scale(nullptr, kStartupBoxWidth, kStartupBoxHeight);
    MyCFonts fonts(MySystemFontChoice(), percent);
    MyCBitmaps bitmaps(instance, percent);
    MyMsgBoxRequest request;
    request.title = caption;
    request.message = text;
    request.firstButton = WizardText(TXTINS_OK);
    request.firstLook.skin = bitmaps.skin(210, 211, 213, 218);
    request.firstLook.font = fonts.bold.get();
    request.firstLook.textColour = RGB(0xFF, 0xFF, 0xFF);
    request.firstLook.disabledTextColour = RGB(0xFF, 0xFF, 0xFF);
    request.titleFont = fonts.bold.get();
    request.bodyFont = fonts.normal.get();
    request.imageCloseButton = false;
    request.closeName = WizardText(TXTINS_Cancel);
    MyMsgBox::Run(request, kStartupBoxWidth, kStartupBoxHeight);
}

int RunSetup(HINSTANCE instance, const char* commandLine) {
    StartupTrace("loader and C runtime");
    PInstallRuntimeHandlers();
    const int code = RunCaught(
        CatchPlace::kWinMain, ExitValue(InstallExit::kStartupFailed),
        [&] { return RunSteps(instance, commandLine); },
        [instance](const std::string& message) {
            ShowStartupError(instance, WizardText(TXTINS_Install_Zembrico_Software, "Zembrico"),
                             PString(message.c_str()));
        });
    TheMessageTable().release();
    KeepUnwrittenLines();
    return code;
}
