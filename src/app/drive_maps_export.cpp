// The letters written as the policy console writes a Drives.xml: fixed class
// ids, a new uid per item, every item an update of its letter.
#include <cstdio>
#include <pugixml.hpp>
#include <random>

#include "app/drive_maps.h"
#include "app/text.h"

namespace quilbert::app {

namespace {

constexpr const char* kDrivesClsid = "{8FDDCC1A-0C3C-43cd-A6B4-71A6DF20DA8C}";
constexpr const char* kDriveClsid = "{935D1B74-9CB8-4e3c-9914-7DD559B7A417}";
// The console's picture of an item follows its action: 0 create, 1 replace,
// 2 update, 3 delete.
constexpr const char* kUpdateImage = "2";

std::string newUid() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  const std::uint64_t hi = random();
  const std::uint64_t lo = random();
  char id[48];
  std::snprintf(id, sizeof id, "{%08llX-%04llX-4%03llX-%04llX-%012llX}",
                static_cast<unsigned long long>(hi >> 32U),
                static_cast<unsigned long long>((hi >> 16U) & 0xFFFFU),
                static_cast<unsigned long long>(hi & 0xFFFU),
                static_cast<unsigned long long>(0x8000U | ((lo >> 48U) & 0x3FFFU)),
                static_cast<unsigned long long>(lo & 0xFFFFFFFFFFFFULL));
  return id;
}

// yyyy-MM-dd HH:mm:ss, in UTC as the console writes it.
std::string changedText(std::chrono::system_clock::time_point now) {
  using namespace std::chrono;
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{floor<seconds>(now - day)};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

// pugixml ends lines with LF; the console's files end them with CR LF.
struct CrLfWriter : pugi::xml_writer {
  std::string bytes;
  void write(const void* data, size_t size) override {
    for (const char c : std::string_view(static_cast<const char*>(data), size)) {
      if (c == '\n') bytes += '\r';
      bytes += c;
    }
  }
};

}  // namespace

std::string exportDriveMaps(const Catalogue& texts, const Config& config,
                            std::chrono::system_clock::time_point now,
                            std::vector<std::string>& notes) {
  pugi::xml_document doc;
  auto decl = doc.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "utf-8";
  auto drives = doc.append_child("Drives");
  drives.append_attribute("clsid") = kDrivesClsid;
  const std::string changed = changedText(now);
  for (int k = 1; k <= kDriveCount; ++k) {
    const DriveEntry& e = config.DriveTable[static_cast<std::size_t>(k)];
    const std::string path = trimSpaces(e.Path);
    if (path.empty()) continue;
    const std::string letter(1, static_cast<char>('A' + k - 1));
    auto drive = drives.append_child("Drive");
    drive.append_attribute("clsid") = kDriveClsid;
    drive.append_attribute("name") = (letter + ":").c_str();
    drive.append_attribute("status") = (letter + ":").c_str();
    drive.append_attribute("image") = kUpdateImage;
    drive.append_attribute("changed") = changed.c_str();
    drive.append_attribute("uid") = newUid().c_str();
    if (e.Active != Activation::On) drive.append_attribute("disabled") = "1";
    auto p = drive.append_child("Properties");
    p.append_attribute("action") = "U";
    p.append_attribute("thisDrive") = "NOCHANGE";
    p.append_attribute("allDrives") = "NOCHANGE";
    p.append_attribute("userName") = e.Login.c_str();
    p.append_attribute("path") = path.c_str();
    p.append_attribute("label") = "";
    p.append_attribute("persistent") = "1";
    p.append_attribute("useLetter") = "1";
    p.append_attribute("letter") = letter.c_str();
    // A policy's password can be read by anyone who reads the policy: the
    // login goes out, the password never does.
    if (!e.Password.empty()) {
      notes.push_back(texts.msg(kMsgMapsNoPasswordExported, {letter + ":", shownText(e.Login)}));
    }
  }
  CrLfWriter out;
  doc.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
  return out.bytes;
}

}  // namespace quilbert::app
