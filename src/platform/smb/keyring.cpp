#include "platform/smb/keyring.h"

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>

#include "platform/secret.h"
#include "platform/smb/kerberos_ticket.h"
#include "platform/smb/secret_library.h"

namespace quilbert::smb {

namespace {

using platform::StoredPassword;

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The attributes the file manager saves and looks up with (never the share:
// one password per server and user).
struct Attributes {
  std::string server, user, domain, port;
  GHashTable* table = g_hash_table_new(g_str_hash, g_str_equal);

  Attributes(const std::string& s, const std::string& login, int p) : server(lower(s)) {
    const std::size_t slash = login.find('\\');
    user = slash == std::string::npos ? login : login.substr(slash + 1);
    if (slash != std::string::npos) domain = login.substr(0, slash);
    if (p != 0 && p != 445) port = std::to_string(p);
    add("protocol", "smb");
    add("server", server.c_str());
    add("user", user.c_str());
    if (!domain.empty()) add("domain", domain.c_str());
    if (!port.empty()) add("port", port.c_str());
  }
  ~Attributes() { g_hash_table_unref(table); }
  Attributes(const Attributes&) = delete;
  Attributes& operator=(const Attributes&) = delete;
  void add(const char* name, const char* value) {
    g_hash_table_insert(table, const_cast<char*>(name), const_cast<char*>(value));
  }
  // The label the file manager gives: user@server[:port].
  [[nodiscard]] std::string label() const {
    return user + "@" + server + (port.empty() ? "" : ":" + port);
  }
};

std::string errorText(GError* error, const char* fallback) {
  std::string text = error != nullptr && error->message != nullptr ? error->message : fallback;
  if (error != nullptr) g_error_free(error);
  return text;
}

// The service, without opening a session when none answers; null with `why`.
SecretService* service(const SecretCalls& c, std::string& why) {
  GError* error = nullptr;
  SecretService* s = c.serviceGet(SECRET_SERVICE_OPEN_SESSION, nullptr, &error);
  if (s == nullptr) why = "no keyring answers: " + errorText(error, "no Secret Service");
  return s;
}

// Among several items the file manager takes the one with the fewest
// attributes, the newest on a tie; an unlocked one before any locked one.
SecretItem* bestItem(const SecretCalls& c, GList* items) {
  SecretItem* best = nullptr;
  auto key = [&c](SecretItem* item) {
    GHashTable* attributes = c.itemAttributes(item);
    const guint count = g_hash_table_size(attributes);
    g_hash_table_unref(attributes);
    return std::make_tuple(c.itemLocked(item) ? 1 : 0, count, ~c.itemModified(item));
  };
  for (GList* l = items; l != nullptr; l = l->next) {
    auto* item = static_cast<SecretItem*>(l->data);
    if (best == nullptr || key(item) < key(best)) best = item;
  }
  return best;
}

}  // namespace

StoredPassword Keyring::lookup(const std::string& server, const std::string& login) {
  StoredPassword found;
  std::string why;
  const SecretCalls* c = secretCalls(&why);
  SecretService* s = c != nullptr ? service(*c, why) : nullptr;
  if (s == nullptr) {
    found.state = StoredPassword::State::Unavailable;
    found.reason = why;
    return found;
  }
  const Attributes attributes(server, login, port_);
  GError* error = nullptr;
  // No SECRET_SEARCH_UNLOCK: unlocking would raise a prompt.
  GList* items =
      c->search(s, c->getSchema(SECRET_SCHEMA_TYPE_COMPAT_NETWORK), attributes.table,
                static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS),
                nullptr, &error);
  if (error != nullptr) {
    found.state = StoredPassword::State::Unavailable;
    found.reason = "the keyring did not answer: " + errorText(error, "");
  } else if (SecretItem* item = bestItem(*c, items); item == nullptr) {
    found.state = StoredPassword::State::Missing;
  } else if (c->itemLocked(item)) {
    found.state = StoredPassword::State::Locked;
  } else if (SecretValue* value = c->itemSecret(item); value != nullptr) {
    const gchar* text = c->valueText(value);
    found.state = text != nullptr ? StoredPassword::State::Found : StoredPassword::State::Missing;
    if (text != nullptr) found.password = text;
    c->valueUnref(value);
  }
  g_list_free_full(items, g_object_unref);
  g_object_unref(s);
  return found;
}

std::string Keyring::save(const std::string& server, const std::string& login,
                          const std::string& password) {
  std::string why;
  const SecretCalls* c = secretCalls(&why);
  SecretService* s = c != nullptr ? service(*c, why) : nullptr;
  if (s == nullptr) return why;
  // Storing into a locked collection would raise a prompt: refused instead.
  GError* error = nullptr;
  SecretCollection* collection =
      c->collectionForAlias(s, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, nullptr, &error);
  g_object_unref(s);
  if (collection == nullptr) {
    return "the keyring has no default collection" +
           (error != nullptr ? ": " + errorText(error, "") : std::string());
  }
  const bool locked = c->collectionLocked(collection);
  g_object_unref(collection);
  if (locked) return "the keyring is locked";
  const Attributes attributes(server, login, port_);
  if (c->store(c->getSchema(SECRET_SCHEMA_TYPE_COMPAT_NETWORK), attributes.table,
               SECRET_COLLECTION_DEFAULT, attributes.label().c_str(), password.c_str(), nullptr,
               &error) == FALSE) {
    return "the keyring refused it: " + errorText(error, "");
  }
  return {};
}

bool Keyring::ticketFor(const std::string& login) const {
  return kerberosTicketFor(login);
}

std::string Keyring::remove(const std::string& server, const std::string& login) {
  std::string why;
  const SecretCalls* c = secretCalls(&why);
  if (c == nullptr) return why;
  const Attributes attributes(server, login, port_);
  GError* error = nullptr;
  c->clear(c->getSchema(SECRET_SCHEMA_TYPE_COMPAT_NETWORK), attributes.table, nullptr, &error);
  return error != nullptr ? "the keyring did not forget it: " + errorText(error, "") : "";
}

}  // namespace quilbert::smb
