// The camera passwords in the desktop's Secret Service (GNOME Keyring,
// KWallet...), through libsecret: one item per origin, with the origin and
// the user name as its attributes.
#include "platform/secrets/SecretStore.h"

#include <libsecret/secret.h>

#include <cstdlib>
#include <filesystem>

namespace {

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
    g_error_free(error);
    error = nullptr;
    return true;
}

} // namespace

SecretStoreResult KeepCameraPassword(const std::string& origin, const std::string& user, const std::string& password)
{
    if (!sessionBusNamed()) return SecretStoreResult::NoStore;
    GError* error = nullptr;
    // One user per origin: what was kept before goes.
    secret_password_clear_sync(cameraSchema(), nullptr, &error, "origin", origin.c_str(), nullptr);
    if (failed(error)) return SecretStoreResult::NoStore;
    const std::string label = "camview: " + user + " at " + origin;
    const gboolean kept = secret_password_store_sync(cameraSchema(), SECRET_COLLECTION_DEFAULT, label.c_str(),
                                                     password.c_str(), nullptr, &error, "origin", origin.c_str(), "user",
                                                     user.c_str(), nullptr);
    return failed(error) || !kept ? SecretStoreResult::NoStore : SecretStoreResult::Done;
}

SecretStoreResult FindCameraPassword(const std::string& origin, std::string& user, std::string& password)
{
    if (!sessionBusNamed()) return SecretStoreResult::NoStore;
    GError* error = nullptr;
    GList* items = secret_password_search_sync(cameraSchema(),
                                               static_cast<SecretSearchFlags>(SECRET_SEARCH_UNLOCK | SECRET_SEARCH_LOAD_SECRETS),
                                               nullptr, &error, "origin", origin.c_str(), nullptr);
    if (failed(error)) return SecretStoreResult::NoStore;
    SecretStoreResult result = SecretStoreResult::NotFound;
    if (items) {
        auto* item = static_cast<SecretRetrievable*>(items->data);
        GHashTable* attributes = secret_retrievable_get_attributes(item);
        const auto* name = attributes ? static_cast<const char*>(g_hash_table_lookup(attributes, "user")) : nullptr;
        SecretValue* value = secret_retrievable_retrieve_secret_sync(item, nullptr, &error);
        const char* text = value ? secret_value_get_text(value) : nullptr;
        if (!failed(error) && name && text) {
            user = name;
            password = text;
            result = SecretStoreResult::Done;
        }
        if (value) secret_value_unref(value);
        if (attributes) g_hash_table_unref(attributes);
        g_list_free_full(items, g_object_unref);
    }
    return result;
}
