#include "UploadWorker.h"

#include <commctrl.h>
#include <shellapi.h>
#include <wininet.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ChunkList.h"
#include "Message.h"

namespace mirovan {

namespace {

constexpr wchar_t kUserAgent[] = L"Mirovan Uploader 0.0.1";
constexpr wchar_t kUploadPath[] = L"/mv/en/recepcionf";
// The answer is a redirect whose Location is the result page, so redirects
// must not be followed.
constexpr DWORD kRequestFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP;
static_assert(kRequestFlags == 0x04208000);
constexpr std::size_t kBlockSize = 4096;
// Longest Location accepted, in characters with the terminator.
constexpr DWORD kLocationCapacity = 512;

constexpr std::string_view kBoundary = "---------------------------47972514120";

constexpr wchar_t kUploadFailed[] = L"Error! Upload failed!";

// The extra request header; 84 characters with its CR LF.
std::wstring ContentTypeHeader() {
  return L"Content-Type: multipart/form-data; boundary=" +
         std::wstring(kBoundary.begin(), kBoundary.end()) + L"\r\n";
}

std::string FormHead(const std::string& fileName) {
  return "--" + std::string(kBoundary) +
         "\r\nContent-Disposition: form-data; name=\"archivo\"; filename=\"" + fileName +
         "\"\r\nContent-Type: application/x-msdownload\r\n\r\n";
}

std::string FormTail(int fieldValue) {
  const std::string delimiter = "\r\n--" + std::string(kBoundary);
  return delimiter + "\r\nContent-Disposition: form-data; name=\"distribuir\"\r\n\r\n" +
         std::to_string(fieldValue) + delimiter + "--\r\n";
}

// Reports a failure once; the caller then stops.
bool Fail(const std::wstring& text) {
  ShowMessage(text);
  return false;
}

void SetProgress(const UploadJob& job, int position) {
  if (job.progressBar) SendMessageW(job.progressBar, PBM_SETPOS, position, 0);
}

// The whole file from its start. A failed or short read yields nothing, so
// that zeros are never sent in place of the file.
std::optional<std::vector<char>> ReadWholeFile(const UploadJob& job) {
  std::vector<char> bytes(job.fileSize);
  DWORD done = 0;
  while (done < job.fileSize) {
    DWORD read = 0;
    if (!ReadFile(job.file, bytes.data() + done, job.fileSize - done, &read, nullptr) ||
        read == 0) {
      return std::nullopt;
    }
    done += read;
  }
  return bytes;
}

// Sends the body in blocks, moving the progress bar before each one.
bool SendBlocks(UploadJob& job, HINTERNET request, const std::vector<char>& body) {
  const std::size_t total = body.size();
  for (std::size_t sent = 0; sent < total;) {
    if (job.cancelled) return false;
    SetProgress(job, static_cast<int>(100ull * sent / total));
    const DWORD block = static_cast<DWORD>(std::min(kBlockSize, total - sent));
    DWORD written = 0;
    // A block reported as written with no bytes would loop for ever.
    if (!InternetWriteFile(request, body.data() + sent, block, &written) || written == 0) {
      return Fail(kUploadFailed);
    }
    sent += written;
  }
  return true;
}

// Everything up to opening the result page. True after success only; the
// Internet handles are closed on return, request first.
bool Exchange(UploadJob& job) {
  UniqueInternetHandle session(
      InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return Fail(L"Error! Couldn't open Internet connection!");
  UniqueInternetHandle connection(InternetConnectW(session.get(), job.service.host.c_str(),
                                                   job.service.port, nullptr, nullptr,
                                                   INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return Fail(L"Error! Couldn't connect to " + job.service.host + L"!");
  UniqueInternetHandle request(HttpOpenRequestW(connection.get(), L"POST", kUploadPath, nullptr,
                                                nullptr, nullptr, kRequestFlags, 0));
  if (!request) return Fail(L"Error! Couldn't post data!");
  if (job.cancelled) return false;

  auto file = ReadWholeFile(job);
  if (!file) return Fail(L"Error! Couldn't read file!");
  if (job.cancelled) return false;

  ChunkList body;
  body.AppendCopy(FormHead(job.fileName));
  body.AppendOwned(std::move(*file));
  body.AppendCopy(FormTail(job.fieldValue));
  body.Join();

  const std::wstring header = ContentTypeHeader();
  INTERNET_BUFFERSW buffers{};
  buffers.dwStructSize = sizeof(buffers);
  buffers.lpcszHeader = header.c_str();
  buffers.dwHeadersLength = buffers.dwHeadersTotal = static_cast<DWORD>(header.size());
  buffers.dwBufferTotal = static_cast<DWORD>(body.TotalLength());
  // Without a connection there is nothing to write to; this is where an
  // unreachable server shows.
  if (!HttpSendRequestExW(request.get(), &buffers, nullptr, 0, 0)) return Fail(kUploadFailed);
  if (!SendBlocks(job, request.get(), body.Joined())) return false;
  if (!HttpEndRequestW(request.get(), nullptr, 0, 0)) {
    return Fail(L"Error! Upload failed! Could not finalize HTTP request!");
  }
  SetWindowTextW(job.statusLine, L"Upload finished! Waiting for server response...");
  SetProgress(job, 100);
  if (job.cancelled) return false;

  wchar_t location[kLocationCapacity];
  DWORD size = sizeof(location);
  if (!HttpQueryInfoW(request.get(), HTTP_QUERY_LOCATION, location, &size, nullptr)) {
    return Fail(L"Error! Invalid response!");
  }
  ShellExecuteW(nullptr, L"open", location, nullptr, L"", SW_SHOW);
  return true;
}

}  // namespace

DWORD WINAPI UploadWorkerThread(void* parameter) noexcept {
  auto& job = *static_cast<UploadJob*>(parameter);
  try {
    WaitForSingleObject(job.windowReady.get(), INFINITE);
    if (Exchange(job)) EndDialog(job.progressWindow, 0);
  } catch (...) {
    // Out of memory for the file or the body.
    ShowMessage(kUploadFailed);
  }
  return 0;
}

}  // namespace mirovan
