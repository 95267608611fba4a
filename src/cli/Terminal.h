#pragma once

// Whether standard input or standard error is a terminal: a question can be answered there, a
// progress line can be drawn over. The command line's one question to the operating system
// about its terminal, so a port to another system changes this file alone.
namespace Terminal {
bool StdinIsTerminal();
bool StderrIsTerminal();
} // namespace Terminal
