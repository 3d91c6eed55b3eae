#include "installer/MyCWnd/mycaccessible.h"

#include <gtest/gtest.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <memory>
#include <string>

#include "installer/MyCWnd/mycbutton.h"
#include "installer/MyCWnd/myccheckbox.h"
#include "installer/MyCWnd/myccombobox.h"
#include "installer/MyCWnd/myclinkcheckbox.h"
#include "installer/MyCWnd/mycprogressbar.h"
#include "installer/MyCWnd/mycstatictext.h"
#include "testwindow.h"

namespace {

using Microsoft::WRL::ComPtr;

// What a reader gets for a window's client object, as a reader asks for it.
struct ReaderView {
    long role = 0;
    std::wstring name;
    long state = 0;
    std::wstring value;
    bool hasValue = false;
};

ReaderView Read(HWND window) {
    ComPtr<IAccessible> object;
    EXPECT_EQ(::AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible,
                                           reinterpret_cast<void**>(object.GetAddressOf())),
              S_OK);
    ReaderView view;
    if (!object) return view;
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT answer;
    ::VariantInit(&answer);
    if (object->get_accRole(self, &answer) == S_OK && answer.vt == VT_I4) view.role = answer.lVal;
    ::VariantInit(&answer);
    if (object->get_accState(self, &answer) == S_OK && answer.vt == VT_I4) view.state = answer.lVal;
    BSTR text = nullptr;
    if (object->get_accName(self, &text) == S_OK && text) view.name = text;
    ::SysFreeString(text);
    text = nullptr;
    if (object->get_accValue(self, &text) == S_OK) {
        view.hasValue = true;
        if (text) view.value = text;
    }
    ::SysFreeString(text);
    return view;
}

