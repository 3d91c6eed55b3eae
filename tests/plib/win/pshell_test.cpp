#include "plib/win/pshell.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "plib/pstringencoding.h"
#include "plib/tempfolder.h"
#include "plib/win/pfile.h"
#include "plib/win/plantedlink.h"
#include "plib/win/pmodule.h"
#include "plib/win/widenarrowscope.h"

namespace {

struct Release {
    void operator()(IUnknown* object) const noexcept { object->Release(); }
};

// What a shortcut file says, read back through the wide shell-link interface.
struct LinkContents {
    std::wstring path, arguments, directory, icon;
    int iconIndex = -1;
};

LinkContents LoadLink(const std::wstring& file) {
    LinkContents contents;
    IShellLinkW* rawLink = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                               reinterpret_cast<void**>(&rawLink)),
              S_OK);
    if (!rawLink) return contents;
    const std::unique_ptr<IShellLinkW, Release> link(rawLink);
    IPersistFile* rawFile = nullptr;
    EXPECT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)), S_OK);
    const std::unique_ptr<IPersistFile, Release> persist(rawFile);
    EXPECT_EQ(persist->Load(file.c_str(), STGM_READ), S_OK);
    wchar_t text[MAX_PATH] = {};
    link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    contents.path = text;
    link->GetArguments(text, MAX_PATH);
    contents.arguments = text;
    link->GetWorkingDirectory(text, MAX_PATH);
    contents.directory = text;
    link->GetIconLocation(text, MAX_PATH, &contents.iconIndex);
    contents.icon = text;
    return contents;
}

class PShellTest : public testing::Test {
  protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }

    PString mixed(const std::wstring& text) const {
        PString out;
        PUtf16ToPString(out, text.c_str());
        return out;
    }
    std::wstring file(const wchar_t* name) const { return (folder_.path() / name).wstring(); }
    std::string text(const std::wstring& path) const { return std::string(mixed(path).view()); }
    // The test's folder, in which shortcuts are written.
    PLinkFreeFolder here() const { return PLinkFreeFolder(text(folder_.path().wstring())); }

    TempFolder folder_;
};

TEST_F(PShellTest, SpecialFolderPathsInBothForms) {
    for (const int choice : {1, -1}) {
        const WideNarrowScope scope(choice);
        const PString appData = PShellFolderPath(CSIDL_APPDATA, &PMixedEncoding());
        ASSERT_FALSE(appData.empty());
        EXPECT_TRUE(PDirectoryExists(appData, &PMixedEncoding()));
        EXPECT_NE(appData.view(), PShellFolderPath(CSIDL_DESKTOP, &PMixedEncoding()).view());
    }
    // A folder id the shell does not know gives nothing.
    EXPECT_TRUE(PShellFolderPath(0x7F, &PMixedEncoding()).empty());
}

TEST_F(PShellTest, ShortcutKeepsTargetArgumentsDirectoryAndIcon) {
    const std::wstring target = file(L"Zembrico \u00E9.exe");
    TempFolder::write((folder_.path() / L"Zembrico \u00E9.exe").string(), "MZ");
    const PString arguments("-nolaunch -site=\"x y\"");
    const PString icon = mixed(file(L"icons.dll"));
    ASSERT_EQ(PCreateShortcut(&PMixedEncoding(), mixed(target), here(), text(file(L"Zembrico.lnk")),
                              mixed(folder_.path().wstring()), &arguments, &icon, 3),
              S_OK);
    const LinkContents link = LoadLink(file(L"Zembrico.lnk"));
    EXPECT_EQ(link.path, target);
    EXPECT_EQ(link.arguments, L"-nolaunch -site=\"x y\"");
    EXPECT_EQ(link.directory, folder_.path().wstring());
    EXPECT_EQ(link.icon, file(L"icons.dll"));
    EXPECT_EQ(link.iconIndex, 3);
}

TEST_F(PShellTest, ShortcutWithoutArgumentsOrIconHasNone) {
    const PString empty("");
    ASSERT_EQ(PCreateShortcut(&PMixedEncoding(), mixed(file(L"app.exe")), here(),
                              text(file(L"plain.lnk")), mixed(folder_.path().wstring()), nullptr,
                              &empty, 5),
              S_OK);
    const LinkContents link = LoadLink(file(L"plain.lnk"));
    EXPECT_EQ(link.path, file(L"app.exe"));
    EXPECT_EQ(link.arguments, L"");
    EXPECT_EQ(link.icon, L"");
}

TEST_F(PShellTest, ShortcutThroughTheNarrowInterface) {
    const WideNarrowScope narrow(-1);
    const PString arguments("/u");
    const PString icon = mixed(file(L"caf\u00E9.ico"));
    ASSERT_EQ(PCreateShortcut(&PMixedEncoding(), mixed(file(L"caf\u00E9.exe")), here(),
                              text(file(L"narrow \u00E9.lnk")), mixed(folder_.path().wstring()),
                              &arguments, &icon, 1),
              S_OK);
    const LinkContents link = LoadLink(file(L"narrow \u00E9.lnk"));
    EXPECT_EQ(link.path, file(L"caf\u00E9.exe"));
    EXPECT_EQ(link.arguments, L"/u");
    EXPECT_EQ(link.icon, file(L"caf\u00E9.ico"));
    EXPECT_EQ(link.iconIndex, 1);
}

