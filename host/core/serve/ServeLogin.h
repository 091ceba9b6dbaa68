// The service's logins over the users file (`camview serve --add-user`).
#pragma once

#include <memory>
#include <string>

#include "host/core/serve/ServeRoutes.h"

// The logins of `usersFile` (empty: the default file); null, saying why in
// `error`, when it cannot be read or names no user.
std::unique_ptr<ServeLogins> MakeServeLogins(const std::string& usersFile, std::string& error);
