#pragma once
// The connection view: one row per TCP endpoint (IPv4 and IPv6) and, when all
// endpoints are shown, per listening and UDP endpoint, brought in step with
// fresh endpoint tables in place at every refresh.

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "net/NameLookupThread.h"
#include "views/ListModel.h"
#include "views/ViewKinds.h"

namespace kestro {

class ProcessDetails;
class ConnectionRowIndex;

enum class ConnectionKind : uint8_t { kTcp4, kTcp6, kUdp4, kUdp6 };

// "TCPv4", "TCPv6", "UDPv4", "UDPv6": the protocol cell (cell 3).
const wchar_t* ProtocolText(ConnectionKind kind);
inline bool IsTcp(ConnectionKind kind) {
  return kind == ConnectionKind::kTcp4 || kind == ConnectionKind::kTcp6;
}

// Cells of a connection row (cell 0 is the second column).
enum ConnectionCell : size_t {
  kCellLocal = 0,
  kCellRemote = 1,
  kCellState = 2,
  kCellProtocol = 3,
  kCellCountry = 4,
  kCellPath = 5,
  kCellProduct = 6,
  kCellCompany = 7,
  kCellDescription = 8,
  kCellVersion = 9,
  kCellRemoteHost = 10,  // TCP rows only, in a hidden column
};

// The columns a rebuild creates: the caption column, cells 0 to 9 and the
// hidden remote host (cell 10).
struct ConnectionColumn {
  const wchar_t* caption;
  int width;
};
inline constexpr ConnectionColumn kConnectionColumns[] = {
    {L"进程", 120},     {L"本地地址", 150}, {L"远程地址", 150}, {L"状态", 87},
    {L"协议", 70},      {L"国家", 113},     {L"进程路径", 320}, {L"产品名称", 200},
    {L"公司名称", 200}, {L"文件说明", 200}, {L"文件版本", 70},  {L"", 0},
};

// The record of a connection row: the table row as the platform gave it and,
// for TCP rows, the state of the remote name lookup.
struct ConnectionRecord final : RowRecord {
  explicit ConnectionRecord(ConnectionKind k) : kind(k) {}

  ConnectionKind kind;
  union Endpoint {
    MIB_TCPROW_OWNER_PID tcp4;  // its first five fields are a MIB_TCPROW
    MIB_TCP6ROW_OWNER_PID tcp6;
    MIB_UDPROW_OWNER_PID udp4;
    MIB_UDP6ROW_OWNER_PID udp6;
  } endpoint{};
  NameLookupState lookup;      // TCP rows only
  uint32_t seenInRefresh = 0;  // the last refresh whose table had the row's key

  // The TCP state; 0 for UDP rows.
  DWORD State() const;
  // The owning process as the table gave it (0 when the platform named none).
  DWORD ProcessId() const;
};

// The options a refresh reads (the main window's commands and menu checks).
struct ConnectionOptions {
  bool allEndpoints = false;  // actAllEndpoints: listening and UDP endpoints too
  bool byName = false;        // actByName: names instead of numbers
  bool autoScroll = true;     // AutoScroll1
  bool balloon = false;       // BallonTipAllert1
  bool sound = false;         // EstablishedNotificationSound1
};

class ConnectionsView {
 public:
  // `list` is the list the view fills; lookups that finish later write into it.
  ConnectionsView(ListModel& list, ProcessDetails& processes, NameResolver& names,
                  std::function<ConnectionOptions()> options);
  ~ConnectionsView();

  // The country database the rows are looked up in (default: the installed one).
  void SetCountryDatabase(std::function<std::wstring()> path) {
    countryDatabase_ = std::move(path);
  }

  // UpdateConnectionsView: the view's update operation for the view switch.
  void Update(ViewContext& context, bool rebuild);

  ConnectionOptions Options() const { return options_(); }

 private:
  class Refresh;
  // A finished name lookup: store it in the row's record; show it when names are on.
  void NameLookupDone(RowId row, int resultCode, const std::wstring& name);

  ListModel& list_;
  ProcessDetails& processes_;
  NameResolver& names_;
  std::function<ConnectionOptions()> options_;
  std::function<std::wstring()> countryDatabase_;
  std::unique_ptr<ConnectionRowIndex> index_;
  uint32_t refreshSerial_ = 0;
  bool mayHoldHiddenRows_ = true;
};

}  // namespace kestro
