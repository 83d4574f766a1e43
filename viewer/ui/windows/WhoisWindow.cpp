#include "ui/windows/WhoisWindow.h"

#include "res/WhoisWindowRes.h"
#include "ui/controls/Artwork.h"
#include "ui/base/Window.h"

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

WhoisWindow::WhoisWindow(WhoisTimeouts timeouts)
    : runner_([this](const WhoisOutcome& outcome) { QueryDone(outcome); }, timeouts) {}

void WhoisWindow::Create(HWND owner) { CreateModeless(owner, IDD_WHOIS); }

HWND WhoisWindow::ServerBox() const { return Item(IDC_WHOIS_SERVER); }
HWND WhoisWindow::AnswerBox() const { return Item(IDC_WHOIS_ANSWER); }
HWND WhoisWindow::AddressBox() const { return Item(IDC_WHOIS_ADDRESS); }

bool WhoisWindow::OnInit() {
  SetDesignedFont(L"Tahoma", 8, GB2312_CHARSET);
  constexpr int kWidth = 433;
  constexpr int kPanelHeight = 23;  // the strip at the bottom that holds ServerBox
  constexpr int kMemoHeight = 424 - kPanelHeight;
  SetDesignedClientSize(kWidth, kMemoHeight + kPanelHeight);
  PlaceDesigned(IDC_WHOIS_ANSWER, 0, 0, kWidth, kMemoHeight);
  // A drop-down box's height is that of its open list; the box itself takes
  // the height of its font.
  PlaceDesigned(IDC_WHOIS_SERVER, 0, kMemoHeight + 1, kWidth, 200);
  for (const wchar_t* server : kWhoisServers)
    SendMessageW(ServerBox(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(server));
  SetWindowTextW(ServerBox(), kInitialWhoisServer);
  icon_ = LoadProgramIcon(GetModuleHandleW(nullptr), GetSystemMetrics(SM_CXSMICON));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
  CenterOn(nullptr);
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return true;
}

void WhoisWindow::Lookup(const std::wstring& addressText) {
  ShowWindow(hwnd(), SW_SHOW);
  SetWindowTextW(hwnd(), WhoisCaption(addressText).c_str());
  SetWindowTextW(AddressBox(), addressText.c_str());
  SetWindowTextW(AnswerBox(), L"");
  runner_.Start(WindowText(ServerBox()), addressText);
}

void WhoisWindow::QueryServer(const std::wstring& server) {
  // Before the first lookup there is no address to ask about.
  const std::wstring address = WindowText(AddressBox());
  if (!address.empty()) runner_.Start(server, address);
}

void WhoisWindow::QueryDone(const WhoisOutcome& outcome) {
  RunGuarded(hwnd(), [&] {
    if (outcome.answered)
      SetWindowTextW(AnswerBox(), EditControlText(outcome.text).c_str());
    else
      ShowErrorBox(hwnd(), outcome.text);
  });
}

bool WhoisWindow::OnCommand(WORD code, WORD id, HWND) {
  if (id != IDC_WHOIS_SERVER) return false;
  if (code == CBN_EDITCHANGE) {
    QueryServer(WindowText(ServerBox()));
    return true;
  }
  if (code == CBN_SELCHANGE) {
    // The box's own text changes only after this notification: take the entry's.
    const LRESULT index = SendMessageW(ServerBox(), CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return true;
    std::wstring entry(
        static_cast<size_t>(SendMessageW(ServerBox(), CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
    entry.resize(static_cast<size_t>(
        SendMessageW(ServerBox(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(entry.data()))));
    QueryServer(entry);
    return true;
  }
  return false;
}

void WhoisWindow::OnCancel() {
  runner_.Cancel();
  ShowWindow(hwnd(), SW_HIDE);
}

bool WhoisWindow::OnMessage(UINT message, WPARAM, LPARAM) {
  // Going with its owner: no outcome may reach a window that is gone.
  if (message == WM_DESTROY) runner_.Cancel();
  return false;
}

}  // namespace kestro::ui
