#include "FrontEnd.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "AnsiText.h"
#include "Message.h"
#include "ProgressWindow.h"
#include "UploadWorker.h"

namespace mirovan {

namespace {

// Bounds the memory of a run: the file and the joined body are both held.
constexpr ULONGLONG kSizeLimit = 10'240'000;
constexpr DWORD kWorkerGraceMs = 10'000;

enum ExitStatus { kDone = 0, kNoArgument = 1, kCannotOpen = 2, kTooLarge = 3, kNoControls = 4 };

const wchar_t* OpenFailureMessage(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return L"Error! File was not found, or more then one file selected!";
    case ERROR_ACCESS_DENIED:
      return L"Error! Access to the specified file was denied!";
    default:
      return L"Error! Couldn't open file!";
  }
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The size of the whole file; a file whose size cannot be read counts as too
// large, as does one beyond 4 GiB (whose low 32 bits alone could look small).
ULONGLONG FileSize(HANDLE file) {
  LARGE_INTEGER size{};
  return GetFileSizeEx(file, &size) ? static_cast<ULONGLONG>(size.QuadPart) : ~0ull;
}

}  // namespace

std::wstring_view CommandLineArgument(std::wstring_view commandLine) {
  std::size_t end;
  if (!commandLine.empty() && commandLine.front() == L'"') {
    end = commandLine.find(L'"', 1);
    end = end == std::wstring_view::npos ? commandLine.size() : end + 1;
  } else {
    end = std::min(commandLine.find_first_of(L" \t"), commandLine.size());
  }
  commandLine.remove_prefix(end);
  while (!commandLine.empty() && IsBlank(commandLine.front())) commandLine.remove_prefix(1);
  return commandLine;
}

std::string FormFileName(const std::wstring& path) {
  DWORD capacity = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  std::vector<wchar_t> full(capacity + 1);
  wchar_t* namePart = nullptr;
  DWORD length = capacity ? GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()),
                                             full.data(), &namePart)
                          : 0;
  std::wstring_view name = length && length < full.size() && namePart ? std::wstring_view(namePart)
                                                                      : std::wstring_view(path);
  return ToAnsiCodePage(name, kFileNameBytes - 1);
}

int RunUploader(std::wstring_view commandLine, const ServiceAddress& service) {
  std::wstring path(CommandLineArgument(commandLine));
  if (path.empty()) {
    ShowMessage(L"Error! File not specified!");
    return kNoArgument;
  }
  std::erase(path, L'"');

  HANDLE opened =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    ShowMessage(OpenFailureMessage(GetLastError()));
    return kCannotOpen;
  }
  UniqueHandle file(opened);
  const ULONGLONG size = FileSize(file.get());
  if (size >= kSizeLimit) {
    ShowMessage(L"File to large! File should be smaller then 10 megabytes!");
    return kTooLarge;
  }

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
  if (!InitCommonControlsEx(&controls)) {
    ShowMessage(L"Error! Could not init common controls!");
    return kNoControls;
  }

  UploadJob job;
  job.file = file.get();
  job.fileName = FormFileName(path);
  job.fileSize = static_cast<DWORD>(size);
  job.service = service;

  UniqueHandle worker(CreateThread(nullptr, 0, UploadWorkerThread, &job, 0, nullptr));
  if (!worker) {
    ShowMessage(L"Error! Couldn't create uploading thread!");
    return kDone;
  }
  ShowProgressWindow(job);

  job.cancelled = true;
  // Releases a worker that still waits for a window that never came.
  SetEvent(job.windowReady.get());
  if (WaitForSingleObject(worker.get(), kWorkerGraceMs) == WAIT_TIMEOUT) {
    // Stuck in a network call; the end of the process releases what it holds.
    TerminateThread(worker.get(), 0);
  }
  return kDone;
}

}  // namespace mirovan
