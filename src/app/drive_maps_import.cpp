// The policy's items applied to a copy of the 26 letters, in the file's
// order, then saved at once: the dry run and the import are the same plan.
#include "app/catalogue.h"
#include "app/drive_maps.h"
#include "app/text.h"
#include "platform/secret.h"

namespace quilbert::app {

namespace {

std::string letterName(int k) {
  return std::string(1, static_cast<char>('A' + k - 1)) + ":";
}

bool samePath(std::string_view a, std::string_view b) {
  return lowerCase(trimSpaces(a)) == lowerCase(trimSpaces(b));
}

std::string joined(const std::vector<std::string>& texts) {
  std::string out;
  for (const auto& t : texts) out += (out.empty() ? "" : ", ") + t;
  return out;
}

struct Planner {
  const Catalogue& texts;
  const DriveMapsInputs& in;
  DriveMapsImport& plan;
  std::array<int, kDriveCount + 1> line{};
  std::array<std::string, kDriveCount + 1> what{};
  std::vector<std::string> notes;

  DriveEntry& entry(int k) { return plan.table[static_cast<std::size_t>(k)]; }
  bool used(int k) { return !isBlank(entry(k).Path); }
  std::string before(int k) {
    return used(k) ? shownText(entry(k).Path) : texts.msg(kMsgMapsEmpty);
  }

  void note(int message, const DriveMap& m, const std::string& third,
            const std::string& fourth = {}) {
    notes.push_back(texts.msg(message, {std::to_string(m.line), shownText(m.path), third, fourth}));
  }

  // The entry an item goes to, 0 when no letter is free. A share already held
  // by a letter stays there, so that importing twice fills no second letter.
  int target(const DriveMap& m) {
    const int first = m.letter - 'A' + 1;
    if (m.useLetter) return first;
    for (int k = 1; k <= kDriveCount; ++k) {
      if (samePath(entry(k).Path, m.path)) return k;
    }
    for (int k = first; k <= kDriveCount; ++k) {
      if (!used(k)) return k;
    }
    return 0;
  }

  void describe(int k, const DriveMap& m, std::string text) {
    const DriveEntry& e = entry(k);
    if (!e.Login.empty()) text += texts.msg(kMsgMapsLogin, {shownText(e.Login)});
    if (plan.passwordFromPolicy[static_cast<std::size_t>(k)]) text += texts.msg(kMsgMapsPassword);
    if (e.Active != Activation::On && used(k)) text += texts.msg(kMsgMapsInactive);
    what[static_cast<std::size_t>(k)] = std::move(text);
    line[static_cast<std::size_t>(k)] = m.line;
  }

  void fill(int k, const DriveMap& m, Activation active) {
    const std::string was = before(k);
    const bool replaced = used(k);
    DriveEntry& e = entry(k);
    e = DriveEntry{active, static_cast<char>('A' + k - 1), m.userName.value_or(""),
                   m.password.value_or(""), m.path};
    plan.passwordFromPolicy[static_cast<std::size_t>(k)] = m.password.has_value();
    describe(k, m,
             replaced ? texts.msg(kMsgMapsReplaced, {shownText(m.path), was})
                      : texts.msg(kMsgMapsCreated, {shownText(m.path)}));
  }

  // Update changes only what the item names: the path, and the login and
  // password when it gives them.
  void update(int k, const DriveMap& m) {
    const std::string was = before(k);
    DriveEntry& e = entry(k);
    e.Path = m.path;
    if (m.userName) e.Login = *m.userName;
    if (m.password) {
      e.Password = *m.password;
      plan.passwordFromPolicy[static_cast<std::size_t>(k)] = true;
    }
    describe(k, m, texts.msg(kMsgMapsUpdated, {shownText(m.path), was}));
  }

  void empty(int k, const DriveMap& m) {
    const std::string was = before(k);
    entry(k) = DriveEntry{Activation::Off, static_cast<char>('A' + k - 1), "", "", ""};
    plan.passwordFromPolicy[static_cast<std::size_t>(k)] = false;
    describe(k, m, texts.msg(kMsgMapsEmptied, {was}));
  }

