#include "support/test_program.h"

#include <fstream>
#include <random>

#include "app/config.h"
#include "app/text.h"
#include "platform/paths.h"

namespace quilbert::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device rd;
  path_ =
      fs::temp_directory_path() / ("quilbert-test-" + std::to_string(rd()) + std::to_string(rd()));
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

sim::NetworkSpec smallNetwork() {
  sim::NetworkSpec n;
  n.user = "Claire";
  sim::ProviderSpec p;
  p.name = sim::kDefaultProvider;
  sim::WorkgroupSpec wg;
  wg.name = "MAISON";
  sim::ServerSpec srv;
  srv.name = "SRV";
  srv.comment = "Serveur";
  sim::ShareSpec docs;
  docs.name = "docs";
  docs.comment = "Documents";
  sim::ShareSpec photos;
  photos.name = "photos";
  photos.comment = "Photos";
  photos.users["claire"] = "secret";
  photos.guest = false;
  sim::ShareSpec busy;
  busy.name = "busy";
  busy.openFiles = 2;
  srv.shares = {docs, photos, busy};
  sim::ServerSpec off;
  off.name = "OFF";
  off.reachable = false;
  sim::ShareSpec data;
  data.name = "data";
  off.shares = {data};
  wg.servers = {srv, off};
  p.workgroups = {wg};
  n.providers = {p};
  n.drives[2] = 2;  // C: fixed
  n.drives[3] = 4;  // D: CD-ROM
  return n;
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

ProgramParts::ProgramParts(forms::Toolkit& tk, const std::string& commandLine,
                           const sim::NetworkSpec& spec) {
  const char sep = app::separator();
  appDir = dir.path() / "app";
  fs::create_directories(appDir);
  const fs::path source = QUILBERT_SOURCE_DIR;
  std::error_code ec;
  fs::copy(source / "lang", appDir / "lang", fs::copy_options::recursive, ec);
  fs::copy(source / "ico", appDir / "ico", fs::copy_options::recursive, ec);
  settingsDir = dir.path() / "config" / "quilbert";
  network = std::make_unique<sim::SimNetwork>(spec, dir.path() / "network.state");
  registry = std::make_unique<TestRegistry>(dir.path(), settingsDir);
  process = std::make_unique<TestProcess>(commandLine, platform::utf8FromPath(appDir) + sep,
                                          dir.path() / "run");
  svc = std::make_unique<app::Services>(
      app::Services{*network, *network, *registry, *process, nullptr, network.get()});
  g = std::make_unique<ui::ProgramState>(tk, *svc);
  g->state.CommandLine = commandLine;
  // The status lines are the automatic mode's.
  if (g->state.automatic()) {
    svc->statusLog = [this](const std::string& line) { statusLog << line << "\n"; };
  }
  main = std::make_unique<ui::ConnectWindow>(g->program);
  windows = std::make_unique<ui::ProgramWindows>(g->program, *main);
}

ProgramParts::~ProgramParts() {
  // The windows beside the main window hang on it: they go first.
  windows.reset();
  main.reset();
}

TestProgram::TestProgram(const std::string& commandLine, const sim::NetworkSpec& spec)
    : ProgramParts(tk, commandLine, spec) {}

fs::path ProgramParts::configPath() const {
  return settingsDir / "claire.ini";
}

void ProgramParts::writeConfig(const std::vector<std::string>& lines) const {
  std::string bytes;
  for (const auto& l : lines) bytes += *app::utf8ToCp1252(l) + "\r\n";
  writeFile(configPath(), bytes);
}

std::vector<std::string> ProgramParts::configLines() const {
  const std::string text = app::cp1252ToUtf8(readFile(configPath()));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string ProgramParts::driveLine(const std::string& active, char letter,
                                    const std::string& login, const std::string& password,
                                    const std::string& path) {
  return active + "\t" + letter + "\t" + login + "\t" + *app::ScramblePassword(password) + "\t" +
         path;
}

std::vector<std::string> ProgramParts::config(
    const std::vector<std::pair<char, std::string>>& drives, const std::string& resident,
    const std::string& language) {
  std::vector<std::string> lines;
  for (int k = 1; k <= 26; ++k) lines.push_back(app::defaultDriveLine(k));
  for (const auto& [letter, line] : drives) lines[static_cast<std::size_t>(letter - 'A')] = line;
  lines.insert(lines.end(), {"ide", "windows", language, resident});
  return lines;
}

bool TestProgram::start() {
  return endsProcess([&] { main->load(); });
}

bool TestProgram::endsProcess(const std::function<void()>& f) {
  try {
    f();
  } catch (const forms::ProcessEnded&) {
    return true;
  }
  return false;
}

void TestProgram::answerDialog(int answer) {
  tk.expectModal("Dialog", [this, answer](forms::Form& f) {
    auto& d = dynamic_cast<ui::DialogForm&>(f);
    dialogTexts.push_back(d.txtmessage.caption());
    dialogTitles.push_back(d.caption());
    switch (answer) {
      case ui::kAnswerOk:
        d.OKButton.click();
        break;
      case ui::kAnswerYes:
        d.OuiButton.click();
        break;
      case ui::kAnswerNo:
        d.NonButton.click();
        break;
      default:
        d.CancelButton.click();
        break;
    }
  });
}

void TestProgram::recordStatuses(int count) {
  for (int k = 0; k < count; ++k) {
    tk.expectModal("frmSplash", [this](forms::Form& f) {
      auto& splash = dynamic_cast<forms::Form&>(f);
      const auto& text = splash.get<forms::Label>("Etat").caption();
      const auto before = tk.now();
      statuses.push_back({text, 0});
      try {
        tk.advanceUntil([&] { return !splash.loaded(); });
      } catch (const forms::ProcessEnded&) {
        statuses.back().shownMs = tk.now() - before;
        throw;
      }
      statuses.back().shownMs = tk.now() - before;
    });
  }
}

bool ProgramParts::connectBeforehand(char letter, const std::string& share) const {
  platform::NetResource r;
  r.type = platform::kTypeDisk;
  r.localName = std::string(1, letter) + ":";
  r.remoteName = share;
  return network->addConnection(r, "", "", 0) == 0;
}

std::string ProgramParts::connectedTo(char letter) const {
  std::string remote;
  if (network->getConnection(std::string(1, letter) + ":", remote) != 0) return {};
  return remote;
}

int TestRegistry::openKey(std::uint32_t root, const std::string& subKey, std::uint32_t access,
                          platform::RegKey& key) {
  return real_->openKey(root, subKey, access, key);
}
int TestRegistry::queryValue(platform::RegKey key, const std::string& name, std::uint32_t* type,
                             std::string* data, std::uint32_t& size) {
  return real_->queryValue(key, name, type, data, size);
}
int TestRegistry::setValue(platform::RegKey key, const std::string& name, std::uint32_t type,
                           const std::string& data) {
  return real_->setValue(key, name, type, data);
}
int TestRegistry::deleteValue(platform::RegKey key, const std::string& name) {
  return real_->deleteValue(key, name);
}
int TestRegistry::closeKey(platform::RegKey key) {
  return real_->closeKey(key);
}
int TestRegistry::createKey(std::uint32_t root, const std::string& subKey) {
  return real_->createKey(root, subKey);
}

}  // namespace quilbert::testing
