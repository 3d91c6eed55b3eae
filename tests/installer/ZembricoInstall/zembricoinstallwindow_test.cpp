#include "installer/ZembricoInstall/zembricoinstallwindow.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "installer/MyCWnd/mymsgbox.h"
#include "installer/ZembricoInstall/eastasiansupport.h"
#include "installer/ZembricoInstall/installtestkit.h"
#include "installer/ZembricoInstall/systemprobes.h"
#include "installer/ZembricoInstall/webview2check.h"
#include "installer/core/i18nlinereader.h"
#include "installer/core/installcodes.h"
#include "installer/core/languagelist.h"
#include "installer/core/messagetable.h"
#include "tools/core/payloadwriter.h"

namespace {

constexpr char kOptions[] =
    "[define]\n"
    "name=WizTest\n"
    "dispname=WizTest Poker\n"
    "mainwnd=ZbWizTestLobbyWindow\n"
    "brand=WizTest\n";

// "Example Gaming Ltd" in Base64.
constexpr char kOperatorOptions[] =
    "[define]\n"
    "name=WizTest\n"
    "dispname=WizTest Poker\n"
    "mainwnd=ZbWizTestLobbyWindow\n"
    "oid=OP7\n"
    "oname=RXhhbXBsZSBHYW1pbmcgTHRk\n";

const std::vector<std::uint8_t>& TestPayload() {
    static const std::vector<std::uint8_t> payload = [] {
        PayloadWriter writer;
        writer.beginFile("readme.txt");
        const std::string text = "a payload of one file";
        writer.addData(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        return writer.finish();
    }();
    return payload;
}

// Answers the next box of window class `boxClass` by posting WM_COMMAND `button` to it, once the
// box is shown with its control `lastControl` (the one made last); the text of the box and its
// children is kept for the test. A box is modal: once the call that showed it has returned, the
// box has been answered or never came.
class BoxAnswer {
  public:
    BoxAnswer(const wchar_t* boxClass, int button, int lastControl) {
        thread_ = std::thread([this, boxClass, button, lastControl] {
            HWND box = nullptr;
            WaitUntil([&] {
                box = FindWindowW(boxClass, nullptr);
                return done_ || (box && IsWindowVisible(box) && GetDlgItem(box, lastControl));
            });
            if (done_ || !box) return;
            CollectText(box, reinterpret_cast<LPARAM>(this));
            EnumChildWindows(box, &BoxAnswer::CollectText, reinterpret_cast<LPARAM>(this));
            PostMessageW(box, WM_COMMAND, button, 0);
            answered_ = true;
        });
    }
    ~BoxAnswer() { answered(); }
    // Whether a box came and was answered; call it after the call that would show the box.
    bool answered() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
        return answered_;
    }
    const std::wstring& text() const { return text_; }

  private:
    static BOOL CALLBACK CollectText(HWND child, LPARAM self) {
        wchar_t text[1024] = {};
        GetWindowTextW(child, text, 1024);
        reinterpret_cast<BoxAnswer*>(self)->text_ += text;
        return TRUE;
    }
    std::thread thread_;
    std::atomic<bool> done_{false};
    bool answered_ = false;
    std::wstring text_;
};

// The program's own box, answered with `button` once its close button is there.
BoxAnswer ProgramBoxAnswer(int button) {
    return BoxAnswer(L"MyMsgBox", button, MyMsgBox::kClose);
}

// Dispatches the messages this thread has been sent or posted until none is left; the value of
// a quit message when one comes. A box shown meanwhile runs its own loop within a dispatch.
std::optional<int> DispatchPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return std::nullopt;
}

// The English, German and Japanese texts of the repository as the process-wide table.
std::string LoadThreeLanguages() {
    std::string source;
    for (const char* language : {"en", "de", "ja"})
        source += ReadFile(std::filesystem::path(ZB_TEST_DATA_DIR) / ".." / ".." / "resources" /
                           "messages" / (std::string(language) + ".txt")) +
                  "\n";
    I18nLineReader reader(reinterpret_cast<const std::uint8_t*>(source.data()), source.size());
    std::string error;
    i18nLoadDynamicTable(TheMessageTable(), reader, error);
    return error;
}

