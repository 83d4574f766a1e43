#include "views/InterfaceViews.h"

#include <array>

#include "net/NetUtils.h"
#include "net/TableReader.h"
#include "views/ViewRows.h"
#include "win/Text.h"

namespace kestro {

namespace {

constexpr int kInterfaceImage = 1;

std::wstring Description(const MIB_IFROW& row) {
  return WidenField(reinterpret_cast<const char*>(row.bDescr), sizeof(row.bDescr));
}

RowTexts AdapterTexts(const MIB_IFROW& row) {
  return {Description(row),
          {row.dwPhysAddrLen != 0 ? MacAddressToStr(row.bPhysAddr) : std::wstring(),
           IntToStrThousands(row.dwSpeed), IntToStrThousands(row.dwIndex)}};
}

// The six statistics of the interface view: name, received and sent counter.
struct InterfaceCounter {
  const wchar_t* name;
  DWORD MIB_IFROW::*received;
  DWORD MIB_IFROW::*sent;  // null: the statistic has no sent total
};
constexpr std::array<InterfaceCounter, 6> kInterfaceCounters = {{
    {L"字节", &MIB_IFROW::dwInOctets, &MIB_IFROW::dwOutOctets},
    {L"Unicast Packets", &MIB_IFROW::dwInUcastPkts, &MIB_IFROW::dwOutUcastPkts},
    {L"Non-unicast Packets", &MIB_IFROW::dwInNUcastPkts, &MIB_IFROW::dwOutNUcastPkts},
    {L"Discards", &MIB_IFROW::dwInDiscards, &MIB_IFROW::dwOutDiscards},
    {L"错误", &MIB_IFROW::dwInErrors, &MIB_IFROW::dwOutErrors},
    {L"未知协议", &MIB_IFROW::dwInUnknownProtos, nullptr},
}};

}  // namespace

void UpdateNicView(ViewContext& context, bool rebuild) {
  if (rebuild)
    AddColumns(context.list, {{L"Name", 280, Align::kLeft},
                              {L"MAC Address", 120, Align::kLeft},
                              {L"Speed", 130, Align::kRight},
                              {L"Number", 100, Align::kRight}});
  TableBuffer buffer = context.tables.IfTable();
  auto [rows, count] = Rows<MIB_IFTABLE>(buffer);
  // A kept adapter keeps its texts until the view is rebuilt.
  RefreshTableRows<MIB_IFROW>(
      context, rebuild, rows, count, kInterfaceImage,
      [](const MIB_IFROW& row) { return KeyBytes(row.dwIndex); },
      [](size_t, MIB_IFROW&, const MIB_IFROW&) {}, AdapterTexts);
}

void UpdateInterfaceStatsView(ViewContext& context, bool rebuild) {
  ListModel& list = context.list;
  if (rebuild)
    AddColumns(list, {{L"Interface Description", 210, Align::kLeft},
                      {L"Received", 130, Align::kRight},
                      {L"Sent", 130, Align::kRight}});
  TableBuffer buffer = context.tables.IfTable();
  if (buffer.empty()) return;
  const MIB_IFTABLE* table = buffer.As<MIB_IFTABLE>();

  // 64-bit sums: the byte totals of several interfaces exceed 32 bits.
  std::array<uint64_t, kInterfaceCounters.size()> received{}, sent{};
  const int32_t selected = context.state.SelectedInterface;
  for (DWORD r = 0; r < table->dwNumEntries; ++r) {
    const MIB_IFROW& row = table->table[r];
    const bool chosen = selected == static_cast<int32_t>(row.dwIndex);
    if (selected != -1 && !chosen) continue;
    for (size_t c = 0; c < kInterfaceCounters.size(); ++c) {
      received[c] += row.*kInterfaceCounters[c].received;
      if (kInterfaceCounters[c].sent) sent[c] += row.*kInterfaceCounters[c].sent;
    }
    if (chosen) break;
  }

  for (size_t c = 0; c < kInterfaceCounters.size(); ++c) {
    const InterfaceCounter& counter = kInterfaceCounters[c];
    std::wstring in = IntToStrThousands(static_cast<int64_t>(received[c]));
    std::wstring out = counter.sent ? IntToStrThousands(static_cast<int64_t>(sent[c])) : L"";
    if (rebuild) {
      AppendRow(list, {counter.name, {std::move(in), std::move(out)}}, kInterfaceImage, nullptr);
    } else if (auto index = FindRow(list, counter.name)) {
      list.SetCell(*index, 0, std::move(in));
      if (counter.sent) list.SetCell(*index, 1, std::move(out));
    }
  }
}

std::vector<InterfaceChoice> InterfaceChoices(TableReader& tables, int32_t selectedInterface) {
  TableBuffer buffer = tables.IfTable();
  if (buffer.empty()) return {};
  const MIB_IFTABLE* table = buffer.As<MIB_IFTABLE>();
  std::vector<InterfaceChoice> choices;
  choices.push_back({L"所有", -1, selectedInterface == -1});
  for (DWORD r = 0; r < table->dwNumEntries; ++r) {
    const MIB_IFROW& row = table->table[r];
    const auto index = static_cast<int32_t>(row.dwIndex);
    choices.push_back(
        {Description(row), index, selectedInterface != -1 && selectedInterface == index});
  }
  return choices;
}

}  // namespace kestro
