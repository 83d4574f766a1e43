#pragma once
// The record shared by the main thread and the upload worker.

#include <windows.h>

#include <atomic>
#include <string>

#include "Handles.h"

namespace mirovan {

// Where the form goes; a build setting (see CMakeLists.txt).
struct ServiceAddress {
  std::wstring host;
  INTERNET_PORT port = 80;
};

// Longest file name kept for the form, terminator included.
constexpr std::size_t kFileNameBytes = 512;

struct UploadJob {
  HANDLE file = nullptr;  // open for reading; owned by the main thread
  int fieldValue = 1;     // value of the form field "distribuir"
  std::string fileName;   // name without directory, ANSI code page, below kFileNameBytes
  HWND progressBar = nullptr;
  HWND statusLine = nullptr;
  DWORD fileSize = 0;
  HWND progressWindow = nullptr;
  std::atomic<bool> cancelled{false};
  ServiceAddress service;
  // Set once the three window handles above are written, or once the window
  // will never exist; the worker reads them only after it.
  UniqueHandle windowReady{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

}  // namespace mirovan
