// Reading a policy's Drives.xml: every <Drive> item checked before any letter
// changes, so that one bad item refuses the whole file and names its line.
#include <algorithm>
#include <pugixml.hpp>

#include "app/drive_maps.h"
#include "app/text.h"
#include "platform/secret.h"
#include "platform/utf8.h"

namespace quilbert::app {

namespace {

// The key every policy's passwords are encrypted with, as published with the
// policy format itself: anyone who reads the policy can decrypt them.
constexpr unsigned char kPolicyKey[32] = {
    0x4e, 0x99, 0x06, 0xe8, 0xfc, 0xb6, 0x6c, 0xc9, 0xfa, 0xf4, 0x93, 0x10, 0x62, 0x0f, 0xfe, 0xe8,
    0xf4, 0x96, 0xe8, 0x06, 0xcc, 0x05, 0x79, 0x90, 0x20, 0x9b, 0x09, 0xa4, 0x33, 0xb6, 0x6c, 0x1b};
constexpr std::size_t kMaxPasswordText = 2048;
constexpr int kMaxFilterDepth = 4;
constexpr std::size_t kMaxFilters = 32;

// Base64 as the policy stores it: its "=" padding left off.
std::optional<std::string> base64(std::string_view text) {
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    int v = -1;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    if (c >= '0' && c <= '9') v = c - '0' + 52;
    if (c == '+') v = 62;
    if (c == '/') v = 63;
    if (c == '=') break;
    if (v < 0) return std::nullopt;
    bits = (bits << 6U) | static_cast<unsigned>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> static_cast<unsigned>(count)) & 0xFFU);
    }
  }
  // One character alone cannot end a group: the text was cut.
  if (count >= 6) return std::nullopt;
  return out;
}

std::optional<std::string> decryptPassword(platform::Domain* cipher, std::string_view text) {
  if (cipher == nullptr || text.size() > kMaxPasswordText) return std::nullopt;
  const auto data = base64(text);
  if (!data) return std::nullopt;
  const std::string_view key(reinterpret_cast<const char*>(kPolicyKey), sizeof kPolicyKey);
  auto utf16 = cipher->aes256Cbc(platform::CipherWay::Decrypt, key, std::string(16, '\0'), *data);
  if (!utf16) return std::nullopt;
  auto plain = utf16leToUtf8(*utf16);
  platform::wipe(*utf16);
  return plain;
}

int lineAt(std::string_view xml, std::ptrdiff_t offset) {
  const auto end = static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, offset));
  return 1 +
         static_cast<int>(std::count(xml.begin(), xml.begin() + std::min(end, xml.size()), '\n'));
}

// One filter as the console names it: "NOT FilterGroup CORP\Sales", a
// collection's filters in brackets.
void describeFilters(const pugi::xml_node& parent, int depth, std::vector<std::string>& out) {
  for (const pugi::xml_node& f : parent.children()) {
    if (f.type() != pugi::node_element || out.size() >= kMaxFilters) continue;
    std::string text = out.empty() ? "" : std::string(f.attribute("bool").as_string("AND")) + " ";
    if (f.attribute("not").as_int() == 1) text += "NOT ";
    text += f.name();
    if (const char* name = f.attribute("name").as_string(); *name != '\0')
      text += " " + std::string(name);
    if (depth < kMaxFilterDepth && f.first_child()) {
      std::vector<std::string> inner;
      describeFilters(f, depth + 1, inner);
      std::string joined;
      for (const auto& s : inner) joined += (joined.empty() ? "" : " ") + s;
      text += " (" + joined + ")";
    }
    out.push_back(shownText(text));
  }
}

struct ItemReader {
  const Catalogue& texts;
  std::string_view xml;
  const DriveMapsInputs& in;
  DriveMapsRead& out;

  std::string expand(const char* text, int line) {
    std::vector<std::string> unknown;
    std::string value = expandVariables(text, in.variables, unknown);
    for (const auto& name : unknown) {
      out.notes.push_back(
          texts.msg(kMsgMapsUnknownVariable, {std::to_string(line), shownText(name)}));
    }
    return value;
  }

