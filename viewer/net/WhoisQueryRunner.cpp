#include "net/WhoisQueryRunner.h"

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "win/Handle.h"
#include "win/SystemError.h"
#include "win/Text.h"

namespace kestro {

namespace {

// wParam: the generation of the query that ended.
constexpr UINT kQueryDone = WM_APP + 1;
constexpr wchar_t kWindowClass[] = L"KestroWhoisQueries";

void DestroyWindowHandle(HWND window) noexcept { DestroyWindow(window); }
HWND NullWindow() noexcept { return nullptr; }
using UniqueWindow = UniqueHandle<HWND, DestroyWindowHandle, NullWindow>;

WhoisOutcome RunExchange(const std::wstring& server, const std::wstring& address,
                         const WhoisTimeouts& timeouts, HANDLE cancel) {
  try {
    return {true, QueryWhois(server, address, timeouts, cancel)};
  } catch (const SystemError& e) {
    return {false, e.message()};
  } catch (const std::exception& e) {
    return {false, FromUtf8(e.what())};
  }
}

}  // namespace

struct WhoisQueryRunner::Impl {
  // One query: the worker writes `outcome`, then sets `finished` and posts;
  // the user-interface thread reads the outcome only after that, and frees the
  // query only after joining its thread.
  struct Query {
    unsigned generation = 0;
    UniqueHandleNull cancel;
    WhoisOutcome outcome;
    std::atomic<bool> finished{false};
    std::thread thread;
  };

  Impl(Done doneCallback, WhoisTimeouts limits) : done(std::move(doneCallback)), timeouts(limits) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    static const bool registered = [&] {
      WNDCLASSEXW wc = {sizeof wc};
      wc.lpfnWndProc = WindowProc;
      wc.hInstance = instance;
      wc.lpszClassName = kWindowClass;
      return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    (void)registered;
    window.reset(CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr));
    if (!window) ThrowLastError();
    SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }

  ~Impl() {
    // Cancel all first, then wait: the threads end side by side.
    for (const auto& query : queries) SetEvent(query->cancel.get());
    for (const auto& query : queries) query->thread.join();
    // The window goes after the threads, so no message is posted to a freed one.
  }

  void Start(std::wstring server, std::wstring address) {
    Cancel();

    auto query = std::make_unique<Query>();
    query->generation = ++latest;
    query->cancel.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!query->cancel) ThrowLastError();
    queries.reserve(queries.size() + 1);  // no throw once the thread runs
    Query& started = *query;
    started.thread =
        std::thread([this, &started, server = std::move(server), address = std::move(address)] {
          started.outcome = RunExchange(server, address, timeouts, started.cancel.get());
          started.finished = true;
          PostMessageW(window.get(), kQueryDone, started.generation, 0);
        });
    queries.push_back(std::move(query));
  }

  void Cancel() {
    JoinFinished();
    for (const auto& query : queries) SetEvent(query->cancel.get());
    // An outcome already posted belongs to an older generation now.
    ++latest;
  }

  void Deliver(unsigned generation) {
    std::optional<WhoisOutcome> outcome;
    if (generation == latest) {
      for (const auto& query : queries) {
        if (query->generation == generation && query->finished) outcome = std::move(query->outcome);
      }
    }
    JoinFinished();
    if (outcome) done(*outcome);
  }

  // Threads that have posted their outcome end at once; join and free them.
  void JoinFinished() {
    std::erase_if(queries, [](const std::unique_ptr<Query>& query) {
      if (!query->finished) return false;
      query->thread.join();
      return true;
    });
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kQueryDone) {
      auto* self = reinterpret_cast<Impl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
      try {
        if (self) self->Deliver(static_cast<unsigned>(wParam));
      } catch (...) {
        // Nothing may cross the window procedure; the outcome is lost.
      }
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  Done done;
  WhoisTimeouts timeouts;
  unsigned latest = 0;                          // the generation of the latest query
  std::vector<std::unique_ptr<Query>> queries;  // started and not yet joined
  UniqueWindow window;
};

WhoisQueryRunner::WhoisQueryRunner(Done done, WhoisTimeouts timeouts)
    : impl_(std::make_unique<Impl>(std::move(done), timeouts)) {}

WhoisQueryRunner::~WhoisQueryRunner() = default;

void WhoisQueryRunner::Start(std::wstring server, std::wstring address) {
  impl_->Start(std::move(server), std::move(address));
}

void WhoisQueryRunner::Cancel() { impl_->Cancel(); }

}  // namespace kestro
