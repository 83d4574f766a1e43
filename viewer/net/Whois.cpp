#include "net/Whois.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "win/Handle.h"
#include "win/SystemError.h"
#include "win/Text.h"

namespace kestro {

namespace {

// Both ways in the viewer's display text; WHOIS servers send ASCII for the most part.
constexpr UINT kWhoisCodePage = 936;
constexpr long kSocketEvents = FD_CONNECT | FD_WRITE | FD_READ | FD_CLOSE;

// The exchange may run on any thread, before or after the main window's own
// start-up of Windows Sockets; the start-up is counted, so each use takes one.
class WinsockUse {
 public:
  WinsockUse() {
    WSADATA data;
    if (int result = WSAStartup(MAKEWORD(2, 2), &data); result != 0) throw SystemError(result);
  }
  ~WinsockUse() { WSACleanup(); }
  WinsockUse(const WinsockUse&) = delete;
  WinsockUse& operator=(const WinsockUse&) = delete;
};

// Blanks as the lookup commands remove them: spaces and control characters.
std::wstring_view TrimBlanks(std::wstring_view text) {
  while (!text.empty() && text.front() <= L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() <= L' ') text.remove_suffix(1);
  return text;
}

struct ServerAddress {
  std::wstring host;
  std::wstring port;
};

// "host", "host:port", "[address]:port"; a text with more than one colon and
// no brackets is an IPv6 address on the default port.
ServerAddress SplitServer(std::wstring_view server) {
  std::wstring_view host = server;
  std::wstring_view port;
  if (server.starts_with(L'[')) {
    size_t close = server.find(L']');
    if (close != std::wstring_view::npos &&
        (close + 1 == server.size() || server[close + 1] == L':')) {
      host = server.substr(1, close - 1);
      port = server.substr(std::min(close + 2, server.size()));
    }
  } else if (size_t colon = server.find(L':');
             colon != std::wstring_view::npos &&
             server.find(L':', colon + 1) == std::wstring_view::npos) {
    host = server.substr(0, colon);
    port = server.substr(colon + 1);
  }
  return {std::wstring(host), std::wstring(port.empty() ? kWhoisPort : port)};
}

struct AddressListDeleter {
  void operator()(ADDRINFOW* list) const noexcept { FreeAddrInfoW(list); }
};
using AddressList = std::unique_ptr<ADDRINFOW, AddressListDeleter>;

AddressList Resolve(const ServerAddress& server) {
  // An empty name would mean this machine's own addresses.
  if (server.host.empty()) throw SystemError(WSAHOST_NOT_FOUND);
  ADDRINFOW hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  ADDRINFOW* list = nullptr;
  if (int result = GetAddrInfoW(server.host.c_str(), server.port.c_str(), &hints, &list);
      result != 0) {
    throw SystemError(static_cast<DWORD>(result));
  }
  return AddressList(list);
}

// A non-blocking socket whose network events set `event`; the waits are
// bounded by a deadline and end early when the caller's cancel event is set.
class Connection {
 public:
  explicit Connection(HANDLE cancel) : cancel_(cancel) {}

  // Throws the system's error, kWhoisNoAnswer after `timeoutMs`.
  void Connect(const ADDRINFOW& address, DWORD timeoutMs) {
    socket_.reset(socket(address.ai_family, address.ai_socktype, address.ai_protocol));
    if (!socket_) throw SystemError(WSAGetLastError());
    if (WSAEventSelect(socket_.get(), event_.get(), kSocketEvents) != 0)
      throw SystemError(WSAGetLastError());
    if (connect(socket_.get(), address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) return;
    if (int error = WSAGetLastError(); error != WSAEWOULDBLOCK) throw SystemError(error);
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
      WSANETWORKEVENTS events = Wait(deadline);
      if (events.lNetworkEvents & FD_CONNECT) {
        if (int error = events.iErrorCode[FD_CONNECT_BIT]; error != 0) throw SystemError(error);
        return;
      }
    }
  }

  void SendAll(std::string_view bytes, ULONGLONG deadline) {
    while (!bytes.empty()) {
      int sent = send(socket_.get(), bytes.data(), static_cast<int>(bytes.size()), 0);
      if (sent != SOCKET_ERROR) {
        bytes.remove_prefix(static_cast<size_t>(sent));
        continue;
      }
      if (int error = WSAGetLastError(); error != WSAEWOULDBLOCK) throw SystemError(error);
      Wait(deadline);
    }
  }

  std::string ReceiveUntilClosed(ULONGLONG deadline) {
    std::string bytes;
    char buffer[4096];
    for (;;) {
      int received = recv(socket_.get(), buffer, sizeof buffer, 0);
      if (received == 0) return bytes;
      if (received > 0) {
        bytes.append(buffer, static_cast<size_t>(received));
        continue;
      }
      if (int error = WSAGetLastError(); error != WSAEWOULDBLOCK) throw SystemError(error);
      Wait(deadline);
    }
  }

 private:
  WSANETWORKEVENTS Wait(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    const DWORD timeout =
        now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, INFINITE - 1));
    const HANDLE handles[] = {event_.get(), cancel_};
    switch (WaitForMultipleObjects(cancel_ ? 2 : 1, handles, FALSE, timeout)) {
      case WAIT_OBJECT_0: {
        WSANETWORKEVENTS events = {};
        // Also resets the event for the next wait.
        if (WSAEnumNetworkEvents(socket_.get(), event_.get(), &events) != 0)
          throw SystemError(WSAGetLastError());
        return events;
      }
      case WAIT_OBJECT_0 + 1:
        throw SystemError(ERROR_CANCELLED);
      case WAIT_TIMEOUT:
        throw SystemError(WSAETIMEDOUT, kWhoisNoAnswer);
      default:
        ThrowLastError();
    }
  }

  static UniqueHandleNull NewEvent() {
    UniqueHandleNull event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event) ThrowLastError();
    return event;
  }

  HANDLE cancel_;
  UniqueHandleNull event_ = NewEvent();  // declared before the socket, so closed after it
  UniqueSocket socket_;
};

}  // namespace

std::wstring QueryWhois(std::wstring_view server, std::wstring_view query,
                        const WhoisTimeouts& timeouts, HANDLE cancel) {
  WinsockUse winsock;
  const AddressList addresses = Resolve(SplitServer(TrimBlanks(server)));
  // Each address in turn; the last failure stands for all of them.
  std::unique_ptr<Connection> connection;
  std::optional<SystemError> failure;
  for (const ADDRINFOW* address = addresses.get(); address && !connection;
       address = address->ai_next) {
    auto attempt = std::make_unique<Connection>(cancel);
    try {
      attempt->Connect(*address, timeouts.connectMs);
      connection = std::move(attempt);
    } catch (const SystemError& e) {
      if (e.code() == ERROR_CANCELLED) throw;
      failure = e;
    }
  }
  if (!connection) throw failure.value_or(SystemError(WSAHOST_NOT_FOUND));

  const ULONGLONG deadline = GetTickCount64() + timeouts.answerMs;
  connection->SendAll(Narrow(TrimBlanks(query), kWhoisCodePage) + "\r\n", deadline);
  return Widen(connection->ReceiveUntilClosed(deadline), kWhoisCodePage);
}

std::wstring WhoisCaption(std::wstring_view addressText) {
  return L"Whois IP - " + std::wstring(addressText);
}

}  // namespace kestro
