// Dialogs from a template: modeless (found by its controls, hidden, shown) and modal (ends with its code).
#include <gtest/gtest.h>

#include "common/win32/application.h"
#include "common/win32/dialog.h"
#include "test_dialogs.h"

namespace zt::app {
namespace {

class TestDialog : public Dialog {
 public:
  TestDialog() : Dialog(IDD_TEST_DIALOG) {}
  int inits = 0;
  int applies = 0;
  INT_PTR endWith = 0;  // for modal runs: end from a timer with this code
  bool initResult = true;

 protected:
  bool OnInitDialog() override {
    ++inits;
    SetItemText(IDC_TEST_EDIT, "initial");
    if (endWith) SetTimer(Hwnd(), 7, 20, nullptr);
    return initResult;
  }
  bool OnCommand(WORD id, WORD code) override {
    if (id == IDC_TEST_APPLY) {
      ++applies;
      return true;
    }
    return Dialog::OnCommand(id, code);
  }
  bool OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR&) override {
    if (message == WM_TIMER && wParam == 7) {
      KillTimer(Hwnd(), 7);
      EndDialog(endWith);
      return true;
    }
    return false;
  }
};

TEST(Dialog, ModelessIsFoundByItsControlsHiddenAndShownAgain) {
  TestDialog dlg;
  ASSERT_TRUE(dlg.CreateModeless(nullptr));
  EXPECT_EQ(dlg.inits, 1);
  ASSERT_NE(dlg.Item(IDC_TEST_EDIT), nullptr);
  char cls[32] = {};
  GetClassNameA(dlg.Item(IDC_TEST_EDIT), cls, sizeof cls);
  EXPECT_STRCASEEQ(cls, "Edit");
  EXPECT_EQ(dlg.ItemText(IDC_TEST_EDIT), "initial");
  EXPECT_EQ(GetParent(dlg.Item(IDC_TEST_CHECK)), dlg.Hwnd());

  dlg.Show(true);
  EXPECT_TRUE(dlg.IsVisible());
  dlg.Show(false);
  EXPECT_FALSE(dlg.IsVisible());
  dlg.Show(true);
  EXPECT_TRUE(dlg.IsVisible());

  dlg.SetChecked(IDC_TEST_CHECK, true);
  EXPECT_TRUE(dlg.IsChecked(IDC_TEST_CHECK));
  ASSERT_TRUE(dlg.SetItemText(IDC_TEST_EDIT, "changed"));
  EXPECT_EQ(dlg.ItemText(IDC_TEST_EDIT), "changed");

  // A click on a button reaches the dialog's own command handler through the loop.
  PostMessageA(dlg.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_APPLY, BN_CLICKED), 0);
  ASSERT_TRUE(PumpUntil([&] { return dlg.applies == 1; }, 2000));

  dlg.EndDialog(IDCANCEL);
  EXPECT_EQ(dlg.Hwnd(), nullptr);
  EXPECT_EQ(dlg.EndCode(), IDCANCEL);
  // It can be opened again.
  ASSERT_TRUE(dlg.CreateModeless(nullptr));
  EXPECT_EQ(dlg.inits, 2);
}

TEST(Dialog, ModalEndsWithItsCode) {
  TestDialog dlg;
  dlg.endWith = 42;
  EXPECT_EQ(dlg.DoModal(nullptr), 42);
  EXPECT_EQ(dlg.inits, 1);
  EXPECT_EQ(dlg.Hwnd(), nullptr);
}

TEST(Dialog, ModalEndsOnCancelByDefault) {
  // Post the click before the dialog exists: its own loop delivers it after creation.
  struct Clicker : TestDialog {
    bool OnInitDialog() override {
      TestDialog::OnInitDialog();
      PostMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return true;
    }
  } clicker;
  EXPECT_EQ(clicker.DoModal(nullptr), IDCANCEL);
}

TEST(Dialog, FailedInitEndsTheModalDialog) {
  TestDialog dlg;
  dlg.initResult = false;
  EXPECT_EQ(dlg.DoModal(nullptr), -1);
}

TEST(Dialog, MissingTemplateFailsCleanly) {
  Dialog dlg(9999);
  EXPECT_EQ(dlg.DoModal(nullptr), -1);
  EXPECT_FALSE(dlg.CreateModeless(nullptr));
}

}  // namespace
}  // namespace zt::app
