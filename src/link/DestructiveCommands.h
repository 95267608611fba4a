#pragma once
#include <QString>

// Raw command texts that cannot be undone: "^ld" leaves the amplifier waiting for firmware,
// "^ec" resets its configuration, "^em" erases the tuner's memories and "^ew" writes into its
// EEPROM. Every front end that sends a text typed by the user (the Command Tester, `qro4000
// send`) asks before sending one of these, with the question made here.
namespace DestructiveCommands {
// The warning text's string number for the first destructive command in `text` (0 when there is
// none); `command` gets that command ("^ec").
unsigned Warning(const QString& text, QString* command = nullptr);
// The question asked before `text` is sent: what its first destructive command does, then
// "Send … anyway?". Empty when nothing in the text needs a yes.
QString Question(const QString& text);
// The caption of that question.
QString Caption();
} // namespace DestructiveCommands
