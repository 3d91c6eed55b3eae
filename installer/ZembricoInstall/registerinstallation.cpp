#include <windows.h>

#include "installer/ZembricoInstall/enginesystem.h"
#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/core/registrationplan.h"
#include "plib/plog.h"
#include "plib/psystem.h"
#include "plib/pstringencoding.h"
#include "plib/putf16.h"
#include "plib/win/unique.h"

namespace {

// The setup executable's own path, or empty.
std::string SetupExecutablePath() {
  wchar_t path[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return {};
  PString text;
  PUtf16ToPString(text, reinterpret_cast<const PWChar*>(path), length);
  return std::string(text.view());
}

}  // namespace

std::int32_t InstallerWorkerThread::registerInstallation() {
  const RegistrationTexts texts = MakeRegistrationTexts(params_);
  mainAppPath_ = texts.mainApp;
  mainAppArguments_ = texts.mainAppArgs;
  bool failed = false;
  const auto writeString = [&](const char* name, const std::string& value) {
    if (!WriteRegistryString(HKEY_LOCAL_MACHINE, texts.key, name, value)) failed = true;
  };

  writeString("DisplayName", texts.fullDisplayName);
  writeString("DisplayIcon", texts.uninstaller);
  writeString("UninstallString", UninstallString(texts));
  const std::string source = SetupExecutablePath();
  if (!source.empty()) {
    PLog("Source: %s", source.c_str());
    writeString("InstallSource", source);
  }
  writeString("InstallLocation", params_.installFolder);
  writeString("Publisher", texts.fullDisplayName);
  writeString("ProductStartMenu", texts.fullDisplayName);
  writeString("InstallDate", CtimeText(PLocalTime()));

  if (UniqueRegKey key{OpenOrCreateKey(HKEY_LOCAL_MACHINE, texts.key)}) {
    const auto setDword = [&](const wchar_t* name, DWORD value) {
      RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                     sizeof value);
    };
    setDword(L"NoModify", 1);
    setDword(L"NoRepair", 1);
    setDword(L"Language", static_cast<DWORD>(params_.locale));
  }

  const ShortcutPlan plan = PlanShortcuts(params_, texts);
  const auto linkToApp = [&](const std::string& file) {
    CreateShortcut(texts.mainApp, file, params_.installFolder, texts.mainAppArgs, texts.iconFile,
                   params_.iconIndex);
  };
  const auto linkToUninstaller = [&](const std::string& file) {
    CreateShortcut(texts.uninstaller, file, params_.installFolder, texts.uninstallArgs,
                   texts.iconFile, params_.iconIndex);
  };
  linkToUninstaller(plan.uninstallShortcut);
  if (params_.oldWindows) Sleep(1000);

  PLog("\nOptions:");
  PLog(" All users: %d", params_.allUsers);
  PLog(" Desktop: %d", params_.desktopShortcut);
  PLog(" Start Up: %d", params_.startMenuShortcut);
  PLog(" Quick Launch: %d", params_.quickLaunchShortcut);
  PLog("Common Programs: %s", params_.commonProgramsFolder.c_str());
  PLog("Programs: %s", params_.programsFolder.c_str());

  writeString(plan.groupValueName.c_str(), plan.groupFolder);
  if (CreateAllDirectories(plan.groupFolder)) {
    linkToApp(plan.groupAppShortcut);
    linkToUninstaller(plan.groupUninstallShortcut);
  } else {
    PLog("Cannot create program shortcuts in '%s': %s", plan.groupFolder.c_str(),
         SystemErrorText(GetLastError()).c_str());
  }
  if (plan.desktop) {
    linkToApp(plan.desktop->file);
    writeString(plan.desktop->valueName.c_str(), plan.desktop->file);
  }
  if (plan.startMenu) {
    linkToApp(plan.startMenu->file);
    writeString(plan.startMenu->valueName.c_str(), plan.startMenu->file);
  }
  if (plan.quickLaunch) {
    if (CreateAllDirectories(params_.quickLaunchFolder)) {
      linkToApp(plan.quickLaunch->file);
      writeString(plan.quickLaunch->valueName.c_str(), plan.quickLaunch->file);
    } else {
      PLog("Cannot create program shortcuts in '%s': %s", params_.quickLaunchFolder.c_str(),
           SystemErrorText(GetLastError()).c_str());
    }
  }
  return failed ? -1 : 0;
}
