#include "platform/smb/name_lookup.h"

#include "platform/smb/glib_loop.h"

namespace quilbert::smb {

NameLookup lookUpName(const std::string& name, int timeoutMs) {
  NameLookup result;
  if (g_hostname_is_ip_address(name.c_str())) {
    result.outcome = NameLookup::Outcome::Found;
    result.addresses.push_back(name);
    return result;
  }
  PrivateLoop loop;
  GPtr<GResolver> resolver(g_resolver_get_default());
  GPtr<GCancellable> cancel(g_cancellable_new());
  struct Done {
    bool done = false;
    GList* addresses = nullptr;
    GError* error = nullptr;
  } state;
  // The lookup runs in GLib's resolver thread; cancelled, it answers at once
  // and the thread's late result is dropped.
  g_resolver_lookup_by_name_async(
      resolver.get(), name.c_str(), cancel.get(),
      [](GObject* source, GAsyncResult* r, gpointer data) {
        auto* s = static_cast<Done*>(data);
        s->addresses = g_resolver_lookup_by_name_finish(G_RESOLVER(source), r, &s->error);
        s->done = true;
      },
      &state);
  loop.runUntil(state.done, cancel.get(), timeoutMs);
  if (state.error != nullptr) {
    ErrorPtr error(state.error);
    // A temporary failure (EAI_AGAIN) is no answer, not a missing name.
    if (error->domain == G_RESOLVER_ERROR && error->code != G_RESOLVER_ERROR_TEMPORARY_FAILURE) {
      result.outcome = NameLookup::Outcome::NotFound;
    }
    return result;
  }
  for (GList* a = state.addresses; a != nullptr; a = a->next) {
    gchar* text = g_inet_address_to_string(G_INET_ADDRESS(a->data));
    result.addresses.emplace_back(text);
    g_free(text);
  }
  g_resolver_free_addresses(state.addresses);
  result.outcome =
      result.addresses.empty() ? NameLookup::Outcome::NotFound : NameLookup::Outcome::Found;
  return result;
}

}  // namespace quilbert::smb
