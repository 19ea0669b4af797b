#include "platform/linux/registry_store.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace quilbert::platform::posix {

namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegDword = 4;

struct RootEntry {
  std::uint32_t handle;
  const char* name;
};
constexpr std::array<RootEntry, 5> kRoots{{{0x80000000U, "HKEY_CLASSES_ROOT"},
                                           {0x80000001U, "HKEY_CURRENT_USER"},
                                           {0x80000002U, "HKEY_LOCAL_MACHINE"},
                                           {0x80000003U, "HKEY_USERS"},
                                           {0x80000005U, "HKEY_CURRENT_CONFIG"}}};

const char kHex[] = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Length of a well-formed UTF-8 sequence of a visible character at `i`, else 0.
std::size_t utf8Length(const std::string& s, std::size_t i) {
  auto lead = static_cast<unsigned char>(s[i]);
  std::size_t length = 0;
  std::uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1FU;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0FU;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07U;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    auto next = static_cast<unsigned char>(s[i + k]);
    if ((next & 0xC0U) != 0x80U) return 0;
    code = (code << 6U) | (next & 0x3FU);
  }
  if (length == 2 && code < 0xA0) return 0;  // C1 controls are invisible: escape them
  if (length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) return 0;
  if (length == 4 && (code < 0x10000 || code > 0x10FFFF)) return 0;
  return length;
}

void appendHexByte(std::string& out, char prefix, unsigned char byte) {
  out += prefix;
  if (prefix == '\\') out += 'x';
  out += kHex[byte >> 4U];
  out += kHex[byte & 0x0FU];
}

std::string quote(const std::string& bytes) {
  std::string out = "\"";
  for (std::size_t i = 0; i < bytes.size();) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    char c = bytes[i];
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '\0') {
      out += "\\0";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += c;
    } else if (std::size_t n = utf8Length(bytes, i); n > 0) {
      out.append(bytes, i, n);
      i += n;
      continue;
    } else {
      appendHexByte(out, '\\', byte);
    }
    ++i;
  }
  return out + '"';
}

std::string escapeComponent(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size();) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x20 && byte < 0x7F && bytes[i] != '%') {
      out += bytes[i++];
    } else if (std::size_t n = utf8Length(bytes, i); n > 0) {
      out.append(bytes, i, n);
      i += n;
    } else {
      appendHexByte(out, '%', byte);
      ++i;
    }
  }
  return out;
}

std::string formatType(const StoredValue& value) {
  if (value.type == kRegDword && value.data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) {
      number = (number << 8U) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", number);
    return std::string("dword:") + text;
  }
  std::string name = value.type == kRegSz      ? "sz"
                     : value.type == kRegDword ? "dword"
                                               : std::to_string(value.type);
  return name + ":" + quote(value.data);
}

// Reads one line of the store; every method reports what went wrong in error_.
class LineReader {
 public:
  explicit LineReader(const std::string& line) : line_(line) {}

  void skipBlanks() {
    while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t')) ++pos_;
  }
  bool atEnd() {
    skipBlanks();
    return pos_ == line_.size();
  }
  bool expect(char c) {
    skipBlanks();
    if (pos_ < line_.size() && line_[pos_] == c) {
      ++pos_;
      return true;
    }
    return fail(std::string("expected ") + c);
  }
  bool quoted(std::string& out) {
    out.clear();
    if (!expect('"')) return false;
    while (pos_ < line_.size()) {
      char c = line_[pos_++];
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ == line_.size()) break;
      char e = line_[pos_++];
      switch (e) {
        case '\\':
        case '"':
          out += e;
          break;
        case '0':
          out += '\0';
          break;
        case 't':
          out += '\t';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 'x': {
          int high = pos_ + 1 < line_.size() ? hexValue(line_[pos_]) : -1;
          int low = high >= 0 ? hexValue(line_[pos_ + 1]) : -1;
          if (low < 0) return fail("\\x needs two hexadecimal digits");
          out += static_cast<char>(high * 16 + low);
          pos_ += 2;
          break;
        }
        default:
          return fail(std::string("unknown escape \\") + e);
      }
    }
    return fail("unterminated quoted text");
  }
  std::string token() {
    skipBlanks();
    std::size_t start = pos_;
    while (pos_ < line_.size() && line_[pos_] != ':' && line_[pos_] != ' ' && line_[pos_] != '"') {
      ++pos_;
    }
    return line_.substr(start, pos_ - start);
  }
  bool hexNumber(std::uint32_t& number) {
    skipBlanks();
    if (line_.compare(pos_, 2, "0x") != 0 && line_.compare(pos_, 2, "0X") != 0) {
      return fail("expected a number such as 0x00000001");
    }
    pos_ += 2;
    std::size_t digits = 0;
    number = 0;
    for (; pos_ < line_.size() && hexValue(line_[pos_]) >= 0; ++pos_, ++digits) {
      number = (number << 4U) | static_cast<std::uint32_t>(hexValue(line_[pos_]));
    }
    if (digits == 0 || digits > 8) return fail("a dword has one to eight hexadecimal digits");
    return true;
  }
  [[nodiscard]] char peek() const { return pos_ < line_.size() ? line_[pos_] : '\0'; }
  bool fail(std::string what) {
    if (error_.empty()) error_ = std::move(what);
    return false;
  }
  [[nodiscard]] const std::string& error() const { return error_; }

 private:
  const std::string& line_;
  std::size_t pos_ = 0;
  std::string error_;
};

