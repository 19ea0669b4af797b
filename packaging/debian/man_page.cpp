// Writes the manual page of quilbert or quilbert-cli in roff, in the language
// of one catalogue: the command line's page walks the very commands and
// options `quilbert-cli --help` shows, with their texts, so the two cannot
// say different things.
//
//   man-page LANG_DIR LANGUAGE_FILE quilbert|quilbert-cli VERSION OUTPUT
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "cli/cli.h"

namespace {

using quilbert::app::Catalogue;
namespace msg = quilbert::app;

// UTF-8 text as roff: backslashes, dashes that are minus signs, a leading dot
// or quote, and every non-ASCII character as its code point, so the page
// reads the same whatever encoding man guesses.
std::string roff(const std::string& text, bool minus = false) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (c == '\\') {
        out += "\\e";
      } else if (c == '-' && minus) {
        out += "\\-";
      } else {
        if (out.empty() && (c == '.' || c == '\'')) out += "\\&";
        out += static_cast<char>(c);
      }
      continue;
    }
    const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    unsigned code = c & (0xFFU >> (length + 1));
    for (int k = 1; k < length && i + 1 < text.size(); ++k) {
      code = (code << 6U) | (static_cast<unsigned char>(text[++i]) & 0x3FU);
    }
    std::ostringstream hex;
    hex << std::uppercase << std::hex << code;
    std::string digits = hex.str();
    out += "\\[u" + std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits + "]";
  }
  return out;
}

std::string upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

void heading(std::ostream& out, const Catalogue& texts, int entry) {
  out << ".SH " << roff(upper(texts.msg(entry))) << "\n";
}

void item(std::ostream& out, const std::string& tag, const std::string& text) {
  out << ".TP\n" << tag << "\n" << roff(text) << "\n";
}

// "--to-keyring" as bold roff; "-h,--help" as "-h, --help".
std::string optionNames(const CLI::Option& option) {
  std::string names = option.get_name(false, true);
  std::string out = "\\fB";
  for (char c : names) out += c == ',' ? std::string("\\fR, \\fB") : roff(std::string(1, c), true);
  return out + "\\fR";
}

// An option by its names, an argument by its name in capitals, in italics.
std::string optionTag(const CLI::Option& option) {
  return option.nonpositional() ? optionNames(option)
                                : "\\fI" + roff(upper(option.get_name(true))) + "\\fR";
}

struct Usage {
  std::string line;                         // the command's synopsis, roff
  std::vector<const CLI::Option*> options;  // what it takes, help excepted
};

// A command's arguments and options as its synopsis shows them: optional
// ones in brackets, repeatable ones followed by "...", the options of a group
// that needs exactly one as alternatives in braces.
Usage usageOf(CLI::App& command) {
  Usage usage{"\\fB" + command.get_name() + "\\fR", {}};
  auto add = [&usage](const CLI::Option* o) {
    usage.options.push_back(o);
    const std::string name = optionTag(*o);
    const std::string more = o->get_items_expected_max() > 1 ? " ..." : "";
    usage.line += o->get_required() ? " " + name + more : " [" + name + more + "]";
  };
  for (const CLI::Option* o : command.get_options()) {
    if (o != command.get_help_ptr() && o->get_name(false, true) != "--json") add(o);
  }
  for (CLI::App* group :
       command.get_subcommands([](CLI::App* a) { return a->get_name().empty(); })) {
    std::string alternatives;
    for (const CLI::Option* o : group->get_options()) {
      if (o == group->get_help_ptr()) continue;
      usage.options.push_back(o);
      alternatives += (alternatives.empty() ? "" : " | ") + optionNames(*o);
    }
    usage.line += group->get_require_option_min() == 1 ? " { " + alternatives + " }"
                                                       : " [ " + alternatives + " ]";
  }
  return usage;
}

