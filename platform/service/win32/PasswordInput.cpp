#include "platform/service/PasswordInput.h"

#include <windows.h>

#include <cstdio>
#include <iostream>

bool InputIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool ReadHiddenLine(const std::string& prompt, std::string& line)
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD before = 0;
    const bool console = GetConsoleMode(input, &before) != 0;
    if (console) {
        std::fputs(prompt.c_str(), stderr);
        SetConsoleMode(input, before & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    }
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (console) {
        SetConsoleMode(input, before);
        std::fputs("\n", stderr);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return read;
}
