#include "WorkerHarness.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "ProgressWindow.h"
#include "UploadWorker.h"
#include "UploaderResources.h"

namespace mirovan::test {

namespace {

constexpr DWORD kRunLimitMs = 30'000;

struct Recorder {
  WorkerRun& run;
  std::function<void(int)>& onPosition;
};

LRESULT CALLBACK RecordControl(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
  auto& recorder = *reinterpret_cast<Recorder*>(data);
  if (message == PBM_SETPOS) {
    recorder.run.positions.push_back(static_cast<int>(wParam));
    if (recorder.onPosition) recorder.onPosition(static_cast<int>(wParam));
  } else if (message == WM_SETTEXT) {
    recorder.run.statusTexts.emplace_back(reinterpret_cast<const wchar_t*>(lParam));
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

}  // namespace

WorkerRun RunWorker(UploadJob& job, std::function<void(int)> onPosition) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WorkerRun run;
  ProgressWindowSetup setup{job, nullptr};
  HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRESS),
                                   nullptr, ProgressWindowProc, reinterpret_cast<LPARAM>(&setup));
  EXPECT_NE(window, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  run.initialStatus = WindowText(job.statusLine);
  Recorder recorder{run, onPosition};
  SetWindowSubclass(job.progressBar, RecordControl, 1, reinterpret_cast<DWORD_PTR>(&recorder));
  SetWindowSubclass(job.statusLine, RecordControl, 1, reinterpret_cast<DWORD_PTR>(&recorder));

  DWORD threadId = 0;
  UniqueHandle worker(CreateThread(nullptr, 0, UploadWorkerThread, &job, 0, &threadId));
  HANDLE handle = worker.get();
  std::set<HWND> answered;
  const DWORD start = GetTickCount();
  while (MsgWaitForMultipleObjects(1, &handle, FALSE, 20, QS_ALLINPUT) != WAIT_OBJECT_0) {
    PumpMessages();
    for (HWND box : VisibleDialogs(0, threadId)) {
      if (!answered.insert(box).second) continue;
      run.messages.push_back(ReadMessageBox(box));
      AnswerMessageBox(box);
    }
    if (GetTickCount() - start > kRunLimitMs) {
      ADD_FAILURE() << "the worker did not end";
      TerminateThread(handle, 1);
      break;
    }
  }
  PumpMessages();
  run.windowEnded = !IsWindowVisible(window);
  RemoveWindowSubclass(job.progressBar, RecordControl, 1);
  RemoveWindowSubclass(job.statusLine, RecordControl, 1);
  DestroyWindow(window);
  return run;
}

TempFile::TempFile(const std::wstring& name, const std::string& content) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  path_ = std::wstring(folder) + name;
  HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

TempFile::~TempFile() { DeleteFileW(path_.c_str()); }

HANDLE TempFile::OpenForReading() const {
  return CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                     nullptr);
}

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + (i >> 8) * 7));
  return bytes;
}

bool WasOpened(const std::string& url, DWORD waitMs) {
  const char* log = getenv("KESTRO_OPENED_URLS");
  EXPECT_NE(log, nullptr) << "KESTRO_OPENED_URLS is not set";
  if (!log) return false;
  const DWORD start = GetTickCount();
  do {
    std::ifstream file(log);
    for (std::string line; std::getline(file, line);) {
      if (line == url) return true;
    }
    Sleep(50);
  } while (GetTickCount() - start < waitMs);
  return false;
}

std::string UniqueResultUrl(std::size_t length) {
  static int counter = 0;
  std::ostringstream url;
  url << "http://127.0.0.1/result/" << GetCurrentProcessId() << "-" << GetTickCount() << "-"
      << ++counter << "?";
  std::string text = url.str();
  if (text.size() < length) text.append(length - text.size(), 'q');
  return text;
}

}  // namespace mirovan::test
