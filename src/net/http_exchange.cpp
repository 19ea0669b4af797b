#include "net/http_exchange.h"

#include <cctype>
#include <cstdlib>
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

// The de-chunked body, or nullopt while (or when) its chunks are not whole.
std::optional<std::string> dechunk(std::string_view body) {
  std::string out;
  for (;;) {
    const std::size_t eol = body.find("\r\n");
    if (eol == std::string_view::npos) return std::nullopt;
    char* end = nullptr;
    const std::string size(body.substr(0, eol));
    const unsigned long n = std::strtoul(size.c_str(), &end, 16);
    if (end == size.c_str()) return std::nullopt;
    body.remove_prefix(eol + 2);
    if (n == 0) return out;
    if (body.size() < n + 2) return std::nullopt;
    out.append(body.substr(0, n));
    body.remove_prefix(n + 2);
  }
}

std::optional<std::size_t> contentLength(std::string_view head) {
  const auto value = header(head, "Content-Length");
  if (!value || value->empty()) return std::nullopt;
  std::size_t n = 0;
  for (char c : *value) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  return n;
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
  const std::size_t end = response.find(kHeaderEnd);
  if (end == std::string::npos) return false;
  const std::string_view head = std::string_view(response).substr(0, end);
  const std::string_view body = std::string_view(response).substr(end + kHeaderEnd.size());
  if (chunked(head)) return dechunk(body).has_value();
  if (const auto length = contentLength(head)) return body.size() >= *length;
  return false;
}

std::optional<std::string> okBody(const std::string& response) {
  const std::size_t end = response.find(kHeaderEnd);
  if (end == std::string::npos) return std::nullopt;
  const std::string_view head = std::string_view(response).substr(0, end);
  const std::string_view body = std::string_view(response).substr(end + kHeaderEnd.size());
  // "HTTP/1.1 200 OK"
  const std::size_t space = head.find(' ');
  if (head.substr(0, 5) != "HTTP/" || space == std::string_view::npos ||
      head.substr(space + 1, 3) != "200") {
    return std::nullopt;
  }
  if (chunked(head)) return dechunk(body);
  if (const auto length = contentLength(head)) {
    if (body.size() < *length) return std::nullopt;
    return std::string(body.substr(0, *length));
  }
  return std::string(body);
}

}  // namespace quilbert::net::http
