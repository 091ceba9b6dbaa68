// A password typed by a person at the terminal, not shown as it is typed;
// or, when standard input is no terminal (a script), its first line.
#pragma once

#include <string>

// Whether standard input is a terminal.
bool InputIsTerminal();
// Prints `prompt` on the terminal and reads a line with echo off; false at
// the end of input.
bool ReadHiddenLine(const std::string& prompt, std::string& line);
