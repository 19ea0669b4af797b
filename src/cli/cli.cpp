#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <iterator>
#include <memory>
#include <ostream>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/locations.h"
#include "cli/commands.h"
#include "cli/drive_map_commands.h"
#include "net/primitives.h"

namespace quilbert::cli {

namespace {

// "F", "f", "F:" or "f:" as the letter 'F'; 0 for anything else.
char letterOf(const std::string& text) {
  if (text.empty() || text.size() > 2 || (text.size() == 2 && text[1] != ':')) return 0;
  const char c = text[0];
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  return c >= 'A' && c <= 'Z' ? c : 0;
}

// "\\SERVER", "//SERVER", "SERVER", or "\SERVER" as a shell's double quotes
// leave "\\SERVER", as "\\SERVER".
std::string serverName(std::string text) {
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  while (!text.empty() && text.back() == '\\') text.pop_back();
  const auto name = text.find_first_not_of('\\');
  return "\\\\" + (name == std::string::npos ? std::string() : text.substr(name));
}

}  // namespace

namespace {

constexpr std::array<const char*, 7> kCommands = {"status", "connect", "disconnect", "browse",
                                                  "import", "export",  "passwords"};

bool isCommand(const std::string& word) {
  return std::any_of(kCommands.begin(), kCommands.end(),
                     [&word](const char* c) { return word == c; });
}

bool isOption(const std::string& word) {
  for (const char* o : {"--json", "--dry-run", "--include-filtered", "--to-keyring", "--to-file"}) {
    if (word == o) return true;
  }
  return false;
}

// What went wrong, in the catalogue's words, naming what the person typed:
// CLI11's own messages are English only.
std::string usageError(const app::Catalogue& texts, const std::vector<std::string>& args) {
  const auto first = std::find_if(args.begin(), args.end(),
                                  [](const std::string& a) { return a.empty() || a[0] != '-'; });
  if (first == args.end()) return texts.msg(app::kMsgCommandNeeded);
  if (!isCommand(*first)) return texts.msg(app::kMsgUnknownCommand, {*first});
  for (const std::string& a : args) {
    if (!a.empty() && a[0] == '-' && !isOption(a)) return texts.msg(app::kMsgBadOption, {a});
  }
  // A command without what it cannot run without: say what that is.
  if (std::next(first) == args.end() || std::all_of(std::next(first), args.end(), isOption)) {
    using app::kMsgCommandNeeds;
    if (*first == "import")
      return texts.msg(kMsgCommandNeeds, {*first, texts.msg(app::kMsgImportFileHelp)});
    if (*first == "export")
      return texts.msg(kMsgCommandNeeds, {*first, texts.msg(app::kMsgExportFileHelp)});
    if (*first == "passwords") {
      return texts.msg(kMsgCommandNeeds,
                       {*first, "--to-keyring " + texts.msg(app::kMsgOr) + " --to-file"});
    }
  }
  std::string extra;
  for (auto it = std::next(first); it != args.end(); ++it) {
    extra += (extra.empty() ? "" : " ") + *it;
  }
  return texts.msg(app::kMsgUnexpected, {extra.empty() ? *first : extra});
}

}  // namespace

std::unique_ptr<CLI::App> commandLine(const app::Catalogue& texts, Command& command) {
  auto parser = std::make_unique<CLI::App>(texts.msg(app::kMsgAbout), "quilbert-cli");
  CLI::App& app = *parser;
  app.set_help_flag("-h,--help",
                    texts.msg(app::kMsgHelpOption));  // before the commands, which copy it
  auto formatter = app.get_formatter();
  formatter->label("Usage", texts.msg(app::kMsgUsage));
  formatter->label("OPTIONS", texts.msg(app::kMsgOptions));
  formatter->label("SUBCOMMAND", texts.msg(app::kMsgCommands));
  formatter->label("Positionals", texts.msg(app::kMsgArguments));
  app.option_defaults()->group(texts.msg(app::kMsgOptions));
  app.require_subcommand(1);
  app.add_flag("--json", command.json, texts.msg(app::kMsgJsonOption));
  auto* status = app.add_subcommand("status", texts.msg(app::kMsgStatusHelp));
  auto* connect = app.add_subcommand("connect", texts.msg(app::kMsgConnectHelp));
  connect->add_option("letters", command.letters, texts.msg(app::kMsgLettersHelp))->type_name("");
  auto* disconnect = app.add_subcommand("disconnect", texts.msg(app::kMsgDisconnectHelp));
  disconnect->add_option("letters", command.letters, texts.msg(app::kMsgLettersHelp))
      ->type_name("");
  auto* browse = app.add_subcommand("browse", texts.msg(app::kMsgBrowseHelp));
  browse->add_option("server", command.server, texts.msg(app::kMsgServerHelp))->type_name("");
  const auto [import, exported] = addDriveMapCommands(texts, app, command);
  auto* passwords = app.add_subcommand("passwords", texts.msg(app::kMsgPasswordsHelp));
  // One way or the other, exactly: --to-file is the other way, so it needs no variable.
  auto* direction = passwords->add_option_group("direction");
  direction->add_flag("--to-keyring", command.toStore, texts.msg(app::kMsgToKeyringHelp));
  direction->add_flag("--to-file", texts.msg(app::kMsgToFileHelp));
  direction->require_option(1);
  for (auto* sub : {status, connect, disconnect, browse, import, exported, passwords}) {
    sub->group(texts.msg(app::kMsgCommands));
    sub->option_defaults()->group(texts.msg(app::kMsgOptions));
    // --json is taken after the command too.
    sub->add_flag("--json", command.json, texts.msg(app::kMsgJsonOption))
        ->group(texts.msg(app::kMsgOptions));
  }
  return parser;
}

std::optional<int> parseArguments(const app::Catalogue& texts, int argc, const char* const* argv,
                                  Command& command, std::ostream& out, std::ostream& err) {
  const auto parser = commandLine(texts, command);
  CLI::App& app = *parser;
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    err << "quilbert-cli: " << usageError(texts, args) << "\n"
        << texts.msg(app::kMsgSeeHelp) << "\n";
    return e.get_exit_code();
  }
  command.name = app.get_subcommands().front()->get_name();
  return std::nullopt;
}

