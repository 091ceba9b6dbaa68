#include "platform/service/PasswordInput.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace {

// The terminal as it was, put back should the program be interrupted while
// echo is off (Ctrl-C at the prompt must not leave a terminal that shows
// nothing typed).
termios g_before{};
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void restoreAndDie(int signal)
{
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_before);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

} // namespace

bool InputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool ReadHiddenLine(const std::string& prompt, std::string& line)
{
    termios before{};
    const bool terminal = tcgetattr(STDIN_FILENO, &before) == 0;
    struct sigaction previous[std::size(kInterrupts)] {};
    if (terminal) {
        std::fputs(prompt.c_str(), stderr);
        g_before = before;
        struct sigaction restore {};
        restore.sa_handler = restoreAndDie;
        sigemptyset(&restore.sa_mask);
        for (std::size_t i = 0; i < std::size(kInterrupts); ++i) sigaction(kInterrupts[i], &restore, &previous[i]);
        termios hidden = before;
        hidden.c_lflag &= static_cast<tcflag_t>(~ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &before);
        for (std::size_t i = 0; i < std::size(kInterrupts); ++i) sigaction(kInterrupts[i], &previous[i], nullptr);
        std::fputs("\n", stderr);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return read;
}