TEST_F(PShellTest, ShortcutIntoAMissingFolderReportsFailure) {
    EXPECT_TRUE(FAILED(PCreateShortcut(&PMixedEncoding(), mixed(file(L"app.exe")), here(),
                                       text(file(L"missing\\x.lnk")),
                                       mixed(folder_.path().wstring()), nullptr, nullptr, 0)));
}

// An elevated installer writes shortcuts into the user's own folders: what the user put at the
// shortcut's name, or in place of its folder, must not lead the write elsewhere.
TEST_F(PShellTest, ShortcutIsNeverWrittenThroughALink) {
    TempFolder outside;
    const std::string victim = outside.file("victim.lnk");
    TempFolder::write(victim, "the user's own file");
    std::filesystem::create_directory(folder_.path() / "links");
    const PlantedLink linkedFile(folder_.path() / "links" / "Zembrico.lnk", victim);
    const PlantedLink linkedFolder(folder_.path() / "Quick Launch", outside.path());
    if (!linkedFile.planted() || !linkedFolder.planted())
        GTEST_SKIP() << "no links can be planted here";
    const auto make = [&](const wchar_t* name) {
        return PCreateShortcut(&PMixedEncoding(), mixed(file(L"app.exe")), here(), text(file(name)),
                               mixed(folder_.path().wstring()), nullptr, nullptr, 0);
    };
    EXPECT_EQ(make(L"links\\Zembrico.lnk"), HRESULT_FROM_WIN32(ERROR_CANT_ACCESS_FILE));
    EXPECT_EQ(make(L"Quick Launch\\victim.lnk"), HRESULT_FROM_WIN32(ERROR_CANT_ACCESS_FILE));
    EXPECT_EQ(make(L"Quick Launch\\new.lnk"), HRESULT_FROM_WIN32(ERROR_CANT_ACCESS_FILE));
    EXPECT_EQ(TempFolder::read(victim), "the user's own file");
    EXPECT_FALSE(std::filesystem::exists(outside.path() / "new.lnk"));

    // A plain file of that name is replaced by the shortcut.
    TempFolder::write(folder_.file("plain.lnk"), "an older shortcut");
    ASSERT_EQ(make(L"plain.lnk"), S_OK);
    EXPECT_EQ(LoadLink(file(L"plain.lnk")).path, file(L"app.exe"));
}

TEST_F(PShellTest, ExecuteStartsAProgram) {
    const PString self = PModuleFileName(nullptr, &PMixedEncoding());
    const PString verb("open");
    const PString parameters("--gtest_list_tests --gtest_filter=None");
    EXPECT_GT(PShellExecute(nullptr, &verb, self, &parameters, nullptr, &PMixedEncoding(), SW_HIDE),
              32);
}

// Closes the shell's error box, which the execute call shows on failure (it asks for no
// quiet mode), as soon as it appears in this process.
class ErrorBoxCloser {
  public:
    ErrorBoxCloser()
        : thread_([this] {
              for (int i = 0; i < 600 && !done_; ++i) {
                  EnumWindows(&ErrorBoxCloser::closeOwn, reinterpret_cast<LPARAM>(this));
                  Sleep(50);
              }
          }) {}
    ~ErrorBoxCloser() {
        done_ = true;
        thread_.join();
    }
    int closed() const { return closed_; }

  private:
    static BOOL CALLBACK closeOwn(HWND window, LPARAM self) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window)) {
            // Counted first: the call that showed the box may return as soon as it is closed.
            ++reinterpret_cast<ErrorBoxCloser*>(self)->closed_;
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
    }

    std::atomic<bool> done_{false};
    std::atomic<int> closed_{0};
    std::thread thread_;
};

TEST_F(PShellTest, ExecuteOfAMissingFileGivesTheSystemError) {
    for (const int form : {1, -1}) {
        const WideNarrowScope scope(form);
        const ErrorBoxCloser closer;
        EXPECT_EQ(PShellOpen(mixed(file(L"absent.zbdoc")), &PMixedEncoding()), ERROR_FILE_NOT_FOUND)
            << form;
        EXPECT_GE(closer.closed(), 1) << "the shell showed no error box, form " << form;
    }
}

// The dialog's callback preselects the folder it is given and accepts at once.
int CALLBACK PreselectAndAccept(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        PBrowseSetSelection(dialog, *reinterpret_cast<const PString*>(data), &PMixedEncoding());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    return 0;
}

// Wine fills the dialog's tree after its first notification, so under load the OK may come
// before the selection has gone all the way down: the folder chosen is the preselected one or
// a folder above it on its way.
TEST_F(PShellTest, BrowseAppendsTheFolderOnThePreselectedPath) {
    for (const int form : {1, -1}) {
        const WideNarrowScope scope(form);
        const PString start = mixed(folder_.path().wstring());
        PString chosen("kept:");
        ASSERT_TRUE(PBrowseForFolder(nullptr, PString("Pick"), &PreselectAndAccept,
                                     reinterpret_cast<LPARAM>(&start), chosen, &PMixedEncoding()))
            << form;
        const std::string_view text = chosen.view();
        ASSERT_EQ(text.substr(0, 5), "kept:") << form;
        const std::string folder(text.substr(5));
        EXPECT_EQ(std::string(start.view()).rfind(folder, 0), 0u) << folder;
        EXPECT_GT(folder.size(), 3u) << folder;
        EXPECT_TRUE(PDirectoryExists(PString(folder.c_str()), &PMixedEncoding())) << folder;
    }
}

}  // namespace