class WizardWindow : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(LoadEnglishMessages(), ""); }
    void TearDown() override {
        window_.reset();
        SetCurrentLanguage(kLanguageEnglish);
        // The destroyed window's quit message must not end the next test's loops.
        DispatchPending();
    }

    void make(const char* options = kOptions) {
        WizardCreation creation;
        creation.instance = GetModuleHandleW(nullptr);
        creation.buildOptions = {reinterpret_cast<const std::uint8_t*>(options),
                                 std::char_traits<char>::length(options)};
        creation.trackingData = [] { return std::optional<std::string>(); };
        creation.collectionHost = "127.0.0.1:1";
        creation.payload = [] { return std::span<const std::uint8_t>(TestPayload()); };
        window_ = std::make_unique<ZembricoInstallWindow>(std::move(creation));
        window_->prepare();
        window_->create();
        window_->initialise();
    }
    HWND item(int id) const { return GetDlgItem(window_->hwnd(), id); }
    template <typename Control>
    Control& control(int id) const {
        return *dynamic_cast<Control*>(MyCWnd::FromWindow(item(id)));
    }
    bool visible(int id) const { return (GetWindowLongW(item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    std::wstring text(int id) const {
        wchar_t buffer[256] = {};
        GetWindowTextW(item(id), buffer, 256);
        return buffer;
    }
    void post(int code, LPARAM detail = 0) {
        PostMessageW(window_->hwnd(), kWmInstallProgress, static_cast<WPARAM>(code), detail);
    }
    void command(int id) { SendMessageW(window_->hwnd(), WM_COMMAND, id, 0); }

    std::unique_ptr<ZembricoInstallWindow> window_;
};

}  // namespace

TEST_F(WizardWindow, OptionsScreenStartsStandardWithEverythingTickedAndInstallDisabled) {
    make();
    EXPECT_TRUE(control<MyCRadioButton>(kIdStandard).checked());
    EXPECT_FALSE(control<MyCRadioButton>(kIdCustom).checked());
    for (int id : {kIdDesktop, kIdQuickLaunch, kIdStartMenu}) {
        EXPECT_TRUE(control<MyCCheckBox>(id).checked()) << id;
        EXPECT_FALSE(visible(id)) << id;
    }
    EXPECT_FALSE(control<MyCCheckBox>(kIdLicence).checked());
    EXPECT_TRUE(visible(kIdPrimary));
    EXPECT_FALSE(IsWindowEnabled(item(kIdPrimary)));
    EXPECT_FALSE(visible(kIdProgressBar));
    EXPECT_EQ(text(kIdPrimary), L"Install");
    EXPECT_EQ(text(kIdFolderEdit), std::wstring(L"C:\\") + L"Program Files (x86)\\WizTest");
}

TEST_F(WizardWindow, CustomShowsTheShortcutsAndFolderAndStandardHidesThemKeepingValues) {
    make();
    command(kIdCustom);
    EXPECT_TRUE(control<MyCRadioButton>(kIdCustom).checked());
    EXPECT_FALSE(control<MyCRadioButton>(kIdStandard).checked());
    for (int id : {kIdDesktop, kIdQuickLaunch, kIdStartMenu, kIdAllUsers, kIdFolderEdit, kIdBrowse})
        EXPECT_TRUE(visible(id)) << id;
    control<MyCCheckBox>(kIdQuickLaunch).setChecked(false);
    command(kIdStandard);
    EXPECT_FALSE(visible(kIdQuickLaunch));
    EXPECT_FALSE(control<MyCCheckBox>(kIdQuickLaunch).checked());
    EXPECT_TRUE(control<MyCRadioButton>(kIdStandard).checked());
}

TEST_F(WizardWindow, LicenceBoxEnablesAndDisablesTheInstallButton) {
    make();
    control<MyCCheckBox>(kIdLicence).setChecked(true);
    command(kIdLicence);
    EXPECT_TRUE(IsWindowEnabled(item(kIdPrimary)));
    control<MyCCheckBox>(kIdLicence).setChecked(false);
    command(kIdLicence);
    EXPECT_FALSE(IsWindowEnabled(item(kIdPrimary)));
}

TEST_F(WizardWindow, FolderWithoutADriveLetterNeverBlocksAndDriveChangeIsMeasured) {
    make();
    control<MyCCheckBox>(kIdLicence).setChecked(true);
    command(kIdLicence);
    // A network share has no drive to measure: both amounts are zero.
    SetWindowTextW(item(kIdFolderEdit), L"\\\\server\\share\\WizTest");
    EXPECT_TRUE(IsWindowEnabled(item(kIdPrimary)));
    // A drive that does not exist cannot be measured: 5 MiB required, none available.
    SetWindowTextW(item(kIdFolderEdit), L"Q:\\WizTest");
    EXPECT_FALSE(IsWindowEnabled(item(kIdPrimary)));
    SetWindowTextW(item(kIdFolderEdit), L"C:\\WizTest");
    EXPECT_TRUE(IsWindowEnabled(item(kIdPrimary)));
}

TEST_F(WizardWindow, ProgressCodesFillTheBarAndStoppedChangesNothing) {
    make();
    auto& bar = control<MyCProgressBar>(kIdProgressBar);
    post(50);
    EXPECT_EQ(DispatchPending(), std::nullopt);
    EXPECT_EQ(bar.percent(), 50);
    post(150);
    EXPECT_EQ(DispatchPending(), std::nullopt);
    EXPECT_EQ(bar.percent(), 100);
    post(kInstallStopped);
    EXPECT_EQ(DispatchPending(), std::nullopt);
    EXPECT_EQ(bar.percent(), 100);
    EXPECT_FALSE(window_->completed());
    EXPECT_TRUE(visible(kIdPrimary));
}

TEST_F(WizardWindow, CompletionShowsTheFinishedScreenAndClosingEndsWithMinusOne) {
    make();
    // The final page writes its log lines into the install folder.
    const std::filesystem::path folder = "C:\\Program Files (x86)\\WizTest";
    std::filesystem::create_directories(folder);
    // On 64-bit Windows without the runtime the download offer comes up and is closed.
    const bool offer = IsWindows64() && !WebView2RuntimePresent();
    BoxAnswer webView2Box = ProgramBoxAnswer(MyMsgBox::kClose);
    post(kInstallComplete);
    EXPECT_EQ(DispatchPending(), std::nullopt);
    ASSERT_EQ(webView2Box.answered(), offer);
    if (offer) {
        EXPECT_NE(webView2Box.text().find(L"Download and Install WebView2"), std::wstring::npos);
    }
    EXPECT_TRUE(window_->completed());
    EXPECT_EQ(text(kIdPrimary), L"Launch WizTest Poker");
    EXPECT_TRUE(visible(kIdPrimary));
    EXPECT_TRUE(visible(kIdClose));
    EXPECT_FALSE(visible(kIdProgressBar));
    EXPECT_FALSE(visible(kIdStandard));
    // No question on the finished screen.
    BoxAnswer question = ProgramBoxAnswer(MyMsgBox::kFirst);
    PostMessageW(window_->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(DispatchPending(), ExitValue(InstallExit::kUserQuit));
    EXPECT_FALSE(question.answered());
    std::filesystem::remove_all(folder);
}

TEST_F(WizardWindow, QuitOnTheOptionsScreenAsksAndContinueKeepsTheWizard) {
    make();
    {
        BoxAnswer answer = ProgramBoxAnswer(MyMsgBox::kSecond);
        PostMessageW(window_->hwnd(), WM_CLOSE, 0, 0);
        EXPECT_EQ(DispatchPending(), std::nullopt);
        EXPECT_TRUE(answer.answered());
        EXPECT_NE(answer.text().find(L"Continue installation"), std::wstring::npos);
    }
    EXPECT_TRUE(IsWindow(window_->hwnd())) << "Continue ended the wizard";
    BoxAnswer quit = ProgramBoxAnswer(MyMsgBox::kFirst);
    command(kIdClose);
    EXPECT_TRUE(quit.answered());
    EXPECT_EQ(DispatchPending(), ExitValue(InstallExit::kUserQuit));
}

TEST_F(WizardWindow, FailureWithTextShowsTheSystemBoxWithTheDetail) {
    make();
    // The system's box is made whole before it is shown.
    BoxAnswer answer(L"#32770", IDOK, IDOK);
    post(kInstallFailedWithText, reinterpret_cast<LPARAM>(new PString("the disk is full")));
    EXPECT_EQ(DispatchPending(), std::nullopt);
    ASSERT_TRUE(answer.answered());
    EXPECT_NE(answer.text().find(L"the disk is full"), std::wstring::npos);
    // The worker is not running: back on the options screen.
    EXPECT_TRUE(visible(kIdStandard));
    EXPECT_FALSE(visible(kIdProgressBar));
}

TEST_F(WizardWindow, OperatorBuildKeepsTheDesktopShortcutAndNamesTheOperator) {
    make(kOperatorOptions);
    command(kIdCustom);
    EXPECT_TRUE(control<MyCCheckBox>(kIdDesktop).checked());
    EXPECT_FALSE(IsWindowEnabled(item(kIdDesktop)));
    bool found = false;
    for (HWND child = GetWindow(window_->hwnd(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t buffer[256] = {};
        GetWindowTextW(child, buffer, 256);
        found = found || std::wstring(buffer) == L"Operated by Example Gaming Ltd";
    }
    EXPECT_TRUE(found);
}

namespace {

constexpr wchar_t kLegacyKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZbWizTestLegacy";

void SetLegacyUninstallString(const std::wstring& value) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kLegacyKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(handle, L"UninstallString", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
}

std::filesystem::path TestDirectory() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path();
}

std::filesystem::path TemporaryFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return temp;
}

// What the fake uninstaller recorded: its command line, its path and its current folder.
std::vector<std::wstring> UninstallerReport(const std::filesystem::path& report) {
    const std::string ran = ReadFile(report);
    std::wstring text(reinterpret_cast<const wchar_t*>(ran.data()), ran.size() / sizeof(wchar_t));
    std::vector<std::wstring> lines;
    for (size_t end = text.find(L'\n'); end != std::wstring::npos; end = text.find(L'\n')) {
        lines.push_back(text.substr(0, end));
        text.erase(0, end + 1);
    }
    return lines;
}

// Sets environment variables of this process for the life of the object.
class EnvironmentScope {
  public:
    explicit EnvironmentScope(
        std::initializer_list<std::pair<const wchar_t*, std::wstring>> values) {
        for (const auto& [name, value] : values) {
            wchar_t old[MAX_PATH] = {};
            const DWORD length = GetEnvironmentVariableW(name, old, MAX_PATH);
            saved_.emplace_back(name, length ? std::optional<std::wstring>(old) : std::nullopt);
            SetEnvironmentVariableW(name, value.c_str());
        }
    }
    ~EnvironmentScope() {
        for (const auto& [name, value] : saved_)
            SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
    }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

  private:
    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> saved_;
};

std::filesystem::path WindowsTemp() {
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::filesystem::path(windows) / "Temp";
}

std::set<std::filesystem::path> RemovalFolders() {
    std::set<std::filesystem::path> folders;
    for (const auto& entry : std::filesystem::directory_iterator(WindowsTemp()))
        if (entry.path().filename().wstring().starts_with(L"zbremove-"))
            folders.insert(entry.path());
    return folders;
}

std::wstring SystemFolder() {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return system;
}

// The report of a run: the copy, named "_unps.exe", ran from a folder of its own in the Windows
// temporary folder, with " /u:" and the registry name, in the system folder; and is gone.
void ExpectRanFromAPrivateFolder(const std::filesystem::path& report) {
    const std::vector<std::wstring> lines = UninstallerReport(report);
    ASSERT_EQ(lines.size(), 3u);
    const std::filesystem::path copy = lines[1];
    EXPECT_EQ(copy.filename(), "_unps.exe");
    EXPECT_TRUE(std::filesystem::equivalent(copy.parent_path().parent_path(), WindowsTemp()))
        << copy;
    EXPECT_TRUE(std::regex_match(copy.parent_path().filename().string(),
                                 std::regex("zbremove-[0-9a-f]{16}")))
        << copy;
    // The folder is named as the Windows folder gives it; the module's path as the disk has it.
    EXPECT_EQ(CompareStringOrdinal(lines[0].c_str(), -1,
                                   (copy.wstring() + L" /u:ZbWizTestLegacy").c_str(), -1, TRUE),
              CSTR_EQUAL)
        << lines[0];
    EXPECT_EQ(CompareStringOrdinal(lines[2].c_str(), -1, SystemFolder().c_str(), -1, TRUE),
              CSTR_EQUAL)
        << lines[2];
    EXPECT_FALSE(std::filesystem::exists(copy.parent_path())) << "the copy was left behind";
}

}  // namespace

// The copy runs elevated: not from the user's temporary folder, where the user could swap it or
// plant DLLs beside it, and not left behind.
TEST_F(WizardWindow, LegacyUninstallerRunsFromAPrivateCopyThatGoesAfterwards) {
    make();
    const std::filesystem::path uninstaller = TestDirectory() / "fakeuninstaller.exe";
    ASSERT_TRUE(std::filesystem::exists(uninstaller));
    const std::filesystem::path report = TemporaryFolder() / "zbwiz-legacy.ran";
    std::filesystem::remove(report);
    const EnvironmentScope reportHere({{L"ZB_FAKE_UNINSTALLER_REPORT", report.wstring()}});
    const std::set<std::filesystem::path> before = RemovalFolders();

    // Too short for the expected form: nothing runs.
    SetLegacyUninstallString(L"\"");
    window_->UninstallPreviousVersion("ZbWizTestLegacy");
    EXPECT_FALSE(std::filesystem::exists(report));

    SetLegacyUninstallString(L"\"" + uninstaller.wstring() + L"\" /u:ZbWizTestLegacy");
    window_->UninstallPreviousVersion("ZbWizTestLegacy");
    ASSERT_TRUE(std::filesystem::exists(report));
    ExpectRanFromAPrivateFolder(report);
    EXPECT_FALSE(std::filesystem::exists(TemporaryFolder() / "_unps.exe"));

    // A quoted path without the tail loses its last characters; the copy fails and is only
    // logged.
    std::filesystem::remove(report);
    SetLegacyUninstallString(L"\"" + uninstaller.wstring() + L"\"");
    window_->UninstallPreviousVersion("ZbWizTestLegacy");
    EXPECT_FALSE(std::filesystem::exists(report));
    EXPECT_EQ(RemovalFolders(), before) << "a folder was left behind";

    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kLegacyKey);
    std::filesystem::remove(report);
}

TEST_F(WizardWindow, LegacyUninstallerRunsForAUserNameOutsideTheCodePage) {
    make();
    // A Cyrillic user's temporary folder, and an old edition installed under a Japanese name:
    // neither can be written in the Western code page the prefix runs with.
    const std::filesystem::path base = TemporaryFolder() / L"zb-legacy-\u0418\u0432\u0430\u043D";
    const std::filesystem::path temp = base / L"Temp";
    const std::filesystem::path edition = base / L"\u30DD\u30FC\u30AB\u30FC";
    std::filesystem::create_directories(temp);
    std::filesystem::create_directories(edition);
    const std::filesystem::path uninstaller = edition / L"\u524A\u9664.exe";
    std::filesystem::copy_file(TestDirectory() / "fakeuninstaller.exe", uninstaller,
                               std::filesystem::copy_options::overwrite_existing);
    SetLegacyUninstallString(L"\"" + uninstaller.wstring() + L"\" /u:ZbWizTestLegacy");
    const std::filesystem::path report = temp / "_unps.exe.ran";
    {
        const EnvironmentScope scope({{L"TMP", temp.wstring()},
                                      {L"TEMP", temp.wstring()},
                                      {L"ZB_FAKE_UNINSTALLER_REPORT", report.wstring()}});
        window_->UninstallPreviousVersion("ZbWizTestLegacy");
    }
    ASSERT_TRUE(std::filesystem::exists(report));
    ExpectRanFromAPrivateFolder(report);

    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kLegacyKey);
    std::filesystem::remove_all(base);
}

