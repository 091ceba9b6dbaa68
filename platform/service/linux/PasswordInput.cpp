#include "platform/service/PasswordInput.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

bool InputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool ReadHiddenLine(const std::string& prompt, std::string& line)
{
    termios before{};
    const bool terminal = tcgetattr(STDIN_FILENO, &before) == 0;
    if (terminal) {
        std::fputs(prompt.c_str(), stderr);
        termios hidden = before;
        hidden.c_lflag &= static_cast<tcflag_t>(~ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &before);
        std::fputs("\n", stderr);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return read;
}
