#pragma once
// WhoisWindow, the WHOIS window: the reply of a WHOIS server for a row's remote
// address. The query runs off the user-interface thread, so the viewer goes on
// refreshing while a server takes its time; only the latest query's outcome
// is shown.

#include <windows.h>

#include <string>

#include "net/WhoisQueryRunner.h"
#include "ui/base/Dialog.h"
#include "win/Handle.h"

namespace kestro::ui {

class WhoisWindow final : public Dialog {
 public:
  // `timeouts` bound each exchange (shorter in tests).
  explicit WhoisWindow(WhoisTimeouts timeouts = {});

  // FormCreate: the window, hidden, topmost, centred on the desktop.
  void Create(HWND owner);
  // Shows the window and queries the server in ServerBox for `addressText`
  // (trimmed by the exchange); the caption keeps the text as given. AnswerBox is
  // cleared first, so a failed query leaves it empty.
  void Lookup(const std::wstring& addressText);
  // QueryServer: queries `server` for the kept address again, once there
  // is one; AnswerBox keeps its answer until the new one arrives, and keeps it
  // when the query fails.
  void QueryServer(const std::wstring& server);

  HWND ServerBox() const;
  HWND AnswerBox() const;
  HWND AddressBox() const;

 private:
  bool OnInit() override;
  bool OnCommand(WORD code, WORD id, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Enter does nothing; Escape and the close box only hide the window, which
  // ends a query still running.
  void OnOK() override {}
  void OnCancel() override;
  void QueryDone(const WhoisOutcome& outcome);

  WhoisQueryRunner runner_;
  UniqueIcon icon_;
};

}  // namespace kestro::ui
