// No exception crosses user32: whatever a handler of a window or a dialog
// throws ends in the standard error box, and the window lives on. And the
// dialog base's own path: init, commands, OK and Cancel, modal and modeless.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "res/ColumnChooserRes.h"
#include "ui/base/Dialog.h"
#include "ui/base/Window.h"
#include "win/SystemError.h"

namespace kestro::ui {
namespace {

class GuardedTest : public testing::Test {
 protected:
  GuardedTest() {
    SetErrorBoxSink([this](HWND, const std::wstring& text) { errors.push_back(text); });
  }
  ~GuardedTest() override { SetErrorBoxSink(nullptr); }
  std::vector<std::wstring> errors;
};

// What the handlers below throw.
enum class Throw { kNothing, kSystemError, kStdException, kOther };
void Raise(Throw what) {
  switch (what) {
    case Throw::kSystemError:
      throw SystemError(ERROR_ACCESS_DENIED);
    case Throw::kStdException:
      throw std::runtime_error("broken");
    case Throw::kOther:
      throw 42;
    case Throw::kNothing:
      break;
  }
}

struct ThrowCase {
  Throw what;
  std::wstring box;  // the error box's text; empty: no box
};
std::vector<ThrowCase> ThrowCases() {
  return {{Throw::kNothing, L""},
          {Throw::kSystemError, ErrorBoxText(SystemMessage(ERROR_ACCESS_DENIED))},
          {Throw::kStdException, L"broken."},
          {Throw::kOther, ErrorBoxText(kUnknownErrorText)}};
}

TEST_F(GuardedTest, RunGuardedShowsWhateverIsThrownInTheErrorBox) {
  for (const ThrowCase& c : ThrowCases()) {
    errors.clear();
    bool after = false;
    RunGuarded(nullptr, [&] {
      Raise(c.what);
      after = true;
    });
    EXPECT_EQ(after, c.what == Throw::kNothing);
    EXPECT_EQ(errors, c.box.empty() ? std::vector<std::wstring>{} : std::vector{c.box});
  }
}

// A window whose handler of WM_APP throws what it is told.
class ThrowingWindow final : public Window {
 public:
  void Create() {
    CreateWindowOf(L"KestroThrowingWindow", 0, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr);
  }
  Throw what = Throw::kNothing;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_APP) return Window::HandleMessage(message, wParam, lParam);
    Raise(what);
    return 7;
  }
};

TEST_F(GuardedTest, AWindowProcedureEndsTheMessageWithTheErrorBox) {
  ThrowingWindow window;
  window.Create();
  for (const ThrowCase& c : ThrowCases()) {
    errors.clear();
    window.what = c.what;
    // A message that failed gets the default answer.
    EXPECT_EQ(SendMessageW(window.hwnd(), WM_APP, 0, 0), c.what == Throw::kNothing ? 7 : 0);
    EXPECT_EQ(errors, c.box.empty() ? std::vector<std::wstring>{} : std::vector{c.box});
    EXPECT_TRUE(IsWindow(window.hwnd()));
  }
}

// A dialog on the column chooser's template that records what reaches it.
class RecordingDialog final : public Dialog {
 public:
  std::vector<std::wstring> log;
  Throw onCommand = Throw::kNothing;
  bool cancelAtInit = false;

 private:
  bool OnInit() override {
    log.push_back(L"init");
    if (cancelAtInit) PostMessageW(hwnd(), WM_COMMAND, IDCANCEL, 0);
    return true;
  }
  bool OnCommand(WORD code, WORD id, HWND) override {
    log.push_back(L"command " + std::to_wstring(id) + L" " + std::to_wstring(code));
    Raise(onCommand);
    return true;
  }
};

TEST_F(GuardedTest, AModelessDialogRunsItsHandlersAndOkDestroysIt) {
  RecordingDialog dialog;
  dialog.CreateModeless(nullptr, IDD_COLUMN_CHOOSER);
  ASSERT_TRUE(IsWindow(dialog.hwnd()));
  HWND box = dialog.Item(IDC_COLUMN_CHOOSER_FIRST_BOX);
  ASSERT_NE(box, nullptr);
  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.log, (std::vector<std::wstring>{L"init", L"command 10 0"}));
  for (const ThrowCase& c : ThrowCases()) {
    errors.clear();
    dialog.onCommand = c.what;
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_EQ(errors, c.box.empty() ? std::vector<std::wstring>{} : std::vector{c.box});
    EXPECT_TRUE(IsWindow(dialog.hwnd()));
  }
  const HWND window = dialog.hwnd();
  SendMessageW(dialog.Item(IDOK), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(dialog.hwnd(), nullptr);
}

TEST_F(GuardedTest, AModalDialogReturnsWhatEndedIt) {
  RecordingDialog dialog;
  dialog.cancelAtInit = true;  // Escape, the close box and Cancel all send IDCANCEL
  EXPECT_EQ(dialog.RunModal(nullptr, IDD_COLUMN_CHOOSER), IDCANCEL);
  EXPECT_EQ(dialog.log, std::vector<std::wstring>{L"init"});
  EXPECT_EQ(dialog.hwnd(), nullptr);
  EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace kestro::ui
