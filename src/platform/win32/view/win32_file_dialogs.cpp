// The shell's dialogs: the network folder browser and the file chooser.
// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>
// clang-format on

#include "platform/win32/view/win32_form_view.h"
#include "platform/win32/view/win32_toolkit.h"
#include "platform/win32/win32_text.h"

namespace quilbert::win32view {

using platform::win32::fromAnsi;
using platform::win32::widen;

using forms::Form;

namespace {

struct BrowseContext {
  const forms::FolderBrowseRequest* request;
};

// The folder browser's own controls: the tree, the instruction, the status.
constexpr int kBrowserTree = 0x3741;
constexpr int kBrowserTitle = 0x3742;
constexpr int kBrowserStatus = 0x3743;

// The browser gives its instruction and its status a box of a fixed height
// that a longer text (a French one) overflows: each gets the height its text
// needs at its width, the status below the instruction, the tree below both.
void fitBrowserTexts(HWND dialog) {
  HWND title = GetDlgItem(dialog, kBrowserTitle);
  HWND status = GetDlgItem(dialog, kBrowserStatus);
  HWND tree = GetDlgItem(dialog, kBrowserTree);
  if (title == nullptr || tree == nullptr) return;
  auto placeOf = [dialog](HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  // Height of the text at the box's width, one line at least.
  auto needs = [](HWND w, int width) {
    std::wstring text = windowText(w);
    if (text.empty()) text = L" ";
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    return static_cast<int>(r.bottom);
  };
  const RECT t = placeOf(title);
  const RECT below = placeOf(tree);
  int y = t.top + needs(title, t.right - t.left);
  MoveWindow(title, t.left, t.top, t.right - t.left, y - t.top, TRUE);
  // The dialog itself is not shown yet when it is initialised: the status's own style says.
  if (status != nullptr && (GetWindowLongPtrW(status, GWL_STYLE) & WS_VISIBLE) != 0) {
    const RECT s = placeOf(status);
    const int h = needs(status, s.right - s.left);
    MoveWindow(status, s.left, y + 2, s.right - s.left, h, TRUE);
    y += 2 + h;
  }
  y += 4;
  if (y != below.top && y < below.bottom) {
    MoveWindow(tree, below.left, y, below.right - below.left, below.bottom - y, TRUE);
  }
}

class BrowserHandle : public forms::FolderBrowserHandle {
 public:
  explicit BrowserHandle(HWND dialog) : dialog_(dialog) {}
  void setStatusText(const std::string& text) override {
    const std::string ansi = platform::win32::toAnsiShown(text);
    SendMessageA(dialog_, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
    fitBrowserTexts(dialog_);
  }
  void enableOk(bool enable) override { SendMessageA(dialog_, BFFM_ENABLEOK, 0, enable ? 1 : 0); }

 private:
  HWND dialog_;
};

// The browser's own texts in the program's language, not the system's.
void setBrowserTexts(HWND dialog, const forms::FolderBrowseRequest& request) {
  if (!request.title.empty()) SetWindowTextW(dialog, widen(request.title).c_str());
  if (!request.okCaption.empty()) SetDlgItemTextW(dialog, IDOK, widen(request.okCaption).c_str());
  if (!request.cancelCaption.empty()) {
    SetDlgItemTextW(dialog, IDCANCEL, widen(request.cancelCaption).c_str());
  }
}

int CALLBACK browseCallback(HWND dialog, UINT msg, LPARAM lp, LPARAM data) {
  const auto* ctx = reinterpret_cast<const BrowseContext*>(data);
  if (ctx == nullptr) return 0;
  if (msg == BFFM_INITIALIZED) setBrowserTexts(dialog, *ctx->request);
  if (!ctx->request->onSelectionChanged) return 0;
  BrowserHandle handle(dialog);
  if (msg == BFFM_INITIALIZED) {
    ctx->request->onSelectionChanged(handle, std::nullopt);
    fitBrowserTexts(dialog);
  } else if (msg == BFFM_SELCHANGED) {
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(lp), path) != FALSE) {
      ctx->request->onSelectionChanged(handle, fromAnsi(path));
    } else {
      ctx->request->onSelectionChanged(handle, std::nullopt);
    }
  }
  return 0;
}

}  // namespace

std::optional<std::string> Win32Toolkit::chooseFile(Form& owner, const std::string& title,
                                                    bool save, const std::string& suggested) {
  std::wstring file = platform::win32::widen(save ? suggested : "");
  file.resize(32768);  // the longest path Windows takes
  const std::wstring caption = platform::win32::widen(title);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = windowOf(owner);
  ofn.lpstrFilter = L"XML (*.xml)\0*.xml\0\0";
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = caption.c_str();
  ofn.lpstrDefExt = L"xml";
  ofn.Flags = OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (chosen == FALSE) return std::nullopt;
  return platform::win32::narrow(file.c_str());
}

std::optional<std::string> Win32Toolkit::browseForFolder(
    Form& owner, const forms::FolderBrowseRequest& request) {
  HWND window = windowOf(owner);
  // COM only while the browser runs: the start of the program does without it.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  PIDLIST_ABSOLUTE root = nullptr;
  // Rooted at the network neighbourhood: only network places can be reached.
  SHGetSpecialFolderLocation(window, CSIDL_NETWORK, &root);
  const std::string title = platform::win32::toAnsiShown(request.instruction);
  BrowseContext ctx{&request};
  BROWSEINFOA bi{};
  bi.hwndOwner = window;
  bi.pidlRoot = root;
  bi.lpszTitle = title.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS | (request.showStatusText ? BIF_STATUSTEXT : 0U);
  bi.lpfn = browseCallback;
  bi.lParam = reinterpret_cast<LPARAM>(&ctx);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&bi);
  std::optional<std::string> result;
  if (chosen != nullptr) {
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(chosen, path) != FALSE) result = fromAnsi(path);
    CoTaskMemFree(chosen);
  }
  if (root != nullptr) CoTaskMemFree(root);
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

}  // namespace quilbert::win32view
