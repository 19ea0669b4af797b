// What Windows reads in the built quilbert.exe's manifest, through the
// system's own activation context: a misplaced element counts as missing.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

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
  EXPECT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                           sizeof level, nullptr));
  EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
  // Windows 7, 8, 8.1, and 10 with 11.
  alignas(ACTIVATION_CONTEXT_COMPATIBILITY_INFORMATION) unsigned char systems[1024] = {};
  EXPECT_TRUE(QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext,
                           systems, sizeof systems, nullptr));
  EXPECT_EQ(reinterpret_cast<ACTIVATION_CONTEXT_COMPATIBILITY_INFORMATION*>(systems)->ElementCount,
            4U);
  wchar_t awareness[64] = {};
  EXPECT_TRUE(QueryActCtxSettingsW(0, context,
                                   L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                   L"dpiAwareness", awareness, 64, nullptr));
  EXPECT_STREQ(awareness, L"PerMonitorV2, PerMonitor");
  ReleaseActCtx(context);
}
