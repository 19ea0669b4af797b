// The registry for Linux: keys and values kept in a text file under the
// user's configuration folder, answering with the advapi32 result codes.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/registry_store.h"
#include "platform/registry.h"

namespace quilbert::platform {

namespace regerr {
// The store file could not be written (ERROR_CANTWRITE).
inline constexpr int kCantWrite = 1013;
}  // namespace regerr

// Files, below the configuration folder C ($XDG_CONFIG_HOME, else ~/.config):
//   C/quilbert/registry             the store (0600, replaced atomically)
//   C/autostart/quilbert.desktop    present while a Run value (the machine's or the
//                                   user's) holds a command
// The Run key and the Shell Folders key always exist, as on Windows. When the
// store has no "Local Settings" or "Local AppData" value, C/quilbert/ is
// answered (and created), so the configuration never lands beside the program.
// Every call sees changes made by other instances; writes are serialised
// with a lock on the store's folder.
class FileRegistry : public Registry {
 public:
  FileRegistry();
  // The same layout under another configuration folder (empty: the default).
  explicit FileRegistry(std::string configHome);

  int openKey(std::uint32_t root, const std::string& subKey, std::uint32_t access,
              RegKey& key) override;
  int queryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                 std::uint32_t& size) override;
  int setValue(RegKey key, const std::string& name, std::uint32_t type,
               const std::string& data) override;
  int deleteValue(RegKey key, const std::string& name) override;
  int closeKey(RegKey key) override;

  // Makes the autostart entry agree with the Run value, which is the truth:
  // the two are written one after the other, so a process killed between
  // them leaves them apart. Called once at start; writes only when they
  // differ. Empty, or what could not be done (also reported on stderr).
  std::string reconcileAutostart();
  int createKey(std::uint32_t root, const std::string& subKey) override;
  // Fault switch: opening this key, or one below it, with any write access
  // answers 5, as for a user without write access. Not stored.
  void setReadOnly(std::uint32_t root, const std::string& subKey, bool readOnly = true);

  [[nodiscard]] const std::string& storePath() const { return storePath_; }
  [[nodiscard]] const std::string& autostartPath() const { return autostartPath_; }
  [[nodiscard]] const std::string& settingsFolder() const { return settingsFolder_; }

 private:
  struct OpenKey {
    std::string path;  // full path, root name first
    std::uint32_t access = 0;
  };
  struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
  };

  [[nodiscard]] std::optional<OpenKey> lookup(RegKey key) const;
  void refresh(bool force);
  void report(const std::string& message);
  int commit(const std::function<int(posix::KeyTable&)>& change,
             const std::function<std::string(const posix::KeyTable&)>& afterWrite = {});
  // Set or delete one value of an open key, with the access check and the
  // autostart entry's follow-up.
  int changeValue(RegKey key, const std::string& name,
                  const std::function<int(posix::KeyTable&, const std::string&)>& change);
  std::string setAsideDamagedStore();
  [[nodiscard]] std::string syncAutostart(const posix::KeyTable& table) const;
  // The command the Run values hold (the machine's, else the user's), or ""
  // when they hold none to run.
  [[nodiscard]] static std::string runCommand(const posix::KeyTable& table);
  [[nodiscard]] bool isRunValue(const std::string& path, const std::string& name) const;
  [[nodiscard]] bool isReadOnly(const std::string& path) const;

  std::string configHome_;
  std::string storeFolder_;
  std::string storePath_;
  std::string autostartPath_;
  std::string settingsFolder_;

  posix::KeyTable table_;
  std::optional<FileStamp> loadedStamp_;
  bool damaged_ = false;  // the file holds what could not be read: keep a copy before replacing it
  std::string lastReport_;

  std::map<RegKey, OpenKey> handles_;
  RegKey nextHandle_ = 0x100;
  std::vector<std::string> readOnly_;  // folded full paths
};

}  // namespace quilbert::platform
