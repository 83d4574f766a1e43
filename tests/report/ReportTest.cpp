// The report's bytes for every view, compared with expected files made
// independently (Python's GBK codec and printf-style padding on bytes).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "report/Report.h"
#include "views/ListModel.h"
#include "views/ViewKinds.h"
#include "win/Handle.h"
#include "win/SystemError.h"

namespace kestro {
namespace {

using Texts = std::vector<std::wstring>;

struct ViewCase {
  uint8_t tag;
  Texts captions;
  std::vector<Texts> rows;  // caption, then the cells
};

const std::vector<ViewCase>& Cases() {
  static const std::vector<ViewCase> kCases = {
      {0,
       {L"Name", L"MAC Address", L"Speed", L"Number"},
       {{L"Loopback", L"", L"10,000,000", L"1"},
        {L"Realtek PCIe GbE Family Controller", L"00-1A-2B-3C-4D-5E", L"1,000,000,000", L"11"},
        {L"WAN Miniport (Network Monitor) with a description that is far longer than its field "
         L"of eighty",
         L"", L"0", L"1,234"}}},
      {1,
       {L"协议", L"IP Address", L"MAC Address", L"状态", L"Interface"},
       {{L"IPv4", L"192.168.1.1", L"AA-BB-CC-00-11-03", L"Reachable", L"3"},
        {L"IPv6", L"fe80::1", L"", L"Stale", L"3"}}},
      {2,
       {L"协议", L"IP Address", L"Netmask", L"Interface"},
       {{L"IPv4", L"127.0.0.1", L"255.0.0.0", L"1"}, {L"IPv6", L"fe80::1%11", L"", L"11"}}},
      {3,
       {L"协议", L"Network Destination", L"Netmask", L"Gateway", L"Interface", L"Metric"},
       {{L"IPv4", L"0.0.0.0", L"0.0.0.0", L"192.168.1.1", L"192.168.1.10", L"15"},
        {L"IPv6", L"::/0", L"", L"On-link", L"2", L"6"}}},
      {4,
       {L"进程", L"本地地址", L"远程地址", L"状态", L"协议", L"国家", L"进程路径", L"产品名称",
        L"公司名称", L"文件说明", L"文件版本", L""},
       {{L"svchost.exe", L"0.0.0.0:135", L"0.0.0.0:0", L"监听", L"TCPv4", L"",
         L"C:\\windows\\system32\\svchost.exe", L"Wine", L"Wine", L"", L"8.0", L""},
        {L"services.exe", L"127.0.0.1:49152", L"localhost:443", L"建立", L"TCPv4", L"本地主机", L"",
         L"", L"", L"", L"", L""}}},
      {5,
       {L"Interface Description", L"Received", L"Sent"},
       {{L"字节", L"4,000,001,000", L"4,000,001,002"},
        {L"Unicast Packets", L"12", L"13"},
        {L"Non-unicast Packets", L"0", L"0"},
        {L"Discards", L"0", L"0"},
        {L"错误", L"1", L"2"},
        {L"未知协议", L"0", L""}}},
      {6,
       {L"协议", L"IP Description", L"Value"},
       {{L"IPv4", L"Packets Received", L"1,234,567"},
        {L"IPv4", L"Datagrams Successfully Fragmented", L"0"},
        {L"IPv6", L"接收的头错误", L"6"}}},
      {7,
       {L"协议", L"ICMP Description", L"Received", L"Sent"},
       {{L"ICMPv4", L"Messages", L"5,000", L"20"},
        {L"ICMPv4", L"地址掩码回复", L"0", L"0"},
        {L"ICMPv6", L"Router Renumberings", L"138", L"0"}}},
      {8,
       {L"协议", L"TCP Description", L"Value"},
       {{L"TCPv4", L"活动打开", L"1"}, {L"TCPv6", L"Segments Retransmitted", L"3"}}},
      {9,
       {L"协议", L"UDP Description", L"Value"},
       {{L"UDPv4", L"Datagrams Received", L"100"}, {L"UDPv6", L"接收错误", L"0"}}},
  };
  return kCases;
}

void Fill(ListModel& list, const ViewCase& c) {
  for (const std::wstring& caption : c.captions) list.AddColumn({caption, 100, Align::kLeft});
  for (const Texts& texts : c.rows) {
    ListRow& row = list.AppendRow();
    row.caption = texts[0];
    row.cells.assign(texts.begin() + 1, texts.end());
  }
}

class FixedClock : public ReportClock {
 public:
  std::wstring LocalDateTimeText() override { return L"2026/12/10 14:05:09"; }
};

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Expected(uint8_t tag) {
  std::wstring dir = L"" KESTRO_REPORT_EXPECTED;
  return ReadFile(dir + L"/view" + std::to_wstring(tag) + L".txt");
}

constexpr wchar_t kStatus[] = L" 建立：12";

TEST(Report, EveryViewMatchesItsExpectedFile) {
  FixedClock clock;
  for (const ViewCase& c : Cases()) {
    SCOPED_TRACE(testing::Message() << "view " << int(c.tag));
    ListModel list;
    Fill(list, c);
    const std::string expected = Expected(c.tag);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(FormatReport({list, c.tag, kStatus}, clock), expected);

    // Without rows: the stamp, the header and the separator, nothing more.
    list.DeleteAllRows();
    size_t end = expected.find("\r\n=");
    end = expected.find("\r\n", end + 2) + 2;
    EXPECT_EQ(FormatReport({list, c.tag, kStatus}, clock), expected.substr(0, end));
  }
}

TEST(Report, StampBeforeTheFirstTickHasAnEmptyStatus) {
  FixedClock clock;
  ListModel list;
  const std::string block = FormatReport({list, kViewTcp, L""}, clock);
  EXPECT_EQ(block.substr(0, block.find("\r\n", 2) + 4),
            "\r\n***  (2026/12/10 14:05:09) ***\r\n\r\n");
}

class ReportFile : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    path_ =
        std::wstring(dir) + L"kestro-report-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(path_.c_str());
    Fill(list_, Cases()[kViewTcp]);
  }
  void TearDown() override { DeleteFileW(path_.c_str()); }
  void Write(bool append, const std::wstring& path) {
    WriteReport(path, append, {list_, kViewTcp, kStatus}, clock_);
  }
  std::wstring ErrorOf(bool append, const std::wstring& path) {
    try {
      Write(append, path);
    } catch (const SystemError& e) {
      return e.message();
    }
    return L"(no error)";
  }

