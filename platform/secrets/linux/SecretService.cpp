// The camera passwords in the desktop's Secret Service (GNOME Keyring,
// KWallet...), through libsecret: one item per origin, with the origin and
// the user name as its attributes.
#include "platform/secrets/SecretStore.h"

#include <dlfcn.h>
#include <libsecret/secret.h>

#include <cstdlib>
#include <filesystem>

namespace {

// libsecret, and GLib below it, are loaded the first time a password is
// kept or looked for, not at start: most runs never touch the store, and
// the two bring a dozen libraries into every viewer's start otherwise.
struct SecretCalls {
    decltype(&secret_password_clear_sync) clearSync = nullptr;
    decltype(&secret_password_store_sync) storeSync = nullptr;
    decltype(&secret_password_search_sync) searchSync = nullptr;
    decltype(&secret_retrievable_get_attributes) getAttributes = nullptr;
    decltype(&secret_retrievable_retrieve_secret_sync) retrieveSync = nullptr;
    decltype(&secret_value_get_text) valueText = nullptr;
    decltype(&secret_value_unref) valueUnref = nullptr;
    decltype(&g_error_free) errorFree = nullptr;
    decltype(&g_hash_table_lookup) tableLookup = nullptr;
    decltype(&g_hash_table_unref) tableUnref = nullptr;
    decltype(&g_list_free_full) listFreeFull = nullptr;
    decltype(&g_object_unref) objectUnref = nullptr;
    bool loaded = false;
};

template <class F>
bool find(void* library, const char* name, F& slot)
{
    slot = reinterpret_cast<F>(dlsym(library, name));
    return slot != nullptr;
}

// The calls, or none (loaded false) when the library is not installed.
const SecretCalls& secretCalls()
{
    static const SecretCalls calls = [] {
        SecretCalls c;
        void* library = dlopen("libsecret-1.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) return c;
        c.loaded = find(library, "secret_password_clear_sync", c.clearSync) &
                   find(library, "secret_password_store_sync", c.storeSync) &
                   find(library, "secret_password_search_sync", c.searchSync) &
                   find(library, "secret_retrievable_get_attributes", c.getAttributes) &
                   find(library, "secret_retrievable_retrieve_secret_sync", c.retrieveSync) &
                   find(library, "secret_value_get_text", c.valueText) & find(library, "secret_value_unref", c.valueUnref) &
                   find(library, "g_error_free", c.errorFree) & find(library, "g_hash_table_lookup", c.tableLookup) &
                   find(library, "g_hash_table_unref", c.tableUnref) & find(library, "g_list_free_full", c.listFreeFull) &
                   find(library, "g_object_unref", c.objectUnref);
        return c;
    }();
    return calls;
}

const SecretSchema* cameraSchema()
{
    static const SecretSchema schema = {
        "org.camview.CameraPassword",
        SECRET_SCHEMA_NONE,
        {{"origin", SECRET_SCHEMA_ATTRIBUTE_STRING},
         {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
         {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return &schema;
}

// A Secret Service is reached over the session's message bus; without a
// bus, libsecret would try to start one, which a server cannot.
bool sessionBusNamed()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    return runtime && *runtime && std::filesystem::exists(std::filesystem::path(runtime) / "bus", error);
}

bool failed(GError*& error)
{
    if (!error) return false;
    secretCalls().errorFree(error);
    error = nullptr;
    return true;
}

} // namespace

SecretStoreResult KeepCameraPassword(const std::string& origin, const std::string& user, const std::string& password)
{
    const SecretCalls& c = secretCalls();
    if (!c.loaded || !sessionBusNamed()) return SecretStoreResult::NoStore;
    GError* error = nullptr;
    // One user per origin: what was kept before goes.
    c.clearSync(cameraSchema(), nullptr, &error, "origin", origin.c_str(), nullptr);
    if (failed(error)) return SecretStoreResult::NoStore;
    const std::string label = "camview: " + user + " at " + origin;
    const gboolean kept = c.storeSync(cameraSchema(), SECRET_COLLECTION_DEFAULT, label.c_str(),
                                                     password.c_str(), nullptr, &error, "origin", origin.c_str(), "user",
                                                     user.c_str(), nullptr);
    return failed(error) || !kept ? SecretStoreResult::NoStore : SecretStoreResult::Done;
}

SecretStoreResult FindCameraPassword(const std::string& origin, std::string& user, std::string& password)
{
    const SecretCalls& c = secretCalls();
    if (!c.loaded || !sessionBusNamed()) return SecretStoreResult::NoStore;
    GError* error = nullptr;
    GList* items = c.searchSync(cameraSchema(),
                                               static_cast<SecretSearchFlags>(SECRET_SEARCH_UNLOCK | SECRET_SEARCH_LOAD_SECRETS),
                                               nullptr, &error, "origin", origin.c_str(), nullptr);
    if (failed(error)) return SecretStoreResult::NoStore;
    SecretStoreResult result = SecretStoreResult::NotFound;
    if (items) {
        auto* item = static_cast<SecretRetrievable*>(items->data);
        GHashTable* attributes = c.getAttributes(item);
        const auto* name = attributes ? static_cast<const char*>(c.tableLookup(attributes, "user")) : nullptr;
        SecretValue* value = c.retrieveSync(item, nullptr, &error);
        const char* text = value ? c.valueText(value) : nullptr;
        if (!failed(error) && name && text) {
            user = name;
            password = text;
            result = SecretStoreResult::Done;
        }
        if (value) c.valueUnref(value);
        if (attributes) c.tableUnref(attributes);
        c.listFreeFull(items, c.objectUnref);
    }
    return result;
}
