#pragma once

// Qt's own warnings ("QIODevice::write (QTcpSocket): device not open") are written for the
// developers of a program, not its users: the program reports every failure in its own words.
// From this call on they are kept off the terminal, or, when `show` holds (tracing), written
// to standard error marked as Qt's. Fatal messages still end the program as Qt's do.
void KeepQtMessagesOffTheTerminal(bool show);
