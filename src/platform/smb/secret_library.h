// libsecret, loaded at its first use: a start whose letters all hold their
// passwords never talks to the Secret Service.
#pragma once

#include <libsecret/secret.h>

#include <string>

namespace quilbert::smb {

struct SecretCalls {
  decltype(&secret_get_schema) getSchema;
  decltype(&secret_service_get_sync) serviceGet;
  decltype(&secret_service_search_sync) search;
  decltype(&secret_item_get_locked) itemLocked;
  decltype(&secret_item_get_secret) itemSecret;
  decltype(&secret_item_get_attributes) itemAttributes;
  decltype(&secret_item_get_modified) itemModified;
  decltype(&secret_value_get_text) valueText;
  decltype(&secret_value_unref) valueUnref;
  decltype(&secret_collection_for_alias_sync) collectionForAlias;
  decltype(&secret_collection_get_locked) collectionLocked;
  decltype(&secret_password_storev_sync) store;
  decltype(&secret_password_clearv_sync) clear;
};

// The calls, loading the library on the first call; null when it cannot be
// loaded, with the reason in `why`.
const SecretCalls* secretCalls(std::string* why = nullptr);

}  // namespace quilbert::smb