void commandLinePage(std::ostream& out, const Catalogue& texts) {
  quilbert::cli::Command bound;
  const auto parser = quilbert::cli::commandLine(texts, bound);
  auto commands = parser->get_subcommands([](CLI::App* a) { return !a->get_name().empty(); });
  heading(out, texts, msg::kMsgManName);
  out << "quilbert\\-cli \\- " << roff(texts.msg(msg::kMsgAbout)) << "\n";
  heading(out, texts, msg::kMsgManSynopsis);
  std::vector<Usage> usages;
  for (CLI::App* command : commands) {
    usages.push_back(usageOf(*command));
    out << (usages.size() == 1 ? "" : ".br\n") << R"(\fBquilbert\-cli\fR [\fB\-\-json\fR] )"
        << usages.back().line << "\n";
  }
  out << ".br\n\\fBquilbert\\-cli \\-\\-help\\fR\n";
  heading(out, texts, msg::kMsgManDescription);
  out << roff(texts.msg(msg::kMsgManCommandLine)) << "\n";
  heading(out, texts, msg::kMsgCommands);
  for (std::size_t i = 0; i < commands.size(); ++i) {
    item(out, usages[i].line, commands[i]->get_description());
    if (usages[i].options.empty()) continue;
    out << ".RS\n";
    for (const CLI::Option* o : usages[i].options) {
      item(out, optionTag(*o), o->get_description());
    }
    out << ".RE\n";
  }
  heading(out, texts, msg::kMsgOptions);
  for (const CLI::Option* o : parser->get_options())
    item(out, optionNames(*o), o->get_description());
  heading(out, texts, msg::kMsgManExitStatus);
  item(out, "\\fB0\\fR", texts.msg(msg::kMsgManExitDone));
  item(out, R"(\fB1\fR\(en\fB26\fR)", texts.msg(msg::kMsgManExitCounts));
  item(out, "\\fB+32\\fR", texts.msg(msg::kMsgManExitServerSilent));
  item(out, "\\fB64\\fR", texts.msg(msg::kMsgManExitCannotRun));
  item(out, R"(\fB100\fR\(en\fB127\fR)", texts.msg(msg::kMsgManExitUsage));
}

void programPage(std::ostream& out, const Catalogue& texts) {
  heading(out, texts, msg::kMsgManName);
  out << "quilbert \\- " << roff(texts.msg(msg::kMsgWindowTitle)) << "\n";
  heading(out, texts, msg::kMsgManSynopsis);
  out << "\\fBquilbert\\fR [\\fB/a\\fR | \\fB/qelvo\\fR]\n";
  heading(out, texts, msg::kMsgManDescription);
  out << roff(texts.msg(msg::kMsgManProgram)) << "\n.PP\n"
      << roff(texts.msg(msg::kMsgHelpTwoWays)) << "\n";
  for (int entry : {msg::kMsgHelpManual, msg::kMsgHelpAutomatic}) {
    out << ".IP \\(bu 2\n" << roff(texts.msg(entry)) << "\n";
  }
  out << ".PP\n" << roff(texts.msg(msg::kMsgHelpStartup)) << "\n";
  heading(out, texts, msg::kMsgOptions);
  item(out, "\\fB/a\\fR", texts.msg(msg::kMsgManAutomaticMode));
  item(out, "\\fB/qelvo\\fR", texts.msg(msg::kMsgManAdminMode));
  heading(out, texts, msg::kMsgManExitStatus);
  item(out, "\\fB0\\fR", texts.msg(msg::kMsgManProgramEnded));
  item(out, "\\fB2\\fR", texts.msg(msg::kMsgManNetworkNotOpened));
}

// Where the files are on Linux: app/locations.cpp and the registry store.
void filesAndSeeAlso(std::ostream& out, const Catalogue& texts, bool commandLine) {
  heading(out, texts, msg::kMsgManFiles);
  item(out, R"(\fI$XDG_CONFIG_HOME\fR/quilbert/\fIUSER\fR.ini)", texts.msg(msg::kMsgManConfigFile));
  item(out, "\\fI$XDG_CONFIG_HOME\\fR/quilbert/registry", texts.msg(msg::kMsgManRegistryFile));
  if (!commandLine) {
    item(out, "\\fI$XDG_CONFIG_HOME\\fR/autostart/quilbert.desktop",
         texts.msg(msg::kMsgManAutostartFile));
  }
  item(out, "/usr/share/quilbert/lang/", texts.msg(msg::kMsgManCatalogues));
  heading(out, texts, msg::kMsgManSeeAlso);
  out << (commandLine ? "\\fBquilbert\\fR(1)\n" : "\\fBquilbert\\-cli\\fR(1)\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::cerr << "usage: man-page LANG_DIR LANGUAGE_FILE quilbert|quilbert-cli VERSION OUTPUT\n";
    return 2;
  }
  const std::string page = argv[3];
  Catalogue texts;
  texts.load(argv[1], argv[2]);
  // The Linux program's wording: it starts with the session, not with Windows.
  texts.useSessionWording();
  if (texts.msg(msg::kMsgManName).empty() || (page != "quilbert" && page != "quilbert-cli")) {
    std::cerr << "man-page: no manual texts in " << argv[1] << argv[2] << " or no page " << page
              << "\n";
    return 1;
  }
  std::ostringstream out;
  out << ".TH " << roff(upper(page), true) << R"( 1 "" "quilbert )" << argv[4] << "\"\n";
  if (page == "quilbert-cli") {
    commandLinePage(out, texts);
  } else {
    programPage(out, texts);
  }
  filesAndSeeAlso(out, texts, page == "quilbert-cli");
  std::ofstream file(argv[5], std::ios::binary);
  file << out.str();
  return file.flush() ? 0 : 1;
}
