// The worker against a real HTTP server on 127.0.0.1: the request on the
// wire, the progress the user sees, the messages and the cancel points.
#include <gtest/gtest.h>

#include <thread>

#include "AnsiText.h"
#include "LoopbackHttpServer.h"
#include "WorkerHarness.h"

namespace mirovan::test {
namespace {

constexpr wchar_t kFinished[] = L"Upload finished! Waiting for server response...";
const std::string kBoundary = std::string(27, '-') + "47972514120";

std::string ExpectedBody(const std::string& fileName, const std::string& content) {
  return "--" + kBoundary + "\r\n" +
         "Content-Disposition: form-data; name=\"archivo\"; filename=\"" + fileName + "\"\r\n" +
         "Content-Type: application/x-msdownload\r\n\r\n" + content + "\r\n--" + kBoundary +
         "\r\nContent-Disposition: form-data; name=\"distribuir\"\r\n\r\n1\r\n--" + kBoundary +
         "--\r\n";
}

// A job on a file of the test, aimed at the server's port.
struct JobOnFile {
  JobOnFile(const std::wstring& name, const std::string& content, INTERNET_PORT port)
      : file(name, content), handle(file.OpenForReading()) {
    job.file = handle.get();
    job.fileSize = static_cast<DWORD>(content.size());
    job.fileName = ToAnsiCodePage(name, kFileNameBytes - 1);
    job.service = {L"127.0.0.1", port};
  }
  TempFile file;
  UniqueHandle handle;
  UploadJob job;
};

TEST(UploadWorker, SendsTheFormInBlocksAndOpensTheResultPage) {
  ASSERT_EQ(GetACP(), 936u) << "the tests run with the Chinese ANSI code page";
  const std::string content = Pattern(10'000);
  const std::string url = UniqueResultUrl();
  LoopbackHttpServer server(LoopbackHttpServer::Redirect(url));
  JobOnFile setup(L"测试 app.exe", content, server.Port());

  WorkerRun run = RunWorker(setup.job);
  auto requests = server.Finish();

  ASSERT_EQ(requests.size(), 1u);
  const ReceivedRequest& request = requests[0];
  // The name travels in code page 936, unescaped.
  const std::string body = ExpectedBody("\xB2\xE2\xCA\xD4 app.exe", content);
  EXPECT_EQ(request.RequestLine(), "POST /mv/en/recepcionf HTTP/1.1");
  EXPECT_EQ(request.Header("Content-Type"), "multipart/form-data; boundary=" + kBoundary);
  EXPECT_EQ(request.Header("Content-Length"), std::to_string(body.size()));
  EXPECT_EQ(request.Header("User-Agent"), "Mirovan Uploader 0.0.1");
  EXPECT_EQ(request.Header("Host"), "127.0.0.1:" + std::to_string(server.Port()));
  EXPECT_TRUE(request.complete);
  EXPECT_TRUE(request.body == body) << "body of " << request.body.size() << " bytes differs";

  // Three blocks: 4096, 4096 and the rest; the position goes before each.
  const int total = static_cast<int>(body.size());
  EXPECT_EQ(run.positions, (std::vector<int>{0, 409'600 / total, 819'200 / total, 100}));
  EXPECT_EQ(run.initialStatus, L"Uploading file 测试 app.exe...");
  EXPECT_EQ(run.statusTexts, std::vector<std::wstring>{kFinished});
  EXPECT_TRUE(run.messages.empty());
  EXPECT_TRUE(run.windowEnded);
  EXPECT_TRUE(WasOpened(url, 10'000)) << url;
}

TEST(UploadWorker, EmptyFileSendsHeadAndTail) {
  LoopbackHttpServer server(LoopbackHttpServer::Redirect(UniqueResultUrl()));
  JobOnFile setup(L"empty.exe", "", server.Port());

  WorkerRun run = RunWorker(setup.job);
  auto requests = server.Finish();

  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].body, ExpectedBody("empty.exe", ""));
  EXPECT_EQ(run.positions, (std::vector<int>{0, 100}));
  EXPECT_TRUE(run.windowEnded);
}

TEST(UploadWorker, OnlyAnAnswerWithAFittingLocationOpensAPage) {
  struct Case {
    const char* what;
    std::size_t locationLength;  // 0: a plain page without Location
    bool accepted;
  };
  const Case cases[] = {
      {"no Location", 0, false},
      {"Location of 511 characters", 511, true},
      {"Location of 512 characters", 512, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string url = UniqueResultUrl(c.locationLength);
    LoopbackHttpServer server(c.locationLength ? LoopbackHttpServer::Redirect(url)
                                               : LoopbackHttpServer::PlainPage());
    JobOnFile setup(L"answer.exe", Pattern(100), server.Port());

    WorkerRun run = RunWorker(setup.job);

    EXPECT_EQ(server.Finish().size(), 1u);
    EXPECT_EQ(run.positions.back(), 100);
    EXPECT_EQ(run.statusTexts, std::vector<std::wstring>{kFinished});
    EXPECT_EQ(run.windowEnded, c.accepted);
    if (c.accepted) {
      EXPECT_TRUE(run.messages.empty());
      EXPECT_TRUE(WasOpened(url, 10'000));
    } else {
      ASSERT_EQ(run.messages.size(), 1u);
      EXPECT_EQ(run.messages[0].text, L"Error! Invalid response!");
      // The shell has returned before the worker ended; a page it opened
      // would have been recorded by now.
      EXPECT_FALSE(WasOpened(url, 500));
    }
  }
}

TEST(UploadWorker, MessagesAreWarningsOfTheTool) {
  JobOnFile setup(L"nowhere.exe", Pattern(10), UnusedPort());

  WorkerRun run = RunWorker(setup.job);

  ASSERT_EQ(run.messages.size(), 1u);
  // An unreachable server shows when the request is sent.
  EXPECT_EQ(run.messages[0].text, L"Error! Upload failed!");
  EXPECT_EQ(run.messages[0].caption, L"Mirovan Uploader 0.0.1");
  EXPECT_TRUE(run.messages[0].warningIcon);
  EXPECT_TRUE(run.positions.empty());
  EXPECT_FALSE(run.windowEnded);
}

TEST(UploadWorker, FailedOrShortReadSendsNothing) {
  struct Case {
    const char* what;
    DWORD access;
    DWORD announcedSize;
  };
  const Case cases[] = {
      {"handle without read access", GENERIC_WRITE, 10},
      {"file shorter than its announced size", GENERIC_READ, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoopbackHttpServer server(LoopbackHttpServer::Redirect(UniqueResultUrl()));
    TempFile file(L"unreadable.exe", Pattern(10));
    UniqueHandle handle(CreateFileW(file.Path().c_str(), c.access, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    UploadJob job;
    job.file = handle.get();
    job.fileSize = c.announcedSize;
    job.fileName = "unreadable.exe";
    job.service = {L"127.0.0.1", server.Port()};

    WorkerRun run = RunWorker(job);

    EXPECT_TRUE(server.Finish().empty());
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].text, L"Error! Couldn't read file!");
    EXPECT_TRUE(run.positions.empty());
    EXPECT_FALSE(run.windowEnded);
  }
}

// Every cancel stops quietly: no message, and the window is left as it is.
void ExpectQuietStop(const WorkerRun& run) {
  EXPECT_TRUE(run.messages.empty());
  EXPECT_FALSE(run.windowEnded);
}

TEST(UploadWorkerCancel, AfterTheRequestIsOpenedNothingIsReadOrSent) {
  LoopbackHttpServer server(LoopbackHttpServer::Redirect(UniqueResultUrl()));
  JobOnFile setup(L"early.exe", Pattern(5000), server.Port());
  setup.job.cancelled = true;

  WorkerRun run = RunWorker(setup.job);

  EXPECT_TRUE(server.Finish().empty());
  EXPECT_EQ(SetFilePointer(setup.handle.get(), 0, nullptr, FILE_CURRENT), 0u);
  EXPECT_TRUE(run.positions.empty());
  ExpectQuietStop(run);
}

TEST(UploadWorkerCancel, AfterTheFileIsReadNothingIsSent) {
  LoopbackHttpServer server(LoopbackHttpServer::Redirect(UniqueResultUrl()));
  // A pipe as the file holds the worker inside its read until the test has
  // asked it to stop.
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  UniqueHandle reading(readEnd), writing(writeEnd);
  const std::string content = Pattern(3000);
  UploadJob job;
  job.file = readEnd;
  job.fileSize = static_cast<DWORD>(content.size());
  job.fileName = "piped.exe";
  job.service = {L"127.0.0.1", server.Port()};

  std::thread feeder([&] {
    DWORD written = 0, waiting = 1;
    WriteFile(writeEnd, content.data(), 1, &written, nullptr);
    // Once the first byte is taken, the worker is past its first cancel point.
    for (int i = 0; i < 1000 && waiting; ++i) {
      Sleep(5);
      PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr);
    }
    job.cancelled = true;
    WriteFile(writeEnd, content.data() + 1, job.fileSize - 1, &written, nullptr);
  });
  WorkerRun run = RunWorker(job);
  feeder.join();

  EXPECT_TRUE(server.Finish().empty());
  DWORD left = 1;
  PeekNamedPipe(readEnd, nullptr, 0, nullptr, &left, nullptr);
  EXPECT_EQ(left, 0u) << "the whole file was read";
  EXPECT_TRUE(run.positions.empty());
  ExpectQuietStop(run);
}

TEST(UploadWorkerCancel, BeforeABlockTheTransferStops) {
  // Cancel while the position before block n is shown: block n still goes,
  // block n + 1 does not.
  for (int block : {1, 2}) {
    SCOPED_TRACE(block);
    LoopbackHttpServer server(LoopbackHttpServer::Redirect(UniqueResultUrl()));
    JobOnFile setup(L"blocks.exe", Pattern(10'000), server.Port());

    int shown = 0;
    WorkerRun run = RunWorker(setup.job, [&](int) {
      if (++shown == block) setup.job.cancelled = true;
    });
    auto requests = server.Finish();

    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].complete);
    EXPECT_EQ(requests[0].body.size(), 4096u * block);
    EXPECT_EQ(run.positions.size(), static_cast<std::size_t>(block));
    EXPECT_TRUE(run.statusTexts.empty());
    ExpectQuietStop(run);
  }
}

TEST(UploadWorkerCancel, WhileTheRequestIsEndedNoPageIsOpened) {
  UploadJob* job = nullptr;
  const std::string url = UniqueResultUrl();
  // The worker is inside the call that ends the request, waiting for this
  // answer, when the user cancels.
  LoopbackHttpServer server(LoopbackHttpServer::Redirect(url), [&] { job->cancelled = true; });
  JobOnFile setup(L"late.exe", Pattern(5000), server.Port());
  job = &setup.job;

  WorkerRun run = RunWorker(setup.job);

  auto requests = server.Finish();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].complete);
  EXPECT_EQ(run.positions.back(), 100);
  EXPECT_EQ(run.statusTexts, std::vector<std::wstring>{kFinished});
  EXPECT_FALSE(WasOpened(url, 500));
  ExpectQuietStop(run);
}

}  // namespace
}  // namespace mirovan::test
