#include "platform/sim/state_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "platform/sim/names.h"
#include "platform/sim/toml.h"
#include "platform/utf8.h"

namespace quilbert::sim {
namespace {

std::string systemError(const std::string& what, const std::filesystem::path& p) {
  return what + " " + p.string() + ": " + std::strerror(errno);
}

// A descriptor closed on scope exit.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int get() const { return fd_; }

 private:
  int fd_;
};

// Valid UTF-8 stays; any other byte becomes "?", so that the file always parses.
std::string utf8(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t start = i;
    if (utf8::decode(s, i)) {
      out.append(s, start, i - start);
    } else {
      out += '?';
      ++i;
    }
  }
  return out;
}

// A TOML string: literal ('...') when it can be, so that UNC paths read as typed.
std::string tomlString(const std::string& raw) {
  const std::string s = utf8(raw);
  bool literal = std::none_of(s.begin(), s.end(), [](char c) {
    return c == '\'' || (static_cast<unsigned char>(c) < 0x20) || c == 0x7F;
  });
  if (literal) return "'" + s + "'";
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::optional<Connection> connectionOf(std::string_view key, const toml::node& value) {
  if (key.size() != 1 || !isLetter(key[0])) return std::nullopt;
  Connection c;
  c.letter = upper(key[0]);
  if (value.is_string()) {
    c.remote = value.as_string()->get();
  } else if (const toml::table* t = value.as_table()) {
    const toml::node* remote = t->get("remote");
    const toml::node* user = t->get("user");
    if (remote == nullptr || !remote->is_string()) return std::nullopt;
    if (user != nullptr && !user->is_string()) return std::nullopt;
    if (t->size() != 1U + (user != nullptr ? 1U : 0U)) return std::nullopt;
    c.remote = remote->as_string()->get();
    if (user != nullptr) c.user = user->as_string()->get();
  } else {
    return std::nullopt;
  }
  if (c.remote.size() < 3 || c.remote[0] != '\\' || c.remote[1] != '\\') return std::nullopt;
  return c;
}

std::string writeAtomically(const std::filesystem::path& path, const std::string& bytes) {
  const std::filesystem::path temp = path.string() + ".tmp";
  std::string error;
  {
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (fd.get() < 0) return systemError("cannot create", temp);
    std::size_t done = 0;
    while (done < bytes.size() && error.empty()) {
      ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno != EINTR) error = systemError("cannot write", temp);
      if (n > 0) done += static_cast<std::size_t>(n);
    }
    // No fsync: like a Windows logon session, the connections need to outlive
    // the process, not a power cut; the rename alone keeps the file whole.
  }
  if (error.empty() && ::rename(temp.c_str(), path.c_str()) != 0) {
    error = systemError("cannot replace", path);
  }
  if (!error.empty()) ::unlink(temp.c_str());
  return error;
}

}  // namespace

StateFile::StateFile(std::filesystem::path path) : path_(std::move(path)) {}

std::string StateFile::format(const Connections& connections) {
  std::string out =
      "# Connections of the simulated logon session, kept by Quilbert. A letter\n"
      "# connected outside the program is one more line like those below.\n"
      "[connections]\n";
  for (const Connection& c : connections) {
    out += std::string(1, c.letter) + " = { remote = " + tomlString(c.remote);
    if (!c.user.empty()) out += ", user = " + tomlString(c.user);
    out += " }\n";
  }
  return out;
}

std::optional<Connections> StateFile::parse(const std::string& text) {
  toml::table doc;
  try {
    doc = parseToml(text, {});
  } catch (const TomlError&) {
    return std::nullopt;
  }
  Connections out;
  for (auto&& [key, value] : doc) {
    if (key.str() != "connections" || !value.is_table()) return std::nullopt;
    for (auto&& [letter, entry] : *value.as_table()) {
      auto c = connectionOf(letter.str(), entry);
      if (!c) return std::nullopt;
      auto same = [&](const Connection& o) { return o.letter == c->letter; };
      if (std::any_of(out.begin(), out.end(), same)) return std::nullopt;
      out.push_back(std::move(*c));
    }
  }
  std::sort(out.begin(), out.end(), [](auto& a, auto& b) { return a.letter < b.letter; });
  return out;
}

StateFile::Loaded StateFile::load() const {
  Loaded loaded;
  Fd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    loaded.exists = errno != ENOENT;
    loaded.readable = false;
    return loaded;
  }
  char buf[4096];
  for (;;) {
    ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      loaded.readable = n == 0;
      return loaded;
    }
    loaded.text.append(buf, static_cast<std::size_t>(n));
  }
}

Connections StateFile::decode(const Loaded& loaded) {
  if (!loaded.exists) return {};
  if (loaded.readable) {
    if (cacheValid_ && loaded.text == cachedText_) return cached_;
    if (auto parsed = parse(loaded.text)) {
      warned_ = false;
      cachedText_ = loaded.text;
      cached_ = *parsed;
      cacheValid_ = true;
      return std::move(*parsed);
    }
  }
  if (!warned_) {
    std::cerr << "quilbert: the connection state file " << path_.string()
              << " is corrupt; it is taken as holding no connection\n";
    warned_ = true;
  }
  return {};
}

Connections StateFile::read() {
  return path_.empty() ? memory_ : decode(load());
}

std::string StateFile::update(const std::function<bool(Connections&)>& change) {
  auto apply = [&](Connections& connections) {
    if (!change(connections)) return false;
    std::sort(connections.begin(), connections.end(),
              [](auto& a, auto& b) { return a.letter < b.letter; });
    return true;
  };
  if (path_.empty()) {
    apply(memory_);
    return {};
  }
  const std::filesystem::path lockPath = path_.string() + ".lock";
  Fd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (lock.get() < 0) return systemError("cannot create", lockPath);
  while (::flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return systemError("cannot lock", lockPath);
  }
  Connections connections = decode(load());
  if (!apply(connections)) return {};
  std::string text = format(connections);
  std::string error = writeAtomically(path_, text);
  // What the file holds is what reading it gives back (names it cannot hold
  // come back changed), so the cache takes the parsed text.
  if (auto parsed = parse(text); error.empty() && parsed) {
    cachedText_ = std::move(text);
    cached_ = std::move(*parsed);
    cacheValid_ = true;
  }
  return error;
}  // closing the lock descriptor releases the lock

}  // namespace quilbert::sim
