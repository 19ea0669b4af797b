// What Windows reads in the built quilbert.exe's manifest, read through the
// system's own activation context so that a misplaced element counts as missing.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <filesystem>
#include <set>
#include <string>

namespace quilbert {
namespace {

TEST(ProgramManifest, AStandardUsersProgramForWindows7To11AwareOfEachMonitorsDpi) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring exe = (std::filesystem::path(self).parent_path() / "quilbert.exe").wstring();
  ACTCTXW request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = exe.c_str();
  request.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE context = CreateActCtxW(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE);

  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
  ASSERT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                           sizeof level, nullptr));
  EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);

  alignas(ACTIVATION_CONTEXT_COMPATIBILITY_INFORMATION) unsigned char buffer[1024] = {};
  ASSERT_TRUE(QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, buffer,
                           sizeof buffer, nullptr));
  const auto* compatibility =
      reinterpret_cast<const ACTIVATION_CONTEXT_COMPATIBILITY_INFORMATION*>(buffer);
  std::set<std::wstring> systems;
  for (DWORD i = 0; i < compatibility->ElementCount; ++i) {
    const GUID& g = compatibility->Elements[i].Id;
    wchar_t id[40] = {};
    swprintf(id, 40, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
             g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
             g.Data4[6], g.Data4[7]);
    systems.insert(id);
  }
  EXPECT_EQ(systems, (std::set<std::wstring>{L"{35138B9A-5D96-4FBD-8E2D-A2440225F93A}",
                                             L"{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}",
                                             L"{1F676C76-80E1-4239-95BB-83D0F6D0DA78}",
                                             L"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}"}));

  wchar_t awareness[64] = {};
  SIZE_T written = 0;
  ASSERT_TRUE(QueryActCtxSettingsW(0, context,
                                   L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                   L"dpiAwareness", awareness, 64, &written));
  EXPECT_EQ(std::wstring(awareness), L"PerMonitorV2, PerMonitor");
  ReleaseActCtx(context);
}

}  // namespace
}  // namespace quilbert