bool parseType(const std::string& token, std::uint32_t& type) {
  std::string folded = foldCase(token);
  if (folded == "sz") {
    type = kRegSz;
    return true;
  }
  if (folded == "dword") {
    type = kRegDword;
    return true;
  }
  if (token.empty() || token.size() > 10 ||
      !std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  std::uint64_t number = std::stoull(token);
  if (number > 0xFFFFFFFFULL) return false;
  type = static_cast<std::uint32_t>(number);
  return true;
}

// A header's full path, or an empty string and a reason.
std::string parseHeader(const std::string& line, std::string& error) {
  auto open = line.find('[');
  auto close = line.rfind(']');
  if (close == std::string::npos || close < open) {
    error = "a key header needs a closing ]";
    return {};
  }
  if (line.find_first_not_of(" \t", close + 1) != std::string::npos) {
    error = "text after the key header";
    return {};
  }
  std::string inside = line.substr(open + 1, close - open - 1);
  std::string path;
  std::size_t start = 0;
  bool first = true;
  while (start <= inside.size()) {
    auto end = std::min(inside.find('\\', start), inside.size());
    std::string raw = inside.substr(start, end - start);
    start = end + 1;
    std::string component;
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != '%') {
        component += raw[i];
        continue;
      }
      int high = i + 2 < raw.size() ? hexValue(raw[i + 1]) : -1;
      int low = high >= 0 ? hexValue(raw[i + 2]) : -1;
      if (low < 0) {
        error = "% in a key name needs two hexadecimal digits";
        return {};
      }
      component += static_cast<char>(high * 16 + low);
      i += 2;
    }
    if (component.empty()) {
      error = "empty key name in the header";
      return {};
    }
    if (first) {
      auto root = std::find_if(kRoots.begin(), kRoots.end(), [&](const RootEntry& r) {
        return foldCase(r.name) == foldCase(component);
      });
      if (root == kRoots.end()) {
        error = "unknown root key " + component;
        return {};
      }
      path = root->name;
      first = false;
    } else {
      path += '\\' + component;
    }
  }
  return path;
}

}  // namespace

std::string foldCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string rootName(std::uint32_t root) {
  for (const auto& entry : kRoots) {
    if (entry.handle == root) return entry.name;
  }
  return {};
}

std::string joinKeyPath(const std::string& base, const std::string& subKey) {
  std::string path = base;
  std::size_t start = 0;
  while (start <= subKey.size()) {
    auto end = std::min(subKey.find('\\', start), subKey.size());
    if (end > start) path += '\\' + subKey.substr(start, end - start);
    start = end + 1;
  }
  return path;
}

StoredValue* StoredKey::findValue(const std::string& name) {
  std::string folded = foldCase(name);
  auto found = std::find_if(values.begin(), values.end(),
                            [&](const StoredValue& v) { return foldCase(v.name) == folded; });
  return found == values.end() ? nullptr : &*found;
}

const StoredValue* StoredKey::findValue(const std::string& name) const {
  return const_cast<StoredKey*>(this)->findValue(name);  // NOLINT: same lookup, read-only use
}