  // The item; nullopt, or the reason it is refused (which a catalogue
  // without its texts leaves empty: the refusal stands all the same).
  std::optional<std::string> read(const pugi::xml_node& drive, DriveMap& m) {
    m.line = lineAt(xml, drive.offset_debug());
    m.disabled = drive.attribute("disabled").as_int() == 1;
    const pugi::xml_node p = drive.child("Properties");
    if (!p) return texts.msg(kMsgMapsNoProperties);
    const std::string action = p.attribute("action").as_string("U");
    if (action.size() != 1 || std::string_view("CRUD").find(action[0]) == std::string_view::npos) {
      return texts.msg(kMsgMapsBadAction, {shownText(action)});
    }
    m.action = action[0];
    m.useLetter = p.attribute("useLetter").as_string("1") != std::string("0");
    std::string letter = p.attribute("letter").as_string();
    if (letter.empty()) letter = std::string(drive.attribute("name").as_string()).substr(0, 1);
    if (letter.empty() && !m.useLetter) letter = "D";
    const char c = letter.size() == 1 ? static_cast<char>(letter[0] & ~0x20) : 0;
    if (c < 'A' || c > 'Z') return texts.msg(kMsgMapsBadLetter, {shownText(letter)});
    m.letter = c;
    m.path = trimSpaces(expand(p.attribute("path").as_string(), m.line));
    if (m.action != 'D' && isBlank(m.path)) return texts.msg(kMsgMapsNoPath, {action});
    if (const auto user = p.attribute("userName"); user && *user.as_string() != '\0') {
      m.userName = trimSpaces(expand(user.as_string(), m.line));
    }
    if (const char* secret = p.attribute("cpassword").as_string(); *secret != '\0') {
      m.password = decryptPassword(in.cipher, secret);
      if (!m.password) return texts.msg(kMsgMapsBadPassword);
      out.notes.push_back(texts.msg(kMsgMapsCpassword, {std::to_string(m.line)}));
    }
    // The label has no place in a letter's entry; its variables are still told.
    expand(p.attribute("label").as_string(), m.line);
    describeFilters(drive.child("Filters"), 0, m.filters);
    return std::nullopt;
  }
};

}  // namespace

std::string shownText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return out;
}

std::string expandVariables(std::string_view text, const std::map<std::string, std::string>& vars,
                            std::vector<std::string>& unknown) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find('%', i);
    const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out += text.substr(i, open - i);
    std::string name(text.substr(open + 1, close - open - 1));
    const bool word = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
      return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
    if (!word) {  // "50%" and the like: the first % is text, the second may open a name
      out += '%';
      i = open + 1;
      continue;
    }
    for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (const auto v = vars.find(name); v != vars.end()) {
      out += v->second;
    } else {
      out += text.substr(open, close - open + 1);
      if (std::find(unknown.begin(), unknown.end(), "%" + name + "%") == unknown.end()) {
        unknown.push_back("%" + name + "%");
      }
    }
    i = close + 1;
  }
  out += text.substr(std::min(i, text.size()));
  return out;
}

DriveMapsRead readDriveMaps(const Catalogue& texts, std::string_view xml,
                            const DriveMapsInputs& in) {
  DriveMapsRead out;
  const auto refuse = [&](int line, const std::string& why) {
    for (auto& item : out.items) {
      if (item.password) platform::wipe(*item.password);
    }
    out.items.clear();
    out.error = line > 0 ? texts.msg(kMsgMapsAtLine, {std::to_string(line), why}) : why;
    // Refused it stays, whatever texts the catalogue lacks.
    if (out.error.empty()) out.error = "Drives.xml:" + std::to_string(line);
    return out;
  };
  if (xml.size() > kDriveMapsMaxBytes) {
    return refuse(0, texts.msg(kMsgMapsTooBig, {std::to_string(kDriveMapsMaxBytes)}));
  }
  if (const std::size_t bad = utf8::firstInvalid(xml); bad != std::string_view::npos) {
    return refuse(lineAt(xml, static_cast<std::ptrdiff_t>(bad)),
                  texts.msg(kMsgMapsNotUtf8, {std::to_string(bad)}));
  }
  pugi::xml_document doc;
  const auto parsed = doc.load_buffer(xml.data(), xml.size(), pugi::parse_default & ~pugi::parse_pi,
                                      pugi::encoding_utf8);
  if (!parsed)
    return refuse(lineAt(xml, parsed.offset), texts.msg(kMsgMapsNotXml, {parsed.description()}));
  const pugi::xml_node root = doc.document_element();
  if (std::string_view(root.name()) != "Drives") {
    return refuse(lineAt(xml, root.offset_debug()), texts.msg(kMsgMapsNoDrives));
  }
  ItemReader reader{texts, xml, in, out};
  for (const pugi::xml_node& drive : root.children("Drive")) {
    if (out.items.size() == kDriveMapsMaxItems) {
      return refuse(lineAt(xml, drive.offset_debug()),
                    texts.msg(kMsgMapsTooMany, {std::to_string(kDriveMapsMaxItems)}));
    }
    DriveMap m;
    if (const auto why = reader.read(drive, m)) {
      if (m.password) platform::wipe(*m.password);
      return refuse(m.line, *why);
    }
    out.items.push_back(std::move(m));
  }
  return out;
}

}  // namespace quilbert::app
