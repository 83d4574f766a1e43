// The one version of the product, as the installed programs carry it: both
// files give the same version and build, and the About window's text for the
// viewer is made from them.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "KestroVersion.h"
#include "process/ProcessInfo.h"
#include "ui/windows/AboutDialog.h"
#include "win/SpecialFolder.h"

namespace kestro::test {
namespace {

TEST(ProductVersion, BothInstalledProgramsAndTheAboutTextShowTheOneVersionAndBuild) {
  const std::wstring folder = GetSpecialFolder(CSIDL_PROGRAM_FILES) + L"\\Kestro\\";
  SystemProcessDetails details;
  for (const wchar_t* program : {L"kestro.exe", L"MirovanUpload.exe"}) {
    SCOPED_TRACE(testing::Message() << program);
    const std::wstring path = folder + program;
    EXPECT_EQ(ui::AboutVersionText(path),
              L"版本：" KESTRO_VERSION_TEXT L" (创建 " KESTRO_BUILD_TEXT L")");
    const FileVersionInfo texts = details.ReadFileVersionInfo(path);
    EXPECT_EQ(texts.FileVersion, L"" KESTRO_FILE_VERSION_TEXT);
    EXPECT_EQ(texts.ProductName, L"Kestro");
    EXPECT_EQ(texts.CompanyName, L"Corvanet");
  }
}

}  // namespace
}  // namespace kestro::test
