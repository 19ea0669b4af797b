// Reading a network description from TOML. The format is documented in
// docs/sim-network.md; every refusal is one DescriptionError "file:line: what".
#include "platform/sim/description.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "platform/paths.h"
#include "platform/sim/names.h"
#include "platform/sim/toml.h"

namespace quilbert::sim {
namespace {

constexpr std::int64_t kMaxGeneratedShares = 2'000'000;

class Reader {
 public:
  explicit Reader(std::string fileName) : fileName_(std::move(fileName)) {}

  [[noreturn]] void fail(const toml::node& at, const std::string& what) const {
    fail(lineOf(at), what);
  }
  [[noreturn]] void fail(int line, const std::string& what) const {
    throw DescriptionError(fileName_ + ":" + std::to_string(line) + ": " + what);
  }
  static int lineOf(const toml::node& n) { return static_cast<int>(n.source().begin.line); }

  // Refuses the first key (in file order) that is not in `allowed`.
  void checkKeys(const toml::table& t, std::initializer_list<std::string_view> allowed,
                 const std::string& what) const {
    const toml::key* worst = nullptr;
    for (auto&& [key, value] : t) {
      if (std::find(allowed.begin(), allowed.end(), key.str()) != allowed.end()) continue;
      if (worst == nullptr || key.source().begin.line < worst->source().begin.line) worst = &key;
    }
    if (worst != nullptr) {
      fail(static_cast<int>(worst->source().begin.line),
           "unknown key \"" + std::string(worst->str()) + "\" in " + what);
    }
  }

  [[nodiscard]] std::string string(const toml::table& t, std::string_view key,
                                   const std::string& what, bool required = false) const {
    const toml::node* n = t.get(key);
    if (n == nullptr) {
      if (required) fail(t, what + " has no \"" + std::string(key) + "\"");
      return {};
    }
    if (!n->is_string()) fail(*n, "\"" + std::string(key) + "\" of " + what + " must be a string");
    return n->as_string()->get();
  }

  [[nodiscard]] bool boolean(const toml::table& t, std::string_view key, const std::string& what,
                             bool otherwise) const {
    const toml::node* n = t.get(key);
    if (n == nullptr) return otherwise;
    if (!n->is_boolean()) {
      fail(*n, "\"" + std::string(key) + "\" of " + what + " must be true or false");
    }
    return n->as_boolean()->get();
  }

  [[nodiscard]] std::int64_t integer(const toml::table& t, std::string_view key,
                                     const std::string& what, std::int64_t low, std::int64_t high,
                                     std::int64_t otherwise = 0) const {
    const toml::node* n = t.get(key);
    if (n == nullptr) return otherwise;
    const std::string bounds = std::to_string(low) + " to " + std::to_string(high);
    if (!n->is_integer()) {
      fail(*n, "\"" + std::string(key) + "\" of " + what + " must be a whole number, " + bounds);
    }
    std::int64_t v = n->as_integer()->get();
    if (v < low || v > high) {
      fail(*n, "\"" + std::string(key) + "\" of " + what + " must be " + bounds);
    }
    return v;
  }

  // The tables of an array of tables ([[name]]); none when the key is absent.
  [[nodiscard]] std::vector<const toml::table*> tables(const toml::table& t,
                                                       std::string_view key) const {
    std::vector<const toml::table*> out;
    const toml::node* n = t.get(key);
    if (n == nullptr) return out;
    if (!n->is_array_of_tables()) {
      fail(*n,
           "\"" + std::string(key) + "\" must be written as [[" + std::string(key) + "]] tables");
    }
    for (const toml::node& e : *n->as_array()) out.push_back(e.as_table());
    return out;
  }

  [[nodiscard]] const toml::table* table(const toml::table& t, std::string_view key) const {
    const toml::node* n = t.get(key);
    if (n == nullptr) return nullptr;
    if (!n->is_table()) fail(*n, "\"" + std::string(key) + "\" must be a table");
    return n->as_table();
  }

