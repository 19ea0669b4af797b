#include "platform/smb/secret_library.h"

#include "platform/smb/lazy_library.h"

namespace quilbert::smb {

namespace {

struct Loaded {
  SecretCalls calls{};
  std::string why;
};

Loaded load() {
  LazyLibrary library("libsecret-1.so.0", "libsecret-1-0");
  Loaded l;
  SecretCalls& c = l.calls;
  library.take("secret_get_schema", c.getSchema);
  library.take("secret_service_get_sync", c.serviceGet);
  library.take("secret_service_search_sync", c.search);
  library.take("secret_item_get_locked", c.itemLocked);
  library.take("secret_item_get_secret", c.itemSecret);
  library.take("secret_item_get_attributes", c.itemAttributes);
  library.take("secret_item_get_modified", c.itemModified);
  library.take("secret_value_get_text", c.valueText);
  library.take("secret_value_unref", c.valueUnref);
  library.take("secret_collection_for_alias_sync", c.collectionForAlias);
  library.take("secret_collection_get_locked", c.collectionLocked);
  library.take("secret_password_storev_sync", c.store);
  library.take("secret_password_clearv_sync", c.clear);
  if (!library.ok()) l.why = "the keyring library cannot be loaded (" + library.why() + ")";
  return l;
}

}  // namespace

const SecretCalls* secretCalls(std::string* why) {
  static const Loaded loaded = load();
  if (why != nullptr) *why = loaded.why;
  return loaded.why.empty() ? &loaded.calls : nullptr;
}

}  // namespace quilbert::smb
