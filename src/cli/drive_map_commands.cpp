#include "cli/drive_map_commands.h"

#include "app/drive_maps.h"
#include "net/stored_passwords.h"

namespace quilbert::cli {

namespace {

int importMaps(Program& p, Output& o, const Command& command) {
  app::DriveMapsImport plan = app::planImportFile(
      p.texts, p.config, command.file, app::importInputs(p.svc, command.includeFiltered));
  nlohmann::json answer{{"file", command.file}, {"written", false}};
  if (!plan.error.empty()) {
    o.err << p.texts.msg(app::kMsgMapsRefused, {command.file}) << "\n" << plan.error << "\n";
    answer["error"] = plan.error;
    print(o, answer, "");
    return 1;
  }
  nlohmann::json letters = nlohmann::json::array();
  for (int k = 1; k <= app::kDriveCount; ++k) {
    const auto i = static_cast<std::size_t>(k);
    if (!plan.changed[i]) continue;
    const app::DriveEntry& e = plan.table[i];
    letters.push_back({{"letter", std::string(1, static_cast<char>('A' + k - 1))},
                       {"line", plan.line[i]},
                       {"path", e.Path},
                       {"login", e.Login},
                       {"active", e.Active == app::Activation::On},
                       {"passwordFromPolicy", plan.passwordFromPolicy[i]}});
  }
  answer["letters"] = std::move(letters);
  answer["lines"] = plan.lines;
  std::string text;
  for (const auto& line : plan.lines) text += line + "\n";
  if (command.dryRun) {
    print(o, answer, text + p.texts.msg(app::kMsgMapsDryRun) + "\n");
    return 0;
  }
  const app::WriteOutcome saved =
      app::saveImport(p.config, plan, net::importedPasswordKeeper(p.svc));
  if (!saved.ok()) {
    o.err << p.texts.msg(saved.message) << " (" << saved.detail << ")\n";
    answer["error"] = saved.detail;
    print(o, answer, text);
    return 1;
  }
  answer["written"] = plan.changes > 0;
  print(o, answer,
        text + p.texts.msg(app::kMsgMapsDone, {std::to_string(plan.changes), command.file}) + "\n");
  return 0;
}

int exportMaps(Program& p, Output& o, const Command& command) {
  std::vector<std::string> notes;
  int count = 0;
  const std::string error =
      app::exportDriveMapsFile(p.texts, p.config, p.svc.process, command.file, notes, count);
  if (!error.empty()) {
    o.err << error << "\n";
    return 1;
  }
  std::string text;
  for (const auto& note : notes) text += note + "\n";
  text += p.texts.msg(app::kMsgMapsExported, {std::to_string(count), command.file}) + "\n";
  print(o, nlohmann::json{{"file", command.file}, {"exported", count}, {"notes", notes}}, text);
  return 0;
}

}  // namespace

std::pair<CLI::App*, CLI::App*> addDriveMapCommands(const app::Catalogue& texts, CLI::App& app,
                                                    Command& command) {
  auto* import = app.add_subcommand("import", texts.msg(app::kMsgImportHelp));
  import->add_option("file", command.file, texts.msg(app::kMsgImportFileHelp))
      ->required()
      ->type_name("");
  import->add_flag("--dry-run", command.dryRun, texts.msg(app::kMsgDryRunHelp));
  import->add_flag("--include-filtered", command.includeFiltered,
                   texts.msg(app::kMsgIncludeFilteredHelp));
  auto* exported = app.add_subcommand("export", texts.msg(app::kMsgExportHelp));
  exported->add_option("file", command.file, texts.msg(app::kMsgExportFileHelp))
      ->required()
      ->type_name("");
  return {import, exported};
}

int driveMaps(Program& p, Output& o, const Command& command) {
  return command.name == "import" ? importMaps(p, o, command) : exportMaps(p, o, command);
}

}  // namespace quilbert::cli
