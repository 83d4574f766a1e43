#pragma once
// Runs the real upload worker on its own thread beside a real progress
// window on the test's thread, and records what the user would see.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "UploadJob.h"
#include "WindowDriver.h"

namespace mirovan::test {

struct WorkerRun {
  std::wstring initialStatus;
  std::vector<int> positions;             // PBM_SETPOS, in order
  std::vector<std::wstring> statusTexts;  // texts set after initialisation
  std::vector<MessageBoxSeen> messages;   // answered with OK
  bool windowEnded = false;
};

// onPosition runs on the test's thread while the worker waits for its
// progress message to be served.
WorkerRun RunWorker(UploadJob& job, std::function<void(int)> onPosition = {});

// A file of the test's temporary folder, removed with the object.
class TempFile {
 public:
  TempFile(const std::wstring& name, const std::string& content);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::wstring& Path() const { return path_; }
  // Open for reading as the front end opens it.
  HANDLE OpenForReading() const;

 private:
  std::wstring path_;
};

// Bytes that are not all alike, so that a shifted or partial body shows.
std::string Pattern(std::size_t size);

// Addresses the test prefix's browser was asked to open.
bool WasOpened(const std::string& url, DWORD waitMs);
// A result page address that no other test uses, padded to length.
std::string UniqueResultUrl(std::size_t length = 0);

}  // namespace mirovan::test
