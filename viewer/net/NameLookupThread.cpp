#include "net/NameLookupThread.h"

#include <ws2tcpip.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "win/SystemError.h"

namespace kestro {

struct NameLookupJob {
  std::atomic<bool> terminated{false};
};

// Finished lookups waiting for the user-interface thread. The threads share it
// with the resolver, so that it outlives whichever side ends last; `window` is
// null once the resolver is gone, and the threads then drop their answers.
struct NameResolver::Inbox {
  struct Result {
    std::shared_ptr<NameLookupJob> job;
    RowId row;
    int code;
    std::wstring name;
  };
  std::mutex lock;
  HWND window = nullptr;
  std::vector<Result> results;
  bool wakeUpPosted = false;
};

namespace {

constexpr UINT kLookupDone = WM_APP + 1;
constexpr wchar_t kWindowClass[] = L"KestroNameResolver";
// getnameinfo needs little stack; with thousands of rows the default reservation
// of 1 MB per thread would exhaust a 32-bit address space.
constexpr SIZE_T kThreadStack = 256 * 1024;

std::atomic<long> g_liveThreads{0};

void RegisterWindowClass(HINSTANCE instance, WNDPROC proc) {
  static const bool registered = [&] {
    WNDCLASSEXW wc = {sizeof wc};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  (void)registered;
}

}  // namespace

void NameLookupState::Terminate() {
  if (handle) {
    handle->terminated = true;
    handle.reset();
  }
}

void NameLookupState::Complete(int code, const std::wstring& resolvedName) {
  resultCode = code;
  if (code == 0) name = resolvedName;
  handle.reset();
}

struct NameLookupThread::Impl {
  EndpointAddress address;
  RowId row;
  std::shared_ptr<NameLookupJob> job;
  std::shared_ptr<NameService> service;
  std::shared_ptr<NameResolver::Inbox> inbox;

  void Run() {
    std::wstring name;
    int code = service->QueryNameInfo(address, NI_NAMEREQD, &name, nullptr);
    if (job->terminated) return;
    std::lock_guard guard(inbox->lock);
    if (inbox->window == nullptr) return;
    inbox->results.push_back({job, row, code, code == 0 ? name : std::wstring()});
    // One wake-up at a time: the receiver takes every queued answer at once.
    if (!inbox->wakeUpPosted)
      inbox->wakeUpPosted = PostMessageW(inbox->window, kLookupDone, 0, 0) != FALSE;
  }

  static DWORD WINAPI ThreadProc(void* parameter) {
    try {
      std::unique_ptr<Impl>(static_cast<Impl*>(parameter))->Run();
    } catch (...) {
      // Out of memory: the answer is lost, the row keeps its numeric text.
    }
    --g_liveThreads;
    return 0;
  }
};

void NameLookupThread::Start(NameResolver& resolver, const EndpointAddress& address, RowId row,
                             NameLookupState& state) {
  auto job = std::make_shared<NameLookupJob>();
  auto impl = std::make_unique<Impl>(Impl{address, row, job, resolver.service_, resolver.inbox_});
  ++g_liveThreads;
  HANDLE thread = CreateThread(nullptr, kThreadStack, Impl::ThreadProc, impl.get(),
                               CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) {
    --g_liveThreads;
    // Counts as a failed lookup, so that the row does not ask again.
    state.resultCode = static_cast<int>(GetLastError());
    return;
  }
  impl.release();  // the thread owns it now
  state.handle = std::move(job);
  SetThreadPriority(thread, THREAD_PRIORITY_IDLE);
  ResumeThread(thread);
  CloseHandle(thread);
}

long NameLookupThread::LiveCount() { return g_liveThreads; }

NameResolver::NameResolver(std::shared_ptr<NameService> service)
    : service_(std::move(service)), inbox_(std::make_shared<Inbox>()) {
  if (service_->QueryHostName(localHostName_) != 0) localHostName_.clear();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterWindowClass(instance, WindowProc);
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                            nullptr);
  if (window_ == nullptr) throw SystemError(GetLastError());
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  inbox_->window = window_;
}

NameResolver::~NameResolver() {
  {
    std::lock_guard guard(inbox_->lock);
    inbox_->window = nullptr;
    inbox_->results.clear();
  }
  DestroyWindow(window_);
}

size_t NameResolver::DeliverPending() {
  std::vector<Inbox::Result> batch;
  {
    std::lock_guard guard(inbox_->lock);
    batch.swap(inbox_->results);
    inbox_->wakeUpPosted = false;
  }
  size_t delivered = 0;
  for (const auto& result : batch) {
    // A row that went after the thread queued its answer has stopped its job.
    if (result.job->terminated) continue;
    if (done_) done_(result.row, result.code, result.name);
    ++delivered;
  }
  return delivered;
}

LRESULT CALLBACK NameResolver::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kLookupDone) {
    auto* self = reinterpret_cast<NameResolver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    try {
      if (self) self->DeliverPending();
    } catch (...) {
      // Nothing may cross the window procedure; the rows keep numeric texts.
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace kestro