  void apply(const DriveMap& m) {
    if (!m.filters.empty()) {
      note(in.includeFiltered ? kMsgMapsFilteredTaken : kMsgMapsFiltered, m, joined(m.filters));
      if (!in.includeFiltered) return;
    }
    const int k = m.action == 'D' && !m.useLetter ? 0 : target(m);
    if (m.disabled) {
      // Skipped: never changes a letter in use, and a free one only keeps
      // the item as an inactive row (as the export writes inactive rows).
      if (k != 0 && used(k)) {
        note(kMsgMapsDisabled, m, letterName(k));
      } else if (k != 0 && m.action != 'D') {
        fill(k, m, Activation::Off);
      }
      return;
    }
    if (m.action == 'D') {
      for (int j = 1; j <= kDriveCount; ++j) {
        if (j == k || (k == 0 && samePath(entry(j).Path, m.path))) empty(j, m);
      }
    } else if (k == 0) {
      note(kMsgMapsNoFreeLetter, m, std::string(1, m.letter) + ":");
    } else if (m.action == 'C' && used(k)) {
      note(kMsgMapsKept, m, letterName(k), shownText(entry(k).Path));
    } else if (m.action == 'U' && used(k)) {
      update(k, m);
    } else {
      fill(k, m, Activation::On);
    }
  }

  // Why entry k cannot be stored, as Save would say it (empty texts when the
  // catalogue lacks them), or nullopt.
  std::optional<std::string> storeRefusal(int k) {
    const DriveEntry& e = entry(k);
    const std::string uncarried = in.network != nullptr ? in.network->uncarried(e.Path) : "";
    if (!uncarried.empty()) {
      return texts.msg(kMsgFieldRefused, {texts.msg(kMsgFieldPath, {letterName(k)}),
                                          texts.msg(kMsgNotCarried, {uncarried})});
    }
    const std::pair<int, DriveField> fields[] = {{kMsgFieldLogin, DriveField::Login},
                                                 {kMsgFieldPassword, DriveField::Password},
                                                 {kMsgFieldPath, DriveField::Path}};
    for (const auto& [name, field] : fields) {
      const std::string& text = field == DriveField::Login      ? e.Login
                                : field == DriveField::Password ? e.Password
                                                                : e.Path;
      if (const auto p = storeProblem(text, field)) {
        std::string where = std::to_string(p->position);
        if (!p->shown.empty()) where += " " + p->shown;
        return texts.msg(kMsgStoreProblem,
                         {texts.msg(name, {letterName(k)}), where, texts.msg(p->reason)});
      }
    }
    return std::nullopt;
  }
};

bool differs(const DriveEntry& a, const DriveEntry& b) {
  return a.Active != b.Active || a.Login != b.Login || a.Password != b.Password || a.Path != b.Path;
}

}  // namespace

DriveMapsImport planImport(const Catalogue& texts, const Config& config, std::string_view xml,
                           const DriveMapsInputs& in) {
  DriveMapsImport plan;
  plan.table = config.DriveTable;
  DriveMapsRead read = readDriveMaps(texts, xml, in);
  if (!read.error.empty()) {
    plan.error = read.error;
    return plan;
  }
  Planner p{texts, in, plan, {}, {}, {}};
  for (const DriveMap& m : read.items) p.apply(m);
  plan.line = p.line;
  for (auto& item : read.items) {
    if (item.password) platform::wipe(*item.password);
  }
  for (int k = 1; k <= kDriveCount; ++k) {
    const auto i = static_cast<std::size_t>(k);
    plan.changed[i] = differs(plan.table[i], config.DriveTable[i]);
    if (!plan.changed[i]) continue;
    if (const auto why = p.storeRefusal(k)) {
      plan.error = texts.msg(kMsgMapsAtLine, {std::to_string(p.line[i]), *why});
      if (plan.error.empty()) plan.error = "Drives.xml:" + std::to_string(p.line[i]);
      return plan;
    }
    ++plan.changes;
    plan.lines.push_back(
        texts.msg(kMsgMapsLetterLine, {letterName(k), p.what[i], std::to_string(p.line[i])}));
  }
  if (plan.changes == 0) plan.lines.push_back(texts.msg(kMsgMapsNoChange));
  plan.lines.insert(plan.lines.end(), read.notes.begin(), read.notes.end());
  plan.lines.insert(plan.lines.end(), p.notes.begin(), p.notes.end());
  return plan;
}

WriteOutcome saveImport(Config& config, DriveMapsImport& plan, const PasswordKeeper& keep) {
  if (!plan.error.empty()) return {kMsgValueNotStorable, plan.error};
  // Nothing to change writes nothing (and creates no configuration).
  if (plan.changes == 0) return {};
  ConfigFileLines lines = config.ConfigLines;
  for (int k = 1; k <= kDriveCount; ++k) {
    const auto i = static_cast<std::size_t>(k);
    if (!plan.changed[i]) continue;
    DriveEntry& e = plan.table[i];
    const bool keptElsewhere = plan.passwordFromPolicy[i] && keep && keep(e);
    e.Letter = static_cast<char>('A' + k - 1);
    lines[i] = driveLine(e, keptElsewhere ? "" : ScramblePassword(e.Password).value_or(""));
  }
  if (isBlank(config.IniMarker)) config.IniMarker = "ide";
  return config.writeDriveLines(lines);
}

}  // namespace quilbert::app
