// Feeds arbitrary tracking text through the value checks into the registration plan and the
// launch, and checks that no value moves a path out of its folder, nests the uninstall key or
// changes the switches that the uninstaller and the launcher read back.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/core/clientarguments.h"
#include "installer/core/installparameters.h"
#include "installer/core/mixedtext.h"
#include "installer/core/registrationplan.h"
#include "installer/core/sampleparameters.h"
#include "installer/core/trackingtext.h"
#include "installer/core/trackingvalues.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

// `path` is `folder`, a backslash and one name that Windows cannot read as a way out: written
// apart from the code under test, from the units Windows receives.
void CheckDirectlyIn(std::string_view path, std::string_view folder) {
    const std::u16string inFolder = WindowsUnitsOf(folder) + u'\\';
    const std::u16string full = WindowsUnitsOf(path);
    Check(full.starts_with(inFolder));
    const std::u16string name = full.substr(inFolder.size());
    Check(!name.empty() && name != u"." && name != u"..");
    for (char16_t c : name) Check(c >= 0x20 && c != u'\\' && c != u'/' && c != u':');
}

InstallParameters BuildParameters(std::uint8_t choices) {
    InstallParameters p = SampleInstallParameters();
    p.allUsers = choices & 1;
    p.desktopShortcut = p.startMenuShortcut = p.quickLaunchShortcut = 1;
    if (choices & 2) p.oid = "build-7";
    return p;
}

void CheckPlan(const InstallParameters& p, const RegistrationTexts& texts) {
    const ShortcutPlan plan = PlanShortcuts(p, texts);
    if (!plan.uninstallShortcut.empty()) CheckDirectlyIn(plan.uninstallShortcut, p.installFolder);
    if (!plan.groupFolder.empty()) {
        CheckDirectlyIn(plan.groupFolder, p.allUsers ? p.commonProgramsFolder : p.programsFolder);
        CheckDirectlyIn(plan.groupAppShortcut, plan.groupFolder);
        CheckDirectlyIn(plan.groupUninstallShortcut, plan.groupFolder);
    }
    if (plan.desktop)
        CheckDirectlyIn(plan.desktop->file, p.allUsers ? p.commonDesktopFolder : p.desktopFolder);
    if (plan.startMenu) {
        CheckDirectlyIn(plan.startMenu->file,
                        p.allUsers ? p.commonStartMenuFolder : p.startMenuFolder);
    }
    if (plan.quickLaunch) CheckDirectlyIn(plan.quickLaunch->file, p.quickLaunchFolder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string raw(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::optional<std::string> checked = CheckTrackingData(raw.substr(0, raw.find('\0')));
    Check(CheckTrackingData(checked) == checked);  // what is kept passes again

    InstallParameters p = BuildParameters(data[0]);
    const std::string gid = ApplyTrackingData(checked, p);
    Check(gid.find_first_of("&= %+#") == std::string::npos);
    for (char c : p.trackingText) Check(c == '\n' || static_cast<unsigned char>(c) >= 0x20);

    const RegistrationTexts texts = MakeRegistrationTexts(p);
    Check(texts.key.starts_with(kUninstallKeyPrefix + p.displayName));
    Check(texts.key.find('\\', sizeof kUninstallKeyPrefix - 1) == std::string::npos);
    Check(UsableOid(p) == p.oid);  // every oid that passed the checks is used whole

    const std::optional<UninstallArguments> args = ParseUninstallArguments(UninstallString(texts));
    Check(args && args->displayName == p.displayName && args->oid == p.oid &&
          !args->originalProcess);
    Check(UninstallKeyPath(*args) == texts.key);
    Check(LauncherOperatorId(LaunchCommandLine(p)) == p.oid);
    Check(LauncherOperatorId("x.exe " + texts.mainAppArgs) == p.oid);
    CheckPlan(p, texts);
    return 0;
}
