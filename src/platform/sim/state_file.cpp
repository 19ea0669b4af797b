#include "platform/sim/state_file.h"

#include <algorithm>
#include <cstdio>

#include "platform/files.h"
#include "platform/log.h"
#include "platform/sim/names.h"
#include "platform/sim/toml.h"
#include "platform/utf8.h"

namespace quilbert::sim {
namespace {

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
  bool missing = false;
  // Far above any set of 26 connections: a larger file is not ours.
  constexpr std::size_t kLimit = 1U << 20U;
  if (!platform::files::read(path_, kLimit, loaded.text, &missing).empty()) {
    loaded.exists = !missing;
    loaded.readable = false;
  }
  return loaded;
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
    platform::logLine("the connection state file " + path_.string() +
                      " is corrupt; it is taken as holding no connection");
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
  std::filesystem::path lockPath = path_;
  lockPath += ".lock";
  platform::files::FileLock lock;
  if (auto error = lock.acquire(lockPath); !error.empty()) return error;
  Connections connections = decode(load());
  if (!apply(connections)) return {};
  std::string text = format(connections);
  // Owner-only: the file names the shares and users of the session. Not
  // flushed to disk: like a Windows logon session, the connections need to
  // outlive the process, not a power cut.
  std::string error = platform::files::replace(path_, text, true, false);
  // What the file holds is what reading it gives back (names it cannot hold
  // come back changed), so the cache takes the parsed text.
  if (auto parsed = parse(text); error.empty() && parsed) {
    cachedText_ = std::move(text);
    cached_ = std::move(*parsed);
    cacheValid_ = true;
  }
  return error;
}  // the lock is released here

}  // namespace quilbert::sim
