#include "net/http_exchange.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace quilbert::net::http {

namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";

bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The value of header `name` in `head` (the lines after the status line).
std::optional<std::string_view> header(std::string_view head, std::string_view name) {
  std::size_t at = head.find("\r\n");
  while (at != std::string_view::npos && at + 2 < head.size()) {
    const std::size_t start = at + 2;
    const std::size_t end = head.find("\r\n", start);
    const std::string_view line =
        head.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (const std::size_t colon = line.find(':');
        colon != std::string_view::npos && sameText(line.substr(0, colon), name)) {
      std::string_view value = line.substr(colon + 1);
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
        value.remove_prefix(1);
      }
      while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
      return value;
    }
    at = end;
  }
  return std::nullopt;
}

bool chunked(std::string_view head) {
  const auto te = header(head, "Transfer-Encoding");
  return te && te->find("chunked") != std::string_view::npos;
}

// A chunk's size line: hexadecimal digits, then perhaps an extension. Sizes
// beyond the answer's cap are refused before any sum can wrap.
std::optional<std::size_t> chunkSize(std::string_view line) {
  std::size_t n = 0;
  std::size_t digits = 0;
  for (; digits < line.size(); ++digits) {
    const char c = line[digits];
    const int v = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
    if (v < 0) break;
    n = n * 16 + static_cast<std::size_t>(v);
    if (n > kMostAnswer) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  const std::string_view rest = line.substr(digits);
  if (!rest.empty() && rest.front() != ';' && rest.front() != ' ' && rest.front() != '\t') {
    return std::nullopt;
  }
  return n;
}

enum class Chunks { kWhole, kPartial, kMalformed };

// Walks the chunks of `body`, appending their data to `out` when given: the
// completeness test walks without copying, as it runs after every read.
Chunks dechunk(std::string_view body, std::string* out) {
  for (;;) {
    const std::size_t eol = body.find("\r\n");
    if (eol == std::string_view::npos) return Chunks::kPartial;
    const auto n = chunkSize(body.substr(0, eol));
    if (!n) return Chunks::kMalformed;
    body.remove_prefix(eol + 2);
    if (*n == 0) return Chunks::kWhole;
    if (body.size() < *n || body.size() - *n < 2) return Chunks::kPartial;
    if (body.substr(*n, 2) != "\r\n") return Chunks::kMalformed;
    if (out != nullptr) out->append(body.substr(0, *n));
    body.remove_prefix(*n + 2);
  }
}

// The announced length, or one past the cap for any larger one (the digits
// are not summed past it).
std::optional<std::size_t> contentLength(std::string_view head) {
  const auto value = header(head, "Content-Length");
  if (!value || value->empty()) return std::nullopt;
  std::size_t n = 0;
  for (char c : *value) {
    if (c < '0' || c > '9') return std::nullopt;
    n = std::min(n * 10 + static_cast<std::size_t>(c - '0'), kMostAnswer + 1);
  }
  return n;
}

// "HTTP/1.0 200" or "HTTP/1.1 200", then the end of the line or a reason.
bool statusOk(std::string_view head) {
  const std::string_view line = head.substr(0, head.find("\r\n"));
  constexpr std::string_view kOk10 = "HTTP/1.0 200";
  constexpr std::string_view kOk11 = "HTTP/1.1 200";
  const std::string_view start = line.substr(0, kOk11.size());
  if (start != kOk10 && start != kOk11) return false;
  return line.size() == kOk11.size() || line[kOk11.size()] == ' ';
}

}  // namespace

std::optional<Url> parseUrl(const std::string& url) {
  constexpr std::string_view kScheme = "http://";
  if (url.size() <= kScheme.size() || !sameText(std::string_view(url).substr(0, 7), kScheme)) {
    return std::nullopt;
  }
  std::string_view rest = std::string_view(url).substr(kScheme.size());
  const std::size_t slash = rest.find('/');
  std::string_view authority = rest.substr(0, slash);
  Url out;
  out.path = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
  for (const char c : out.path) {
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f) return std::nullopt;
  }
  std::string_view port;
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    out.host = authority.substr(1, close - 1);
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty() && after.front() != ':') return std::nullopt;
    if (!after.empty()) port = after.substr(1);
  } else {
    const std::size_t colon = authority.find(':');
    out.host = authority.substr(0, colon);
    if (colon != std::string_view::npos) port = authority.substr(colon + 1);
  }
  if (out.host.empty()) return std::nullopt;
  if (!port.empty()) {
    int n = 0;
    for (char c : port) {
      if (c < '0' || c > '9' || n > 65535) return std::nullopt;
      n = n * 10 + (c - '0');
    }
    if (n == 0 || n > 65535) return std::nullopt;
    out.port = n;
  }
  return out;
}

std::string soapPost(const Url& url, const std::string& body) {
  const bool v6 = url.host.find(':') != std::string::npos;
  // The zone of a link-local address stays on this side.
  const std::string host = v6 ? "[" + url.host.substr(0, url.host.find('%')) + "]" : url.host;
  return "POST " + url.path + " HTTP/1.1\r\nHost: " + host + ":" + std::to_string(url.port) +
         "\r\nContent-Type: application/soap+xml; charset=utf-8\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

bool complete(const std::string& response) {
  if (response.size() > kMostAnswer) return true;  // nothing more is read: okBody refuses it
  const std::size_t end = response.find(kHeaderEnd);
  if (end == std::string::npos) return false;
  const std::string_view head = std::string_view(response).substr(0, end);
  const std::string_view body = std::string_view(response).substr(end + kHeaderEnd.size());
  if (chunked(head)) return dechunk(body, nullptr) != Chunks::kPartial;
  if (const auto length = contentLength(head)) return body.size() >= *length;
  return false;
}

std::optional<std::string> okBody(const std::string& response) {
  if (response.size() > kMostAnswer) return std::nullopt;
  const std::size_t end = response.find(kHeaderEnd);
  if (end == std::string::npos) return std::nullopt;
  const std::string_view head = std::string_view(response).substr(0, end);
  const std::string_view body = std::string_view(response).substr(end + kHeaderEnd.size());
  if (!statusOk(head)) return std::nullopt;
  if (chunked(head)) {
    std::string out;
    if (dechunk(body, &out) != Chunks::kWhole) return std::nullopt;
    return out;
  }
  if (const auto length = contentLength(head)) {
    if (body.size() < *length) return std::nullopt;
    return std::string(body.substr(0, *length));
  }
  return std::string(body);
}

}  // namespace quilbert::net::http