class AccessibleTest : public ::testing::Test {
  protected:
    void SetUp() override { com_ = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override {
        if (SUCCEEDED(com_)) ::CoUninitialize();
    }
    HRESULT com_ = E_FAIL;
    TestParent parent_;
};

TEST_F(AccessibleTest, ButtonIsAPushButtonNamedByItsTextOrItsReaderName) {
    MyCButton install, close;
    install.create(parent_.hwnd(), 1002, {10, 10, 200, 56}, "Install", MyCButtonLook{});
    close.create(parent_.hwnd(), 105, {250, 10, 264, 24}, "", MyCButtonLook{});
    close.setAccessibleName(L"Quit installation");
    install.show(true);
    close.show(true);
    ::EnableWindow(install.hwnd(), FALSE);
    ::SetFocus(close.hwnd());

    const ReaderView installView = Read(install.hwnd());
    EXPECT_EQ(installView.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(installView.name, L"Install");
    EXPECT_TRUE(installView.state & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_FALSE(installView.state & STATE_SYSTEM_FOCUSED);
    const ReaderView closeView = Read(close.hwnd());
    EXPECT_EQ(closeView.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(closeView.name, L"Quit installation");
    EXPECT_EQ(closeView.state & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSED),
              STATE_SYSTEM_FOCUSED);
    EXPECT_TRUE(closeView.state & STATE_SYSTEM_FOCUSABLE);
}

TEST_F(AccessibleTest, CheckStateFollowsTheDrawnFlagWhicheverWayItChanges) {
    MyCCheckBox box;
    box.create(parent_.hwnd(), 141, {10, 10, 300, 34}, "Desktop shortcut", MyCCheckLook{});
    box.show(true);
    EXPECT_EQ(Read(box.hwnd()).role, ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_EQ(Read(box.hwnd()).name, L"Desktop shortcut");
    EXPECT_FALSE(Read(box.hwnd()).state & STATE_SYSTEM_CHECKED);
    ::SetFocus(box.hwnd());
    ::SendMessageW(box.hwnd(), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageW(box.hwnd(), WM_KEYUP, VK_SPACE, 0);
    ASSERT_TRUE(box.checked());
    EXPECT_TRUE(Read(box.hwnd()).state & STATE_SYSTEM_CHECKED);
    box.setChecked(false);
    EXPECT_FALSE(Read(box.hwnd()).state & STATE_SYSTEM_CHECKED);
    box.show(false);
    EXPECT_TRUE(Read(box.hwnd()).state & STATE_SYSTEM_INVISIBLE);
}

TEST_F(AccessibleTest, RadioButtonNameIsItsCaptionWithTheSubCaption) {
    MyCRadioButton radio;
    radio.create(parent_.hwnd(), 1201, {10, 10, 500, 37}, "Standard", MyCCheckLook{});
    radio.setSubCaption(" (Recommended)");
    radio.setChecked(true);
    radio.show(true);
    const ReaderView view = Read(radio.hwnd());
    EXPECT_EQ(view.role, ROLE_SYSTEM_RADIOBUTTON);
    EXPECT_EQ(view.name, L"Standard (Recommended)");
    EXPECT_TRUE(view.state & STATE_SYSTEM_CHECKED);
}

TEST_F(AccessibleTest, LicenceBoxReadsItsWholeLabelAndItsLinkIsALink) {
    MyCLinkCheckBox licence;
    licence.create(parent_.hwnd(), 151, {10, 10, 590, 34}, "I agree to the <a>terms</a> today.",
                   MyCCheckLook{}, nullptr, RGB(0x08, 0x9B, 0x80), nullptr);
    licence.show(true);
    EXPECT_EQ(Read(licence.hwnd()).name, L"I agree to the terms today.");
    const ReaderView link = Read(licence.firstLink().hwnd());
    EXPECT_EQ(link.role, ROLE_SYSTEM_LINK);
    EXPECT_EQ(link.name, L"terms");
    EXPECT_TRUE(link.state & STATE_SYSTEM_LINKED);
    EXPECT_TRUE(link.state & STATE_SYSTEM_FOCUSABLE);
}

TEST_F(AccessibleTest, ComboBoxValueIsTheShownItem) {
    MyCComboLook look;
    const HBITMAP arrow = MakeSolidBitmap(10, 6, RGB(0, 0, 0));
    look.arrowClosed = look.arrowOpen = arrow;
    MyCComboBox list;
    list.create(parent_.hwnd(), 1001, {10, 10, 310, 50}, 200, look);
    list.addItem("English", 0);
    list.addItem("Deutsch", 4);
    list.select(1);
    list.show(true);
    ReaderView view = Read(list.hwnd());
    EXPECT_EQ(view.role, ROLE_SYSTEM_COMBOBOX);
    EXPECT_EQ(view.name, L"Deutsch") << "no reader name set: the shown item";
    EXPECT_TRUE(view.hasValue);
    EXPECT_EQ(view.value, L"Deutsch");
    EXPECT_TRUE(view.state & STATE_SYSTEM_COLLAPSED);
    list.setAccessibleName(L"Please select your language:");
    list.select(0);
    view = Read(list.hwnd());
    EXPECT_EQ(view.name, L"Please select your language:");
    EXPECT_EQ(view.value, L"English");
    ::DeleteObject(arrow);
}

TEST_F(AccessibleTest, ProgressBarValueIsThePercentage) {
    MyCProgressBar bar;
    bar.create(parent_.hwnd(), 114, {10, 10, 610, 16}, nullptr, nullptr);
    bar.setAccessibleName(L"Installing...");
    bar.setPercent(150);
    const ReaderView view = Read(bar.hwnd());
    EXPECT_EQ(view.role, ROLE_SYSTEM_PROGRESSBAR);
    EXPECT_EQ(view.name, L"Installing...");
    EXPECT_EQ(view.value, L"100%");
    EXPECT_TRUE(view.state & STATE_SYSTEM_INVISIBLE) << "created hidden";
}

TEST_F(AccessibleTest, LabelIsStaticText) {
    MyCStaticText label;
    label.create(parent_.hwnd(), -1, {10, 10, 300, 30}, "Install location", SS_LEFT, nullptr, 0);
    const ReaderView view = Read(label.hwnd());
    EXPECT_EQ(view.role, ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(view.name, L"Install location");
}

TEST_F(AccessibleTest, ObjectOutlivingItsControlAnswersDisconnected) {
    auto box = std::make_unique<MyCCheckBox>();
    box->create(parent_.hwnd(), 141, {10, 10, 300, 34}, "Desktop shortcut", MyCCheckLook{});
    ComPtr<IAccessible> object;
    ASSERT_EQ(::AccessibleObjectFromWindow(box->hwnd(), OBJID_CLIENT, IID_IAccessible,
                                           reinterpret_cast<void**>(object.GetAddressOf())),
              S_OK);
    const HWND window = box->hwnd();
    box.reset();
    ::DestroyWindow(window);
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role;
    ::VariantInit(&role);
    EXPECT_EQ(object->get_accRole(self, &role), RPC_E_DISCONNECTED);
}

}  // namespace