void loadSettings(Program& p) {
  app::locateFiles(p.places, p.svc.process, p.svc.registry, net::logonUserForFiles(p.svc.network));
  p.config.read(p.places.configPath(), false);
  p.texts.load(p.places.LangDir, p.config.LanguageFile);
}

int execute(Program& p, const Command& command, std::ostream& out, std::ostream& err) {
  const std::string configFile = p.places.configPath();
  if (p.config.ConfigUnreadable) {
    err << p.texts.msg(app::kMsgConfigUnreadable) << " (" << configFile << ")\n";
    return kExitCannotRun;
  }
  if (p.config.ConfigCreated && command.name != "browse") {
    err << p.texts.msg(app::kMsgNoConfiguration) << " (" << configFile << ")\n";
    // Nothing to move, and no file to create here.
    if (command.name == "passwords") return kExitCannotRun;
  }
  std::vector<char> letters;
  for (const std::string& text : command.letters) {
    const char letter = letterOf(text);
    if (letter == 0) {
      err << p.texts.msg(app::kMsgNotALetter) << " : " << text << "\n";
      return kExitCannotRun;
    }
    letters.push_back(letter);
  }
  Output o{out, err, command.json};
  if (command.name == "status") return status(p, o);
  if (command.name == "connect" || command.name == "disconnect") {
    const int left = command.name == "connect" ? connect(p, o, letters) : disconnect(p, o, letters);
    // A running program shows its letters as they are now.
    p.svc.process.tellConnectionsChanged();
    return left;
  }
  if (command.name == "import" || command.name == "export") return driveMaps(p, o, command);
  if (command.name == "passwords") return movePasswords(p, o, command.toStore);
  return browse(p, o, command.server.empty() ? "" : serverName(command.server));
}

void print(Output& o, const nlohmann::json& answer, const std::string& lines) {
  if (o.json) {
    o.out << answer.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  } else {
    o.out << lines;
  }
  o.out.flush();
}

}  // namespace quilbert::cli
