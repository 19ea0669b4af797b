#include "platform/smb/secret_library.h"

#include "platform/lazy_library.h"

namespace quilbert::smb {

const SecretCalls* secretCalls(std::string* why) {
  static const platform::LibraryCalls<SecretCalls> calls(
      "libsecret-1.so.0", "libsecret-1-0", "the keyring library",
      [](platform::LazyLibrary& l, SecretCalls& c) {
        l.take("secret_get_schema", c.getSchema);
        l.take("secret_service_get_sync", c.serviceGet);
        l.take("secret_service_search_sync", c.search);
        l.take("secret_item_get_locked", c.itemLocked);
        l.take("secret_item_get_secret", c.itemSecret);
        l.take("secret_item_get_attributes", c.itemAttributes);
        l.take("secret_item_get_modified", c.itemModified);
        l.take("secret_value_get_text", c.valueText);
        l.take("secret_value_unref", c.valueUnref);
        l.take("secret_collection_for_alias_sync", c.collectionForAlias);
        l.take("secret_collection_get_locked", c.collectionLocked);
        l.take("secret_password_storev_sync", c.store);
        l.take("secret_password_clearv_sync", c.clear);
      });
  return calls.get(why);
}

}  // namespace quilbert::smb
