#include "host/core/serve/AddUser.h"

#include <cstdio>

#include <sodium.h>

#include "host/core/serve/Accounts.h"
#include "platform/service/PasswordInput.h"

int RunAddServeUser(const std::string& name, const std::string& usersFile)
{
    const std::filesystem::path file = usersFile.empty() ? DefaultServeUsersFile() : std::filesystem::path(usersFile);
    std::string password, again;
    if (!ReadHiddenLine("password for " + name + ": ", password)) {
        std::fprintf(stderr, "camview: no password given\n");
        return 2;
    }
    if (InputIsTerminal() && (!ReadHiddenLine("the same again: ", again) || again != password)) {
        sodium_memzero(password.data(), password.size());
        std::fprintf(stderr, "camview: the two passwords differ; nothing changed\n");
        return 2;
    }
    std::string error;
    const bool added = AddServeUser(file, name, password, error);
    sodium_memzero(password.data(), password.size());
    sodium_memzero(again.data(), again.size());
    if (!added) {
        std::fprintf(stderr, "camview: %s\n", error.c_str());
        return 2;
    }
    std::printf("camview: %s can log in to camview serve (users file %s)\n", name.c_str(), file.string().c_str());
    return 0;
}
