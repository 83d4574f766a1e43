#include "ui/Unit1.h"

#include "res/Unit1Res.h"
#include "ui/Artwork.h"
#include "ui/Window.h"

namespace kestro::ui {

namespace {

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// An edit control breaks lines only at CR LF; many servers end theirs with a
// bare LF. Everything else stays as the server sent it.
std::wstring EditControlText(const std::wstring& answer) {
  std::wstring text;
  text.reserve(answer.size() + answer.size() / 32);
  for (size_t i = 0; i < answer.size(); ++i) {
    if (answer[i] == L'\n' && (i == 0 || answer[i - 1] != L'\r')) text += L'\r';
    text += answer[i];
  }
  return text;
}

}  // namespace

TForm1::TForm1(WhoisTimeouts timeouts)
    : runner_([this](const WhoisOutcome& outcome) { QueryDone(outcome); }, timeouts) {}

void TForm1::Create(HWND owner) { CreateModeless(owner, IDD_TFORM1); }

HWND TForm1::ComboBox1() const { return Item(IDC_TFORM1_COMBOBOX1); }
HWND TForm1::Memo1() const { return Item(IDC_TFORM1_MEMO1); }
HWND TForm1::Edit1() const { return Item(IDC_TFORM1_EDIT1); }

bool TForm1::OnInit() {
  SetDesignedFont(L"Tahoma", 8, GB2312_CHARSET);
  constexpr int kWidth = 433;
  constexpr int kPanelHeight = 23;  // the strip at the bottom that holds ComboBox1
  constexpr int kMemoHeight = 424 - kPanelHeight;
  SetDesignedClientSize(kWidth, kMemoHeight + kPanelHeight);
  PlaceDesigned(IDC_TFORM1_MEMO1, 0, 0, kWidth, kMemoHeight);
  // A drop-down box's height is that of its open list; the box itself takes
  // the height of its font.
  PlaceDesigned(IDC_TFORM1_COMBOBOX1, 0, kMemoHeight + 1, kWidth, 200);
  for (const wchar_t* server : kWhoisServers)
    SendMessageW(ComboBox1(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(server));
  SetWindowTextW(ComboBox1(), kInitialWhoisServer);
  icon_ = LoadProgramIcon(GetModuleHandleW(nullptr), GetSystemMetrics(SM_CXSMICON));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
  CenterOn(nullptr);
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return true;
}

void TForm1::Lookup(const std::wstring& addressText) {
  ShowWindow(hwnd(), SW_SHOW);
  SetWindowTextW(hwnd(), WhoisCaption(addressText).c_str());
  SetWindowTextW(Edit1(), addressText.c_str());
  SetWindowTextW(Memo1(), L"");
  runner_.Start(WindowText(ComboBox1()), addressText);
}

void TForm1::ComboBox1Change(const std::wstring& server) {
  // Before the first lookup there is no address to ask about.
  const std::wstring address = WindowText(Edit1());
  if (!address.empty()) runner_.Start(server, address);
}

void TForm1::QueryDone(const WhoisOutcome& outcome) {
  RunGuarded(hwnd(), [&] {
    if (outcome.answered)
      SetWindowTextW(Memo1(), EditControlText(outcome.text).c_str());
    else
      ShowErrorBox(hwnd(), outcome.text);
  });
}

bool TForm1::OnCommand(WORD code, WORD id, HWND) {
  if (id != IDC_TFORM1_COMBOBOX1) return false;
  if (code == CBN_EDITCHANGE) {
    ComboBox1Change(WindowText(ComboBox1()));
    return true;
  }
  if (code == CBN_SELCHANGE) {
    // The box's own text changes only after this notification: take the entry's.
    const LRESULT index = SendMessageW(ComboBox1(), CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return true;
    std::wstring entry(
        static_cast<size_t>(SendMessageW(ComboBox1(), CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
    entry.resize(static_cast<size_t>(
        SendMessageW(ComboBox1(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(entry.data()))));
    ComboBox1Change(entry);
    return true;
  }
  return false;
}

void TForm1::OnCancel() {
  runner_.Cancel();
  ShowWindow(hwnd(), SW_HIDE);
}

bool TForm1::OnMessage(UINT message, WPARAM, LPARAM) {
  // Going with its owner: no outcome may reach a window that is gone.
  if (message == WM_DESTROY) runner_.Cancel();
  return false;
}

}  // namespace kestro::ui