  std::wstring path_;
  ListModel list_;
  FixedClock clock_;
};

TEST_F(ReportFile, AppendAddsBlocksAndReplaceStartsOver) {
  const std::string block = Expected(kViewTcp);
  Write(true, path_);  // appending to a file that is not there creates it
  EXPECT_EQ(ReadFile(path_), block);
  Write(true, path_);
  EXPECT_EQ(ReadFile(path_), block + block);
  Write(false, path_);
  EXPECT_EQ(ReadFile(path_), block);
}

TEST_F(ReportFile, UnwritablePathsGiveTheirMessageAndLoseNothing) {
  Write(false, path_);
  const std::string before = ReadFile(path_);
  {
    // Another program holds the file open without sharing it.
    UniqueFileHandle holder(CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    for (bool append : {true, false})
      EXPECT_EQ(ErrorOf(append, path_), L"I/O错误32") << append;  // sharing violation
  }
  EXPECT_EQ(ReadFile(path_), before);
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  EXPECT_EQ(ErrorOf(false, std::wstring(dir) + L"no-such-folder\\report.txt"), L"Invalid filename");
  // A folder cannot be written as a file.
  EXPECT_EQ(ErrorOf(false, dir), L"File access denied");
}

TEST(Report, IoErrorTexts) {
  const std::pair<DWORD, const wchar_t*> cases[] = {
      {2, L"File not found"},     {3, L"Invalid filename"}, {4, L"Too many open files"},
      {5, L"File access denied"}, {101, L"Disk full"},      {32, L"I/O错误32"},
      {112, L"I/O错误112"}};
  for (const auto& [code, text] : cases) EXPECT_EQ(IoErrorMessage(code), text) << code;
}

TEST(Report, SaveAsNamesTheFileTxt) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"report.csv", L"report.txt"},
      {L"report", L"report.txt"},
      {L"C:\\my.dir\\report.log", L"C:\\my.dir\\report.txt"},
      {L"C:\\my.dir\\report", L"C:\\my.dir\\report.txt"},
      {L"REPORT.TXT", L"REPORT.TXT"},
      {L"C:\\out\\a.b.Txt", L"C:\\out\\a.b.Txt"},
      {L"C:\\out\\a.b.c", L"C:\\out\\a.b.txt"},
  };
  for (const auto& [chosen, name] : cases) EXPECT_EQ(ReportFileName(chosen), name);
}

}  // namespace
}  // namespace kestro
