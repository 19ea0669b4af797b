// Drives.xml files shaped as the policy console writes them (CR LF, its
// attribute order and others, attributes we do not know), imported into a
// program's letters and saved; exported and imported back.
#include "app/drive_maps.h"

#include <pugixml.hpp>
#include <set>

#include "app/catalogue.h"
#include "app/config_fixture.h"
#include "app/text.h"
#include "platform/paths.h"
#include "platform/utf8.h"
#include "support/test_platform.h"

namespace quilbert::app {
namespace {

// The key as the policy format's own documentation publishes it.
const unsigned char kPublishedKey[32] = {
    0x4e, 0x99, 0x06, 0xe8, 0xfc, 0xb6, 0x6c, 0xc9, 0xfa, 0xf4, 0x93, 0x10, 0x62, 0x0f, 0xfe, 0xe8,
    0xf4, 0x96, 0xe8, 0x06, 0xcc, 0x05, 0x79, 0x90, 0x20, 0x9b, 0x09, 0xa4, 0x33, 0xb6, 0x6c, 0x1b};

// A password as the console stores it: UTF-16LE, AES-256-CBC under the
// published key with a zero IV, base64 without its padding.
std::string cpassword(platform::Domain& cipher, std::string_view plain) {
  std::string utf16;
  for (std::size_t i = 0; i < plain.size();) {
    const char32_t c = *utf8::decode(plain, i);
    utf16 += {static_cast<char>(c & 0xFFU), static_cast<char>(c >> 8U)};
  }
  const std::string data =
      *cipher.aes256Cbc(platform::CipherWay::Encrypt,
                        std::string_view(reinterpret_cast<const char*>(kPublishedKey), 32),
                        std::string(16, '\0'), utf16);
  static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (const char b : data) {
    bits = (bits << 8U) | static_cast<unsigned char>(b);
    for (count += 8; count >= 6; count -= 6) out += kAlphabet[(bits >> (count - 6)) & 0x3FU];
  }
  if (count > 0) out += kAlphabet[(bits << (6 - count)) & 0x3FU];
  return out;
}

// A <Drive> item as the console writes it; `properties` holds what varies.
std::string item(const std::string& properties, const std::string& extra = "",
                 const std::string& filters = "") {
  return R"(<Drive clsid="{935D1B74-9CB8-4e3c-9914-7DD559B7A417}" name="X:" status="X:" image="0" )"
         R"(changed="2024-03-01 09:12:45" uid="{5D7C1A0E-2F0B-4A3C-9A11-3E8B7C0F6D21}")" +
         extra + "><Properties " + properties + "/>" + filters + "</Drive>";
}

std::string policy(const std::vector<std::string>& items) {
  std::string xml =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
      "<Drives clsid=\"{8FDDCC1A-0C3C-43cd-A6B4-71A6DF20DA8C}\">\r\n";
  for (const auto& i : items) xml += i + "\r\n";
  return xml + "</Drives>\r\n";
}

class DriveMaps : public ConfigFixture {
 protected:
  void SetUp() override {
    // G used with its own login and password, H used, the rest free.
    p.writeConfig(testing::ProgramParts::config(
        {{'G', testing::ProgramParts::driveLine("1", 'G', "anne", "pw", "\\\\SRV\\old")},
         {'H', testing::ProgramParts::driveLine("0", 'H', "", "", "\\\\SRV\\h")}},
        "nres", "langage_gb.txt"));
    read();
    p.g->places.LangDir = (p.appDir / "lang").string() + "/";
    p.g->texts.load(p.g->places.LangDir, p.g->config.LanguageFile);
    in.variables = {{"USERNAME", "claire"},
                    {"USERDOMAIN", "CORP"},
                    {"LOGONSERVER", "\\\\DC1"},
                    {"COMPUTERNAME", "PC7"}};
    in.cipher = domain.get();
  }
  // Imports `xml`; the lines told, or the error.
  std::string import(const std::string& xml) {
    DriveMapsImport plan = planImport(p.g->texts, p.g->config, xml, in);
    if (!plan.error.empty()) return plan.error;
    EXPECT_TRUE(saveImport(p.g->config, plan).ok());
    read();  // what the file now holds
    std::string told;
    for (const auto& l : plan.lines) told += l + "\n";
    return told;
  }
  std::string row(char letter) {
    const DriveEntry& e = entry(letter);
    return std::string(1, static_cast<char>(e.Active)) + "|" + e.Login + "|" + e.Password + "|" +
           e.Path;
  }
  std::unique_ptr<platform::Domain> domain = testing::nativeDomain();
  DriveMapsInputs in;
};

TEST_F(DriveMaps, EachActionAndOptionOnTheLetters) {
  struct Case {
    const char* what;
    std::vector<std::string> items;
    bool includeFiltered;
    std::map<char, std::string> rows;  // letters whose row is checked after the import
    const char* told;                  // a text the lines hold
  };
  const Case cases[] = {
      {"create on a free letter, attributes in another order, unknown ones",
       {item(R"(path="\\SRV\docs" letter="F" userName="CORP\claire" newThing="1" action="C" )"
             R"(useLetter="1" persistent="1")")},
       false,
       {{'F', "1|CORP\\claire||\\\\SRV\\docs"}, {'G', "1|anne|pw|\\\\SRV\\old"}},
       "F: created: \\\\SRV\\docs, login CORP\\claire (line 3)"},
      {"create never overwrites a letter in use",
       {item(R"(action="C" path="\\SRV\new" letter="G" useLetter="1")")},
       false,
       {{'G', "1|anne|pw|\\\\SRV\\old"}},
       "Line 3 (\\\\SRV\\new): G: is in use (\\\\SRV\\old) and is kept"},
      {"replace takes the whole entry: no login, no password",
       {item(R"(action="R" path="\\SRV\new" letter="G" useLetter="1")")},
       false,
       {{'G', "1|||\\\\SRV\\new"}},
       "G: replaced: \\\\SRV\\new (was \\\\SRV\\old)"},
      {"update changes only what it names",
       {item(R"(action="U" path="\\SRV\new" userName="" letter="G" useLetter="1")")},
       false,
       {{'G', "1|anne|pw|\\\\SRV\\new"}},
       "G: updated"},
      {"delete empties the letter",
       {item(R"(action="D" path="" letter="G" useLetter="1")")},
       false,
       {{'G', "0|||"}},
       "G: emptied (was \\\\SRV\\old)"},
      {"disabled: a letter in use stays, a free one keeps the item inactive",
       {item(R"(action="R" path="\\SRV\x" letter="G")", R"( disabled="1")"),
        item(R"(action="C" path="\\SRV\y" letter="K")", R"( disabled="1")")},
       false,
       {{'G', "1|anne|pw|\\\\SRV\\old"}, {'K', "0|||\\\\SRV\\y"}},
       "disabled in the policy; G: is in use"},
      {"first free letter from G on, other rows untouched; a share held stays where it is",
       {item(R"(action="C" path="\\SRV\a" letter="G" useLetter="0")"),
        item(R"(action="C" path="\\srv\A" letter="G" useLetter="0")"),
        item(R"(action="U" path="\\SRV\h" letter="B" useLetter="0" userName="bob")")},
       false,
       {{'G', "1|anne|pw|\\\\SRV\\old"},
        {'H', "0|bob||\\\\SRV\\h"},
        {'I', "1|||\\\\SRV\\a"},
        {'J', "0|||"},
        {'B', "0|||"}},
       "Line 4 (\\\\srv\\A): I: is in use (\\\\SRV\\a) and is kept"},
      {"the log-on's variables, in any case; an unknown one left and told",
       {item(R"(action="C" path="%LOGONSERVER%\%username%$" letter="F" )"
             R"(userName="%USERDOMAIN%\%USERNAME%" label="%COMPUTERNAME% %HOMESHARE%")")},
       false,
       {{'F', "1|CORP\\claire||\\\\DC1\\claire$"}},
       "Line 3: the variable %HOMESHARE% is unknown here and is left as written"},
      {"a targeted item is listed, not imported",
       {item(R"(action="C" path="\\SRV\pay" letter="P")", "",
             R"(<Filters><FilterGroup bool="AND" not="0" name="CORP\Payroll" sid="S-1-5-21"/>)"
             R"(<FilterComputer bool="OR" not="1" type="NETBIOS" name="PC9"/></Filters>)")},
       false,
       {{'P', "0|||"}},
       "targeted at FilterGroup CORP\\Payroll, OR NOT FilterComputer PC9; not imported"},
      {"a targeted item is imported when asked",
       {item(R"(action="C" path="\\SRV\pay" letter="P")", "",
             R"(<Filters><FilterGroup name="CORP\Payroll"/></Filters>)")},
       true,
       {{'P', "1|||\\\\SRV\\pay"}},
       "imported as asked"},
      {"cpassword: ours, and the documentation's own example",
       {item(R"(action="C" path="\\SRV\a" letter="F" userName="u" cpassword=")" +
             cpassword(*domain, "S3crèt €uro") + "\""),
        item(
            R"(action="C" path="\\SRV\b" letter="L" cpassword="j1Uyj3Vx8TY9LtLZil2uAuZkFQA/4latT76ZwgdHdhw")")},
       false,
       {{'F', "1|u|S3crèt €uro|\\\\SRV\\a"}, {'L', "1||Local*P4ssword!|\\\\SRV\\b"}},
       "Line 4: the policy holds a password (cpassword) that anyone who can read the policy can "
       "decrypt. Remove it from the policy"},
  };
  for (const Case& c : cases) {
    SetUp();
    in.includeFiltered = c.includeFiltered;
    const std::string told = import(policy(c.items));
    EXPECT_NE(told.find(c.told), std::string::npos) << c.what << "\n" << told;
    for (const auto& [letter, expected] : c.rows)
      EXPECT_EQ(row(letter), expected) << c.what << " " << letter;
  }
}

TEST_F(DriveMaps, AnErrorAtAnyItemChangesNothingAndNamesItsLine) {
  const std::string good = item(R"(action="C" path="\\SRV\a" letter="F")");
  const std::pair<std::string, std::string> cases[] = {
      {policy({good, item(R"(action="X" path="\\SRV\b" letter="K")")}),
       "Line 4: the action \"X\" is none of C, R, U, D"},
      {policy({good, good, item(R"(action="C" path="\\SRV\b" letter="1")")}),
       "Line 5: \"1\" is not a drive letter"},
      {policy({good, item(R"(action="C" path="\\SRV\b" letter="K" cpassword="AAAA")")}),
       "Line 4: its password (cpassword) cannot be decrypted"},
      {policy({good, item(R"(action="R" letter="K")")}), "Line 4: no path for the action R"},
      {policy({good, item(R"(action="C" path="\\SRV\b&#10;x" letter="K")")}),
       "Line 4: Path of row K:, character 8 U+000A"},
      {policy({good}).substr(0, 200), "Line 3: not XML"},
      {"<Drives>\r\n<Drive><Properties path=\"\xC3\x28\"/></Drive></Drives>", "Line 2: not UTF-8"},
      {"<Printers/>", "Line 1: the file holds no <Drives> element"},
  };
  const std::string before = testing::readFile(p.configPath());
  for (const auto& [xml, error] : cases) {
    const std::string told = import(xml);
    EXPECT_EQ(told.substr(0, error.size()), error) << told;
    EXPECT_EQ(row('F'), "0|||");
    EXPECT_EQ(testing::readFile(p.configPath()), before) << error;
  }
  // A catalogue without the program's own texts refuses all the same (an
  // empty reason once let a letterless item through to the table).
  const std::filesystem::path solo = p.dir.path() / "solo";
  testing::writeFile(solo / "fr.txt", testing::readFile(p.appDir / "lang" / "langage_fr.txt"));
  p.g->texts.load(platform::utf8FromPath(solo) + app::separator(), "fr.txt");
  EXPECT_EQ(import(std::get<0>(cases[1])), "Drives.xml:5");
  EXPECT_EQ(testing::readFile(p.configPath()), before);
}

TEST_F(DriveMaps, AnExportImportedIntoAnEmptyTableGivesTheSameLetters) {
  import(policy({item(R"(action="C" path="\\SRV\a" letter="F" userName="CORP\u" cpassword=")" +
                      cpassword(*domain, "pw") + "\"")}));
  std::vector<std::string> notes;
  const std::string xml = exportDriveMaps(
      p.g->texts, p.g->config,
      std::chrono::sys_days{std::chrono::year{2026} / 1 / 2} + std::chrono::hours{3}, notes);
  EXPECT_EQ(notes[0],
            "F: is exported with its login CORP\\u and without its password: a policy "
            "file never holds one.");
  EXPECT_EQ(xml.find("cpassword"), std::string::npos);
  EXPECT_EQ(xml.find('\n'), xml.find("\r\n") + 1);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(xml.c_str()));
  std::set<std::string> uids;
  for (const auto& d : doc.child("Drives").children("Drive")) {
    uids.insert(d.attribute("uid").as_string());
    EXPECT_STREQ(d.attribute("changed").as_string(), "2026-01-02 03:00:00");
    EXPECT_EQ(std::string(d.attribute("name").as_string()), d.attribute("status").as_string());
    EXPECT_STREQ(d.child("Properties").attribute("action").as_string(), "U");
  }
  EXPECT_EQ(uids.size(), 3U);  // F, G and H, each its own

  const std::array<DriveEntry, kDriveCount + 1> exported = p.g->config.DriveTable;
  p.writeConfig(testing::ProgramParts::config({}, "nres", "langage_gb.txt"));
  read();
  import(xml);
  for (int k = 1; k <= kDriveCount; ++k) {
    const auto& a = exported[static_cast<std::size_t>(k)];
    const auto& b = p.g->config.DriveTable[static_cast<std::size_t>(k)];
    EXPECT_EQ(a.Path + "|" + a.Login + "|" + static_cast<char>(a.Active),
              b.Path + "|" + b.Login + "|" + static_cast<char>(b.Active))
        << k;
  }
}

}  // namespace
}  // namespace quilbert::app
