#pragma once
// What the station server knows of the amplifier's commands: where one ends, whether the
// amplifier answers it and how long that answer may take, and what it does to the line. Pure
// functions on bytes.
#include "model/Types.h"
#include <QByteArrayView>

namespace LineCommand {
// An answered command the table does not name waits this long for its ";" answer.
constexpr DWORD kUnknownWaitMs = 4000;
// The known queries answer within the program's 500 ms time-out; twice that lets a slow line
// finish an answer before the next client's command goes out.
constexpr DWORD kQueryWaitMs = 1000;
// Block reads and writes answer within the configuration machines' 4000 ms time-out.
constexpr DWORD kBlockWaitMs = 4000;
// The revision query sent after an ATU memory erase answers once the erase is done.
constexpr DWORD kEraseWaitMs = 5000;

enum class Effect {
    None,
    EnterBootLoader, // "^ld;": the amplifier leaves its application for the boot loader
    PowerOff, // "^on0;"
    PowerOn, // "^on1;"
    PowerQuery, // "^on;"
    Speed, // "^BRn;": the amplifier changes its serial speed once the command is complete
    EraseMemory, // "^em…;": the next "^rv;" answers only when the erase is done
};

struct Rule {
    bool answered = true;
    DWORD waitMs = kUnknownWaitMs;
    Effect effect = Effect::None;
    DWORD speed = 0; // for Effect::Speed
};

// The length of the first command in `bytes` (up to and including its ";"), 0 when it is not
// complete yet.
qsizetype CommandLength(QByteArrayView bytes);

// The rule for one complete command. `afterErase`: the same client's previous command was an
// ATU memory erase.
Rule Classify(QByteArrayView command, bool afterErase);
} // namespace LineCommand