void StoredKey::setValue(const std::string& name, std::uint32_t type, const std::string& data) {
  if (StoredValue* existing = findValue(name)) {
    existing->type = type;
    existing->data = data;  // the name keeps the spelling it was created with, as on Windows
  } else {
    values.push_back({name, type, data});
  }
}

bool StoredKey::removeValue(const std::string& name) {
  std::string folded = foldCase(name);
  auto found = std::find_if(values.begin(), values.end(),
                            [&](const StoredValue& v) { return foldCase(v.name) == folded; });
  if (found == values.end()) return false;
  values.erase(found);
  return true;
}

StoredKey* KeyTable::find(const std::string& fullPath) {
  auto found = keys_.find(foldCase(fullPath));
  return found == keys_.end() ? nullptr : &found->second;
}

const StoredKey* KeyTable::find(const std::string& fullPath) const {
  auto found = keys_.find(foldCase(fullPath));
  return found == keys_.end() ? nullptr : &found->second;
}

StoredKey& KeyTable::create(const std::string& fullPath) {
  for (auto slash = fullPath.find('\\'); slash != std::string::npos;
       slash = fullPath.find('\\', slash + 1)) {
    std::string parent = fullPath.substr(0, slash);
    keys_.try_emplace(foldCase(parent), StoredKey{parent, {}});
  }
  return keys_.try_emplace(foldCase(fullPath), StoredKey{fullPath, {}}).first->second;
}

bool KeyTable::hasSubKeys(const std::string& fullPath) const {
  std::string prefix = foldCase(fullPath) + '\\';
  auto next = keys_.lower_bound(prefix);
  return next != keys_.end() && next->first.compare(0, prefix.size(), prefix) == 0;
}

std::string formatStore(const KeyTable& table) {
  std::string out =
      "# Quilbert registry store: keys in [brackets], then their values as \"name\" = type:data.\n"
      "# Change it only while the program is not running.\n";
  for (const auto& [folded, key] : table.keys()) {
    // Keys that only lead to others are implied by their sub-keys.
    if (key.values.empty() && table.hasSubKeys(key.path)) continue;
    out += "\n[";
    std::size_t start = 0;
    bool first = true;
    while (start <= key.path.size()) {
      auto end = std::min(key.path.find('\\', start), key.path.size());
      if (!first) out += '\\';
      out += escapeComponent(key.path.substr(start, end - start));
      first = false;
      start = end + 1;
    }
    out += "]\n";
    for (const auto& value : key.values) {
      out += quote(value.name) + " = " + formatType(value) + "\n";
    }
  }
  return out;
}

ParsedStore parseStore(const std::string& text) {
  ParsedStore parsed;
  std::string current;  // full path of the key being read; empty after a bad header
  bool inBadKey = false;
  std::size_t number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    auto problem = [&](const std::string& what) {
      parsed.problems.push_back("line " + std::to_string(number) + ": " + what);
    };

    if (line[first] == '[') {
      std::string error;
      current = parseHeader(line, error);
      inBadKey = current.empty();
      if (inBadKey) {
        problem(error + "; its values are skipped");
      } else {
        parsed.table.create(current);
      }
      continue;
    }
    if (line[first] != '"') {
      problem("neither a [key] nor a \"value\" line");
      continue;
    }
    if (inBadKey) continue;  // reported with its header
    if (current.empty()) {
      problem("a value before the first [key]");
      continue;
    }
    LineReader reader(line);
    StoredValue value;
    std::string typeToken;
    bool ok = reader.quoted(value.name) && reader.expect('=');
    if (ok) {
      typeToken = reader.token();
      ok = parseType(typeToken, value.type) || reader.fail("unknown value type " + typeToken);
    }
    ok = ok && reader.expect(':');
    if (ok && value.type == kRegDword && reader.peek() != '"') {
      std::uint32_t number32 = 0;
      ok = reader.hexNumber(number32);
      for (int i = 0; i < 4; ++i) value.data += static_cast<char>((number32 >> (8U * i)) & 0xFFU);
    } else if (ok) {
      ok = reader.quoted(value.data);
    }
    ok = ok && (reader.atEnd() || reader.fail("text after the value"));
    if (!ok) {
      problem(reader.error());
      continue;
    }
    parsed.table.find(current)->setValue(value.name, value.type, value.data);
  }
  return parsed;
}

}  // namespace quilbert::platform::posix