 private:
  std::string fileName_;
};

std::string quoted(const std::string& kind, const std::string& name) {
  return name.empty() ? kind : kind + " \"" + name + "\"";
}

int driveType(const Reader& r, const toml::node& value, const std::string& letter) {
  static constexpr std::array<std::string_view, 6> kNames = {"unknown", "removable", "fixed",
                                                             "network", "cdrom",     "ramdisk"};
  const std::string expected =
      "drive " + letter +
      " must be 0 to 5 or one of unknown, removable, fixed, network, cdrom, ramdisk";
  if (value.is_integer()) {
    std::int64_t v = value.as_integer()->get();
    if (v < 0 || v > 5) r.fail(value, expected);
    return static_cast<int>(v);
  }
  if (!value.is_string()) r.fail(value, expected);
  const std::string name = lower(value.as_string()->get());
  auto it = std::find(kNames.begin(), kNames.end(), name);
  if (it == kNames.end()) r.fail(value, expected);
  return static_cast<int>(it - kNames.begin());
}

void readDrives(const Reader& r, const toml::table& drives, NetworkSpec& spec) {
  for (auto&& [key, value] : drives) {
    const std::string letter(key.str());
    const int line = static_cast<int>(key.source().begin.line);
    if (letter.size() != 1 || !isLetter(letter[0])) {
      r.fail(line, "\"" + letter + "\" is not a drive letter (write a single letter A to Z)");
    }
    int& slot = spec.drives[upper(letter[0]) - 'A'];
    if (slot != kNoDrive) r.fail(line, "drive " + upperCopy(letter) + " is described twice");
    slot = driveType(r, value, upperCopy(letter));
  }
}

ShareSpec readShare(const Reader& r, const toml::table& t, const std::string& server) {
  ShareSpec s;
  s.line = Reader::lineOf(t);
  const std::string where = "a share of server \"" + server + "\"";
  s.name = r.string(t, "name", where, true);
  const std::string what = quoted("share", s.name);
  r.checkKeys(t, {"name", "comment", "users", "guest", "open_files", "folders", "enum_error"},
              what);
  s.comment = r.string(t, "comment", what);
  if (const toml::node* users = t.get("users")) {
    if (!users->is_table()) {
      r.fail(*users, "\"users\" of " + what + " must be a table of user = \"password\"");
    }
    for (auto&& [user, password] : *users->as_table()) {
      if (!password.is_string()) {
        r.fail(password, "the password of user \"" + std::string(user.str()) + "\" of " + what +
                             " must be a string");
      }
      s.users.emplace(std::string(user.str()), password.as_string()->get());
    }
  }
  s.guest = r.boolean(t, "guest", what, s.users.empty());
  s.openFiles = static_cast<int>(r.integer(t, "open_files", what, 0, 1'000'000));
  s.enumError = static_cast<int>(r.integer(t, "enum_error", what, 0, 0x7FFFFFFF));
  if (const toml::node* folders = t.get("folders")) {
    const toml::array* list = folders->as_array();
    if (list == nullptr || !list->is_homogeneous(toml::node_type::string)) {
      r.fail(*folders, "\"folders\" of " + what + " must be a list of strings");
    }
    for (const toml::node& f : *list) s.folders.push_back(f.as_string()->get());
  }
  return s;
}

// Where each described workgroup went: provider index, workgroup index.
struct WorkgroupIndex {
  std::map<std::string, std::pair<std::size_t, std::size_t>> byName;  // lower-case names
  std::size_t count = 0;
};

void readWorkgroups(const Reader& r, const toml::table& doc, NetworkSpec& spec,
                    WorkgroupIndex& index) {
  std::map<std::string, std::size_t> providers;
  for (std::size_t i = 0; i < spec.providers.size(); ++i) {
    providers.emplace(lower(spec.providers[i].name), i);
  }
  for (const toml::table* t : r.tables(doc, "workgroup")) {
    WorkgroupSpec w;
    w.line = Reader::lineOf(*t);
    w.name = r.string(*t, "name", "a workgroup", true);
    const std::string what = quoted("workgroup", w.name);
    r.checkKeys(*t, {"name", "comment", "provider", "enum_error"}, what);
    w.comment = r.string(*t, "comment", what);
    w.enumError = static_cast<int>(r.integer(*t, "enum_error", what, 0, 0x7FFFFFFF));
    std::size_t p = 0;
    if (t->contains("provider")) {
      const std::string provider = r.string(*t, "provider", what);
      auto it = providers.find(lower(provider));
      if (it == providers.end()) {
        r.fail(*t->get("provider"), what + " names unknown provider \"" + provider + "\"");
      }
      p = it->second;
    }
    index.byName.emplace(lower(w.name), std::pair{p, spec.providers[p].workgroups.size()});
    spec.providers[p].workgroups.push_back(std::move(w));
    ++index.count;
  }
}

void readServers(const Reader& r, const toml::table& doc, NetworkSpec& spec,
                 WorkgroupIndex& index) {
  const auto servers = r.tables(doc, "server");
  if (index.count == 0 && !servers.empty()) {  // a network of one implicit workgroup
    index.byName.emplace("workgroup", std::pair{std::size_t{0}, std::size_t{0}});
    spec.providers[0].workgroups.push_back(WorkgroupSpec{"WORKGROUP", "", 0, {}, 0});
    index.count = 1;
  }
  for (const toml::table* t : servers) {
    ServerSpec s;
    s.line = Reader::lineOf(*t);
    s.name = r.string(*t, "name", "a server", true);
    const std::string what = quoted("server", s.name);
    r.checkKeys(*t, {"name", "comment", "workgroup", "reachable", "enum_error", "share"}, what);
    s.comment = r.string(*t, "comment", what);
    s.reachable = r.boolean(*t, "reachable", what, true);
    s.enumError = static_cast<int>(r.integer(*t, "enum_error", what, 0, 0x7FFFFFFF));
    for (const toml::table* share : r.tables(*t, "share")) {
      s.shares.push_back(readShare(r, *share, s.name));
    }
    std::pair<std::size_t, std::size_t> at{};
    if (t->contains("workgroup")) {
      const std::string wg = r.string(*t, "workgroup", what);
      auto it = index.byName.find(lower(wg));
      if (it == index.byName.end()) {
        r.fail(*t->get("workgroup"), what + " names unknown workgroup \"" + wg + "\"");
      }
      at = it->second;
    } else if (index.count == 1) {
      at = index.byName.begin()->second;
    } else {
      r.fail(*t, what + " has no \"workgroup\" (there are several)");
    }
    spec.providers[at.first].workgroups[at.second].servers.push_back(std::move(s));
  }
}

void readGenerate(const Reader& r, const toml::table& g, NetworkSpec& spec) {
  r.checkKeys(g, {"workgroups", "servers", "shares"}, "generate");
  const auto w = r.integer(g, "workgroups", "generate", 0, 1000, 1);
  const auto s = r.integer(g, "servers", "generate", 0, 100'000, 1);
  const auto h = r.integer(g, "shares", "generate", 0, 100'000, 1);
  if (w * s * h > kMaxGeneratedShares) {
    r.fail(g, "generate makes " + std::to_string(w * s * h) + " shares, more than " +
                  std::to_string(kMaxGeneratedShares));
  }
  addGenerated(spec.providers[0], static_cast<int>(w), static_cast<int>(s), static_cast<int>(h));
}

}  // namespace

NetworkSpec parseDescription(std::string_view text, const std::string& fileName) {
  Reader r(fileName);
  toml::table doc;
  try {
    doc = parseToml(text, fileName);
  } catch (const TomlError& e) {
    r.fail(e.line, e.what);
  }
  r.checkKeys(doc, {"user", "network", "drives", "provider", "workgroup", "server", "generate"},
              "the description");
  NetworkSpec spec;
  spec.fileName = fileName;
  spec.present = r.boolean(doc, "network", "the description", true);
  spec.user = r.string(doc, "user", "the description", spec.present);
  if (const toml::table* drives = r.table(doc, "drives")) readDrives(r, *drives, spec);

  for (const toml::table* t : r.tables(doc, "provider")) {
    ProviderSpec p;
    p.line = Reader::lineOf(*t);
    p.name = r.string(*t, "name", "a provider", true);
    const std::string what = quoted("provider", p.name);
    r.checkKeys(*t, {"name", "comment", "enum_error"}, what);
    p.comment = r.string(*t, "comment", what);
    p.enumError = static_cast<int>(r.integer(*t, "enum_error", what, 0, 0x7FFFFFFF));
    spec.providers.push_back(std::move(p));
  }
  if (spec.providers.empty())
    spec.providers.push_back(ProviderSpec{kDefaultProvider, "", 0, {}, 0});

  WorkgroupIndex workgroups;
  readWorkgroups(r, doc, spec, workgroups);
  readServers(r, doc, spec, workgroups);
  if (const toml::table* g = r.table(doc, "generate")) readGenerate(r, *g, spec);
  return spec;
}

NetworkSpec readDescription(const std::filesystem::path& file) {
  const platform::UniqueFile in = platform::openForReading(file);
  if (!in) throw DescriptionError(file.string() + ": cannot be read");
  std::string text;
  char buffer[8192];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, in.get()))
    text.append(buffer, n);
  if (std::ferror(in.get()) != 0) throw DescriptionError(file.string() + ": cannot be read");
  return parseDescription(text, file.string());
}

void addGenerated(ProviderSpec& provider, int workgroups, int serversPerWorkgroup,
                  int sharesPerServer) {
  auto number = [](int n, int width) {
    std::string s = std::to_string(n);
    return std::string(s.size() < static_cast<std::size_t>(width) ? width - s.size() : 0, '0') + s;
  };
  for (int w = 1; w <= workgroups; ++w) {
    WorkgroupSpec wg;
    wg.name = "GEN" + number(w, 2);
    wg.servers.reserve(static_cast<std::size_t>(serversPerWorkgroup));
    for (int s = 1; s <= serversPerWorkgroup; ++s) {
      ServerSpec server;
      server.name = wg.name + "-SRV" + number(s, 3);
      server.comment = "Generated server " + std::to_string(s) + " of " + wg.name;
      server.shares.reserve(static_cast<std::size_t>(sharesPerServer));
      for (int h = 1; h <= sharesPerServer; ++h) {
        ShareSpec share;
        share.name = "share" + number(h, 3);
        share.comment = "Generated share " + std::to_string(h);
        server.shares.push_back(std::move(share));
      }
      wg.servers.push_back(std::move(server));
    }
    provider.workgroups.push_back(std::move(wg));
  }
}

NetworkSpec generatedNetwork(int workgroups, int serversPerWorkgroup, int sharesPerServer) {
  NetworkSpec spec;
  spec.user = "User";
  spec.providers.push_back(ProviderSpec{kDefaultProvider, "", 0, {}, 0});
  addGenerated(spec.providers[0], workgroups, serversPerWorkgroup, sharesPerServer);
  return spec;
}

}  // namespace quilbert::sim
