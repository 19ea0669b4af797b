#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/locations.h"
#include "cli/commands.h"
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

// "\\SERVER", "//SERVER" or "SERVER" as "\\SERVER".
std::string serverName(std::string text) {
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  while (!text.empty() && text.back() == '\\') text.pop_back();
  if (text.rfind("\\\\", 0) != 0) text = "\\\\" + text;
  return text;
}

}  // namespace

std::optional<int> ParseArguments(int argc, const char* const* argv, Command& command,
                                  std::ostream& out, std::ostream& err) {
  CLI::App app{"Quilbert's network drive letters, for scripts.", "quilbert-cli"};
  app.require_subcommand(1);
  bool json = false;
  app.add_flag("--json", json, "answer in JSON on standard output");
  auto* status = app.add_subcommand("status",
                                    "every active letter: connected or not, to what, and why not "
                                    "(exit code: the number not connected)");
  auto* connect =
      app.add_subcommand("connect", "connect the letters named, or every active one, as at log-on");
  connect->add_option("letters", command.letters, "drive letters (F or F:)");
  auto* disconnect =
      app.add_subcommand("disconnect", "disconnect the letters named, or all of them");
  disconnect->add_option("letters", command.letters, "drive letters (F or F:)");
  auto* browse = app.add_subcommand(
      "browse", "list the workgroups and their servers, or the shares of one server");
  browse->add_option("server", command.server, "a server (\\\\SERVER)");
  // --json is taken after the command too.
  for (auto* sub : {status, connect, disconnect, browse}) {
    sub->add_flag("--json", json, "answer in JSON on standard output");
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e, out, err);
  }
  command.name = app.get_subcommands().front()->get_name();
  command.json = json;
  return std::nullopt;
}

int Execute(app::Globals& g, const Command& command, std::ostream& out, std::ostream& err) {
  app::LocateFiles(g, net::LogonUserForFiles(g));
  g.ConfigCreated = false;
  app::ReadConfiguration(g, false);
  app::LoadCatalogue(g);
  app::TakeApartDriveLines(g);
  const std::string configFile = g.SettingsDir + g.ConfigFileName;
  if (g.ConfigUnreadable) {
    err << g.msg(app::kMsgConfigUnreadable) << " (" << configFile << ")\n";
    return kExitCannotRun;
  }
  if (g.ConfigCreated && command.name != "browse") {
    err << g.msg(app::kMsgNoConfiguration) << " (" << configFile << ")\n";
  }
  std::vector<char> letters;
  for (const std::string& text : command.letters) {
    const char letter = letterOf(text);
    if (letter == 0) {
      err << g.msg(app::kMsgNotALetter) << " : " << text << "\n";
      return kExitCannotRun;
    }
    letters.push_back(letter);
  }
  Output o{out, err, command.json};
  if (command.name == "status") return Status(g, o);
  if (command.name == "connect") return Connect(g, o, letters);
  if (command.name == "disconnect") return Disconnect(g, o, letters);
  return Browse(g, o, command.server.empty() ? "" : serverName(command.server));
}

void Print(Output& o, const nlohmann::json& answer, const std::string& lines) {
  if (o.json) {
    o.out << answer.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  } else {
    o.out << lines;
  }
  o.out.flush();
}

}  // namespace quilbert::cli
