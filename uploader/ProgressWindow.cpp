#include "ProgressWindow.h"

#include <string>

#include "AnsiText.h"
#include "UploaderResources.h"

namespace mirovan {

namespace {

// The status line shows at most this many characters.
constexpr std::size_t kStatusLength = 255;

void Initialise(HWND window, const ProgressWindowSetup& setup) {
  UploadJob& job = setup.job;
  job.progressBar = GetDlgItem(window, IDC_PROGRESS);
  job.statusLine = GetDlgItem(window, IDC_STATUS);
  job.progressWindow = window;
  std::wstring status = L"Uploading file " + FromAnsiCodePage(job.fileName) + L"...";
  if (status.size() > kStatusLength) status.resize(kStatusLength);
  SetWindowTextW(job.statusLine, status.c_str());
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(setup.smallIcon));
  SetEvent(job.windowReady.get());
}

}  // namespace

INT_PTR CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        Initialise(window, *reinterpret_cast<const ProgressWindowSetup*>(lParam));
        break;
      case WM_CLOSE:
      case WM_COMMAND:
        EndDialog(window, 0);
        break;
    }
  } catch (...) {
    // Only the status text can fail (no memory); the window works without it.
  }
  return FALSE;
}

void ShowProgressWindow(UploadJob& job) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  UniqueIcon icon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_UPLOADER),
                                                IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), 0)));
  ProgressWindowSetup setup{job, icon.get()};
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PROGRESS), nullptr, ProgressWindowProc,
                  reinterpret_cast<LPARAM>(&setup));
}

}  // namespace mirovan
