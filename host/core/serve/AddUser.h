// camview serve --add-user NAME: a login added to the users file.
#pragma once

#include <string>

// Asks the password twice on the terminal (or reads one line of standard
// input), adds it, says what it did; the exit status.
int RunAddServeUser(const std::string& name, const std::string& usersFile);
