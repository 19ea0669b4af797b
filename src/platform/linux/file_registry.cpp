#include "platform/linux/file_registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/linux/autostart.h"
#include "platform/linux/posix_file.h"
#include "platform/log.h"

namespace quilbert::platform {

namespace {

using posix::foldCase;
using posix::KeyTable;
using posix::StoredKey;
using posix::StoredValue;

const std::string kRunKey = R"(HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run)";
// Where a user who may not write the machine's key starts the program.
const std::string kUserRunKey =
    R"(HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Run)";
const std::string kShellFoldersKey =
    R"(HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)";
const std::string kRunValueName = "Quilbert";
const std::string kLocalSettingsName = "Local Settings";
// The folder "Local Settings" became, answered alike.
const std::string kLocalAppDataName = "Local AppData";

// A store larger than this is not a registry of ours; reading it whole would only hurt.
constexpr std::size_t kStoreLimit = 16U << 20U;

constexpr std::uint32_t kSetValueRight = 0x0002;
constexpr std::uint32_t kWriteRights = 0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000;
constexpr std::uint32_t kReadRights = 0x20019;
constexpr std::uint32_t kGenericRead = 0x80000000U;
constexpr std::uint32_t kGenericWrite = 0x40000000U;
constexpr std::uint32_t kGenericExecute = 0x20000000U;
constexpr std::uint32_t kGenericAll = 0x10000000U;
constexpr std::uint32_t kMaximumAllowed = 0x02000000U;

std::string defaultConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  // The XDG rules ignore a relative folder.
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  std::string home;
  if (const char* env = std::getenv("HOME"); env != nullptr && env[0] == '/') home = env;
  if (home.empty()) {
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_dir != nullptr) {
      home = entry->pw_dir;
    }
  }
  if (home.empty()) home = "/tmp";
  return home + "/.config";
}

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

void addWellKnownKeys(KeyTable& table) {
  table.create(kRunKey);
  table.create(kShellFoldersKey);
}

}  // namespace

FileRegistry::FileRegistry() : FileRegistry(defaultConfigHome()) {}

FileRegistry::FileRegistry(std::string configHome)
    : configHome_(configHome.empty() ? defaultConfigHome()
                                     : withoutTrailingSlashes(std::move(configHome))),
      storeFolder_(configHome_ + "/quilbert"),
      storePath_(storeFolder_ + "/registry"),
      autostartPath_(configHome_ + "/autostart/quilbert.desktop"),
      settingsFolder_(storeFolder_ + "/") {
  addWellKnownKeys(table_);
}

std::optional<FileRegistry::OpenKey> FileRegistry::lookup(RegKey key) const {
  if (key <= 0xFFFFFFFFU) {
    std::string root = posix::rootName(static_cast<std::uint32_t>(key));
    if (!root.empty()) return OpenKey{root, 0xF003F};
  }
  auto found = handles_.find(key);
  if (found == handles_.end()) return std::nullopt;
  return found->second;
}

void FileRegistry::report(const std::string& message) {
  if (message == lastReport_) return;  // once, not at every call that reads the same file
  lastReport_ = message;
  logLine(message);
}

void FileRegistry::refresh(bool force) {
  struct stat before {};
  if (::stat(storePath_.c_str(), &before) != 0) {
    int err = errno;
    table_ = KeyTable{};
    addWellKnownKeys(table_);
    loadedStamp_.reset();
    damaged_ = err != ENOENT;
    if (damaged_) {
      report("cannot read the registry store " + storePath_ + ": " + posix::systemError(err) +
             "; it reads as empty");
    }
    return;
  }
  auto sameFile = [](const FileStamp& a, const struct stat& b) {
    return a.device == b.st_dev && a.inode == b.st_ino && a.size == b.st_size &&
           a.modified.tv_sec == b.st_mtim.tv_sec && a.modified.tv_nsec == b.st_mtim.tv_nsec;
  };
  if (!force && loadedStamp_ && sameFile(*loadedStamp_, before)) return;

  std::string text;
  std::string error = posix::readWholeFile(storePath_, kStoreLimit, text);
  loadedStamp_.reset();
  if (!error.empty()) {
    table_ = KeyTable{};
    addWellKnownKeys(table_);
    damaged_ = true;
    report("cannot read the registry store " + error + "; it reads as empty, and the file will " +
           "be kept aside before the store is next changed");
    return;
  }
  posix::ParsedStore parsed = posix::parseStore(text);
  table_ = std::move(parsed.table);
  addWellKnownKeys(table_);
  damaged_ = !parsed.problems.empty();
  if (damaged_) {
    std::string list;
    for (std::size_t i = 0; i < parsed.problems.size() && i < 3; ++i) {
      list += (i > 0 ? "; " : "") + parsed.problems[i];
    }
    if (parsed.problems.size() > 3) {
      list += "; and " + std::to_string(parsed.problems.size() - 3) + " more";
    }
    report("the registry store " + storePath_ + " is damaged (" + list +
           "); the rest of it is used, and the file will be kept aside before the store is " +
           "next changed");
  } else {
    lastReport_.clear();
  }
  struct stat after {};
  // Only a file that did not change while it was read may be skipped next time.
  if (::stat(storePath_.c_str(), &after) == 0 &&
      sameFile(FileStamp{before.st_dev, before.st_ino, before.st_size, before.st_mtim}, after)) {
    loadedStamp_ = FileStamp{after.st_dev, after.st_ino, after.st_size, after.st_mtim};
  }
}

