// The user's secret store, where the viewer keeps a camera's password when
// the person asks it to: the desktop's Secret Service (through libsecret)
// on Linux, the Credential Manager on Windows. One user name and password
// per camera origin ("http://host:port"); never a file of ours.
#pragma once

#include <string>

enum class SecretStoreResult {
    Done,     // kept, or found
    NotFound, // the store runs and holds nothing for the origin
    NoStore,  // no store runs (a server, a session without one)
};

// Keeps `user` and `password` for `origin`, in place of what it held.
SecretStoreResult KeepCameraPassword(const std::string& origin, const std::string& user, const std::string& password);
// The user name and password kept for `origin`.
SecretStoreResult FindCameraPassword(const std::string& origin, std::string& user, std::string& password);
