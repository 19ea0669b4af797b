// The file module on Windows: temporary files created exclusively with no
// sharing, so that a live writer's file cannot be taken from it; MoveFileExW
// for the atomic replacement (MinGW's rename() does not replace a file);
// LockFileEx on a lock file.
#include <windows.h>
// sddl.h needs the types of windows.h first.
#include <sddl.h>

#include <random>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/win32/win32_text.h"

namespace quilbert::platform::files {

namespace {

constexpr std::size_t kSuffixLength = 8;
const char kSuffixChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";

std::string randomSuffix() {
  static thread_local std::mt19937_64 engine{std::random_device{}()};
  std::string suffix;
  for (std::size_t i = 0; i < kSuffixLength; ++i)
    suffix += kSuffixChars[engine() % (sizeof kSuffixChars - 1)];
  return suffix;
}

std::string failure(const std::filesystem::path& path, const std::string& step, DWORD code) {
  return utf8FromPath(path) + ": " + step + ": " + win32::errorText(code);
}

class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  [[nodiscard]] HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
  void reset(HANDLE h = INVALID_HANDLE_VALUE) {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    h_ = h;
  }
  HANDLE release() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }

 private:
  HANDLE h_;
};

// A security descriptor that lets only the current user in; null (inherit
// the folder's) when it cannot be made.
class OwnerOnly {
 public:
  OwnerOnly() {
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) == FALSE) return;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    wchar_t* sid = nullptr;
    if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) != FALSE &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid) !=
            FALSE) {
      // Protected, full access for this user alone.
      const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
      ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                           &descriptor_, nullptr);
      LocalFree(sid);
    }
    CloseHandle(token);
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
  }
  ~OwnerOnly() {
    if (descriptor_ != nullptr) LocalFree(descriptor_);
  }
  OwnerOnly(const OwnerOnly&) = delete;
  OwnerOnly& operator=(const OwnerOnly&) = delete;
  SECURITY_ATTRIBUTES* get() { return descriptor_ != nullptr ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

bool isTemporaryOf(const std::wstring& name, const std::wstring& prefix) {
  if (name.size() != prefix.size() + kSuffixLength || name.compare(0, prefix.size(), prefix) != 0)
    return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    const wchar_t c = name[i];
    if (!((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9'))) return false;
  }
  return true;
}

// A live writer holds its temporary file open without sharing, so deleting
// it fails; what can be deleted was left by a writer that died.
void removeStaleTemporaries(const std::filesystem::path& target) {
  const std::wstring prefix = target.filename().wstring() + L".tmp-";
  const std::filesystem::path folder = target.parent_path();
  const std::wstring pattern = (folder / (prefix + L"*")).wstring();
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> names;
  do {
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
        isTemporaryOf(found.cFileName, prefix)) {
      names.emplace_back(found.cFileName);
    }
  } while (FindNextFileW(search, &found) != FALSE);
  FindClose(search);
  for (const auto& name : names) DeleteFileW((folder / name).c_str());
}

bool writeAll(HANDLE h, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1U << 20U));
    DWORD written = 0;
    if (WriteFile(h, bytes.data() + done, chunk, &written, nullptr) == FALSE || written == 0)
      return false;
    done += written;
  }
  return true;
}

// Another process reading the file at that instant (a scanner, an indexer,
// the other end of a shared file; Wine even with delete sharing) refuses the
// replacement for a moment: it is tried again for up to half a second.
bool moveInPlace(const std::filesystem::path& from, const std::filesystem::path& to, DWORD how) {
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(from.c_str(), to.c_str(), how) != FALSE) return true;
    const DWORD code = GetLastError();
    if ((code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) || attempt == 20) {
      return false;
    }
    Sleep(25);
  }
}

}  // namespace

std::string temporaryPrefix(const std::filesystem::path& path) {
  return utf8FromPath(path.filename()) + ".tmp-";
}

std::string replace(const std::filesystem::path& path, std::string_view bytes, bool ownerOnly,
                    bool durable) {
  if (path.empty()) return "cannot write a file without a name";
  removeStaleTemporaries(path);
  OwnerOnly security;
  // A cleaner in another process may delete a temporary file between its
  // closing and its move: then the write starts over.
  for (int round = 0; round < 3; ++round) {
    std::filesystem::path temp;
    Handle file;
    for (int attempt = 0; attempt < 50 && !file; ++attempt) {
      temp = path;
      temp += L".tmp-" + win32::widen(randomSuffix());
      // CREATE_NEW never opens what is there already, a planted link included.
      file.reset(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, ownerOnly ? security.get() : nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
        return failure(path, "cannot create a temporary file beside it", GetLastError());
      }
    }
    if (!file) return failure(path, "cannot create a temporary file beside it", ERROR_FILE_EXISTS);

    auto abandon = [&](const std::string& step) {
      const DWORD code = GetLastError();
      file.reset();
      DeleteFileW(temp.c_str());
      return failure(path, step, code);
    };
    if (!writeAll(file.get(), bytes)) return abandon("cannot write its content");
    if (durable && FlushFileBuffers(file.get()) == FALSE) {
      return abandon("cannot flush it to disk");
    }
    file.reset();
    const DWORD how = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0U);
    if (!moveInPlace(temp, path, how)) {
      if (GetLastError() == ERROR_FILE_NOT_FOUND) continue;
      return abandon("cannot put the new file in place");
    }
    return {};
  }
  return failure(path, "cannot put the new file in place", ERROR_FILE_NOT_FOUND);
}

std::string read(const std::filesystem::path& path, std::size_t limit, std::string& bytes,
                 bool* missing) {
  bytes.clear();
  if (missing != nullptr) *missing = false;
  Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD code = GetLastError();
    if (missing != nullptr) *missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
    return failure(path, "cannot open it", code);
  }
  char buffer[8192];
  for (;;) {
    DWORD got = 0;
    if (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) == FALSE)
      return failure(path, "cannot read it", GetLastError());
    if (got == 0) break;
    bytes.append(buffer, got);
    if (bytes.size() > limit) {
      bytes.clear();
      return utf8FromPath(path) + ": larger than " + std::to_string(limit) + " bytes, not read";
    }
  }
  return {};
}

std::string FileLock::acquire(const std::filesystem::path& path) {
  release();
  OwnerOnly security;
  // The link itself is opened, never what it leads to; it is refused below.
  Handle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, security.get(), OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return failure(path, "cannot open the lock file", GetLastError());
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(file.get(), &info) == FALSE ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return utf8FromPath(path) + ": the lock file is not a regular file";
  }
  OVERLAPPED from{};
  if (LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &from) == FALSE)
    return failure(path, "cannot lock", GetLastError());
  handle_ = reinterpret_cast<std::intptr_t>(file.release());
  return {};
}

void FileLock::release() {
  // Closing the handle releases the lock.
  if (handle_ != kNone) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kNone;
}

}  // namespace quilbert::platform::files