std::string FileRegistry::setAsideDamagedStore() {
  struct stat st {};
  if (::lstat(storePath_.c_str(), &st) != 0) {
    return errno == ENOENT ? std::string() : storePath_ + ": " + posix::systemError(errno);
  }
  for (int n = 0; n < 1000; ++n) {
    std::string candidate =
        storePath_ + ".bad" + (n == 0 ? std::string() : "." + std::to_string(n));
    if (::lstat(candidate.c_str(), &st) == 0) continue;
    if (::rename(storePath_.c_str(), candidate.c_str()) != 0) {
      return storePath_ + ": cannot keep it aside as " + candidate + ": " +
             posix::systemError(errno);
    }
    logLine("the unreadable registry store was kept as " + candidate);
    return {};
  }
  return storePath_ + ": too many damaged copies kept already";
}

int FileRegistry::commit(const std::function<int(KeyTable&)>& change,
                         const std::function<std::string(const KeyTable&)>& afterWrite) {
  auto failure = [this](const std::string& error) {
    report("cannot change the registry store: " + error);
    loadedStamp_.reset();
    return regerr::kCantWrite;
  };
  if (auto error = posix::makeFolders(storeFolder_, 0700); !error.empty()) return failure(error);
  // Another instance may be writing: read, change and write under one lock.
  posix::UniqueFd folder(::open(storeFolder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) return failure(storeFolder_ + ": " + posix::systemError(errno));
  while (::flock(folder.get(), LOCK_EX) != 0) {
    if (errno != EINTR)
      return failure(storeFolder_ + ": cannot lock: " + posix::systemError(errno));
  }
  refresh(true);
  KeyTable before = table_;
  KeyTable after = table_;
  if (int code = change(after); code != regerr::kOk) return code;
  if (damaged_) {
    if (auto error = setAsideDamagedStore(); !error.empty()) return failure(error);
  }
  if (auto error = posix::replaceFileAtomically(storePath_, posix::formatStore(after), true);
      !error.empty()) {
    return failure(error);
  }
  if (afterWrite) {
    if (auto error = afterWrite(after); !error.empty()) {
      // Undo, so that the value never claims what its side effect did not do.
      posix::replaceFileAtomically(storePath_, posix::formatStore(before), true);
      return failure(error);
    }
  }
  table_ = std::move(after);
  damaged_ = false;
  loadedStamp_.reset();
  return regerr::kOk;
}

std::string FileRegistry::runCommand(const KeyTable& table) {
  // The machine's value first, as both would start the program.
  for (const std::string* path : {&kRunKey, &kUserRunKey}) {
    const StoredKey* run = table.find(*path);
    const StoredValue* value = run != nullptr ? run->findValue(kRunValueName) : nullptr;
    std::string command;
    if (value != nullptr && value->type == kRegSz)
      command = value->data.substr(0, value->data.find('\0'));
    if (command.find_first_not_of(' ') != std::string::npos) return command;
  }
  return {};
}

std::string FileRegistry::reconcileAutostart() {
  // Under the store's lock, so that no other instance is between its two writes.
  posix::UniqueFd folder(::open(storeFolder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder) {
    while (::flock(folder.get(), LOCK_EX) != 0) {
      if (errno != EINTR) break;
    }
  }
  refresh(true);
  const std::string command = runCommand(table_);
  struct stat st {};
  const bool present = ::lstat(autostartPath_.c_str(), &st) == 0;
  std::string entry;
  const bool agree = command.empty()
                         ? !present
                         : posix::readWholeFile(autostartPath_, kStoreLimit, entry).empty() &&
                               entry == posix::autostartEntry(command);
  if (agree) return {};
  std::string error = syncAutostart(table_);
  if (!error.empty())
    report("cannot bring the autostart entry in step with the Run value: " + error);
  return error;
}

std::string FileRegistry::syncAutostart(const KeyTable& table) const {
  const std::string command = runCommand(table);
  if (!command.empty()) {
    if (auto error = posix::makeFolders(posix::parentFolder(autostartPath_), 0700);
        !error.empty()) {
      return error;
    }
    return posix::replaceFileAtomically(autostartPath_, posix::autostartEntry(command), false);
  }
  // No command to run (value deleted, empty, or not a string): no entry.
  if (::unlink(autostartPath_.c_str()) != 0 && errno != ENOENT) {
    return autostartPath_ + ": cannot remove it: " + posix::systemError(errno);
  }
  return {};
}

bool FileRegistry::isRunValue(const std::string& path, const std::string& name) const {
  return (foldCase(path) == foldCase(kRunKey) || foldCase(path) == foldCase(kUserRunKey)) &&
         foldCase(name) == foldCase(kRunValueName);
}

bool FileRegistry::isReadOnly(const std::string& path) const {
  std::string folded = foldCase(path);
  for (const auto& entry : readOnly_) {
    if (folded == entry || folded.compare(0, entry.size() + 1, entry + '\\') == 0) return true;
  }
  return false;
}

int FileRegistry::openKey(std::uint32_t root, const std::string& subKey, std::uint32_t access,
                          RegKey& key) {
  key = 0;
  auto base = lookup(root);
  if (!base) return regerr::kInvalidHandle;
  std::string path = posix::joinKeyPath(base->path, subKey);
  refresh(false);
  const StoredKey* stored = table_.find(path);
  if (stored == nullptr) return regerr::kFileNotFound;

  std::uint32_t rights = access & 0x00FFFFFFU;
  if ((access & kGenericRead) != 0 || (access & kGenericExecute) != 0) rights |= kReadRights;
  if ((access & kGenericWrite) != 0) rights |= 0x20006;
  if ((access & kGenericAll) != 0) rights |= 0xF003F;
  bool readOnly = isReadOnly(path);
  if ((access & kMaximumAllowed) != 0) rights |= readOnly ? kReadRights : 0xF003F;
  if ((rights & kWriteRights) != 0 && readOnly) return regerr::kAccessDenied;

  key = nextHandle_;
  nextHandle_ += 4;
  handles_[key] = OpenKey{stored->path, rights};
  return regerr::kOk;
}

int FileRegistry::queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                             std::string* data, std::uint32_t& size) {
  auto open = lookup(key);
  if (!open) return regerr::kInvalidHandle;
  if ((open->access & kKeyQueryValue) == 0) return regerr::kAccessDenied;
  refresh(false);
  const StoredKey* stored = table_.find(open->path);
  const StoredValue* value = stored != nullptr ? stored->findValue(name) : nullptr;
  StoredValue settings;
  if (value == nullptr && foldCase(open->path) == foldCase(kShellFoldersKey) &&
      (foldCase(name) == foldCase(kLocalSettingsName) ||
       foldCase(name) == foldCase(kLocalAppDataName))) {
    if (auto error = posix::makeFolders(storeFolder_, 0700); !error.empty()) {
      report("cannot create the settings folder: " + error);
    }
    settings = StoredValue{name, kRegSz, settingsFolder_ + '\0'};
    value = &settings;
  }
  if (value == nullptr) return regerr::kFileNotFound;
  return answerValue(value->type, value->data, type, data, size);
}

int FileRegistry::changeValue(RegKey key, const std::string& name,
                              const std::function<int(KeyTable&, const std::string&)>& change) {
  auto open = lookup(key);
  if (!open) return regerr::kInvalidHandle;
  if ((open->access & kSetValueRight) == 0) return regerr::kAccessDenied;
  // The Run value keeps the autostart entry in step with it.
  std::function<std::string(const KeyTable&)> afterWrite;
  if (isRunValue(open->path, name)) {
    afterWrite = [this](const KeyTable& t) { return syncAutostart(t); };
  }
  return commit([&](KeyTable& table) { return change(table, open->path); }, afterWrite);
}

int FileRegistry::setValue(RegKey key, const std::string& name, std::uint32_t type,
                           const std::string& data) {
  return changeValue(key, name, [&](KeyTable& table, const std::string& path) {
    table.create(path).setValue(name, type, data);
    return regerr::kOk;
  });
}

int FileRegistry::deleteValue(RegKey key, const std::string& name) {
  return changeValue(key, name, [&](KeyTable& table, const std::string& path) {
    StoredKey* stored = table.find(path);
    return stored != nullptr && stored->removeValue(name) ? regerr::kOk : regerr::kFileNotFound;
  });
}

int FileRegistry::closeKey(RegKey key) {
  if (key <= 0xFFFFFFFFU && !posix::rootName(static_cast<std::uint32_t>(key)).empty()) {
    return regerr::kOk;
  }
  return handles_.erase(key) > 0 ? regerr::kOk : regerr::kInvalidHandle;
}

int FileRegistry::createKey(std::uint32_t root, const std::string& subKey) {
  auto base = lookup(root);
  if (!base) return regerr::kInvalidHandle;
  std::string path = posix::joinKeyPath(base->path, subKey);
  if (isReadOnly(path)) return regerr::kAccessDenied;
  return commit([&](KeyTable& table) {
    table.create(path);
    return regerr::kOk;
  });
}

void FileRegistry::setReadOnly(std::uint32_t root, const std::string& subKey, bool readOnly) {
  std::string name = posix::rootName(root);
  if (name.empty()) return;
  std::string folded = foldCase(posix::joinKeyPath(name, subKey));
  std::erase(readOnly_, folded);
  if (readOnly) readOnly_.push_back(folded);
}

}  // namespace quilbert::platform