TEST_F(WizardWindow, ChoosingALanguageRelabelsTheControls) {
    ASSERT_EQ(LoadThreeLanguages(), "");
    make();
    const HWND list = item(kIdLanguageList);
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    ASSERT_GT(count, 2);
    // English first (no preferred language for this build, smallest sort key and index).
    EXPECT_EQ(SendMessageW(list, CB_GETITEMDATA, 0, 0), kLanguageEnglish);
    const auto choose = [&](int language) {
        for (int i = 0; i < count; ++i) {
            if (SendMessageW(list, CB_GETITEMDATA, i, 0) == language) {
                control<MyCComboBox>(kIdLanguageList).select(i);
                SendMessageW(window_->hwnd(), WM_COMMAND, MAKEWPARAM(kIdLanguageList, CBN_SELENDOK),
                             reinterpret_cast<LPARAM>(list));
                return true;
            }
        }
        return false;
    };
    const int german = 4;
    ASSERT_TRUE(choose(german));
    EXPECT_EQ(CurrentLanguage(), german);
    EXPECT_EQ(text(kIdPrimary), L"Installieren");
    ASSERT_TRUE(choose(kLanguageEnglish));
    EXPECT_EQ(text(kIdPrimary), L"Install");
}

TEST_F(WizardWindow, JapaneseNeedsConfirmationWhereWindowsLacksCodePage50220) {
    ASSERT_EQ(LoadThreeLanguages(), "");
    make();
    const HWND list = item(kIdLanguageList);
    const int japanese = 16;
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    int entry = -1;
    for (int i = 0; i < count; ++i)
        if (SendMessageW(list, CB_GETITEMDATA, i, 0) == japanese) entry = i;
    ASSERT_GE(entry, 0);
    control<MyCComboBox>(kIdLanguageList).select(entry);
    BoxAnswer cancel = ProgramBoxAnswer(MyMsgBox::kSecond);
    SendMessageW(window_->hwnd(), WM_COMMAND, MAKEWPARAM(kIdLanguageList, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(list));
    if (EastAsianLanguageSupport()) {
        EXPECT_EQ(CurrentLanguage(), japanese);
        EXPECT_FALSE(cancel.answered());
        return;
    }
    // Wine has no code page 50220: the warning comes, and Cancel keeps English.
    ASSERT_TRUE(cancel.answered());
    EXPECT_NE(cancel.text().find(L"Japanese Language Support"), std::wstring::npos);
    EXPECT_EQ(CurrentLanguage(), kLanguageEnglish);
    // The chosen entry stands for English now, and the first English entry is selected.
    EXPECT_EQ(SendMessageW(list, CB_GETITEMDATA, entry, 0), kLanguageEnglish);
    EXPECT_EQ(control<MyCComboBox>(kIdLanguageList).selection(), 0);
    EXPECT_EQ(text(kIdPrimary), L"Install");
}
