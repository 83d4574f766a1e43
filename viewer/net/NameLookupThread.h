#pragma once
// Reverse name lookups of remote addresses, each on a thread of its own at
// idle priority. A row asks at most once at a time and never again after a
// failure. Results reach the row only on the user-interface thread, through a
// message-only window owned by NameResolver, and only while the row exists.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "net/NameService.h"
#include "net/NetUtils.h"
#include "net/RowId.h"

namespace kestro {

// The small state a row and its lookup thread share: the row's side sets the
// stop request, the thread reads it. Neither touches the other's memory.
struct NameLookupJob;

// The remote-name state of one TCP row, held in the row's record. Destroying
// it (the row leaves the list) stops a running lookup.
class NameLookupState {
 public:
  NameLookupState() = default;
  ~NameLookupState() { Terminate(); }
  NameLookupState(const NameLookupState&) = delete;
  NameLookupState& operator=(const NameLookupState&) = delete;

  bool Running() const { return handle != nullptr; }
  // Asks a running lookup to stop and detaches it; its answer is dropped.
  void Terminate();
  // Applies a finished lookup: the code, and on success (code 0) the name;
  // detaches the handle.
  void Complete(int code, const std::wstring& resolvedName);

  std::shared_ptr<NameLookupJob> handle;  // the running lookup; null when none
  int resultCode = 0;                     // 0 until a lookup fails
  std::wstring name;                      // empty until known
};

// Called on the user-interface thread for each lookup that ended while its row
// still wanted it: the row's identity, getnameinfo's result code (0 on
// success) and the name (empty on failure).
using NameLookupDone = std::function<void(RowId row, int resultCode, const std::wstring& name)>;

class NameResolver;

// One lookup: its own copy of the address, the row's identity and a share of
// the row's job. Frees itself when its thread ends.
class NameLookupThread {
 public:
  // Starts a lookup for `row` and attaches it to `state` (which must have none
  // running). When no thread can be created the state records the failure.
  static void Start(NameResolver& resolver, const EndpointAddress& address, RowId row,
                    NameLookupState& state);
  // Lookup threads alive in this process (for leak checks).
  static long LiveCount();

 private:
  struct Impl;
};

// Lives on the user-interface thread (create it there; results arrive through
// that thread's message loop). Holds the name service, the local host name
// (read once, here) and the window that receives finished lookups.
class NameResolver {
 public:
  explicit NameResolver(std::shared_ptr<NameService> service);
  ~NameResolver();
  NameResolver(const NameResolver&) = delete;
  NameResolver& operator=(const NameResolver&) = delete;

  void SetCompletion(NameLookupDone done) { done_ = std::move(done); }
  NameService& Service() const { return *service_; }
  // gethostname as read at construction; empty when it failed.
  const std::wstring& LocalHostName() const { return localHostName_; }

  // Hands finished lookups that are already queued to the completion, without
  // waiting for their message. Returns how many were handed over.
  size_t DeliverPending();

  struct Inbox;  // shared with the lookup threads

 private:
  friend class NameLookupThread;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::shared_ptr<NameService> service_;
  std::wstring localHostName_;
  std::shared_ptr<Inbox> inbox_;
  HWND window_ = nullptr;
  NameLookupDone done_;
};

}  // namespace kestro
