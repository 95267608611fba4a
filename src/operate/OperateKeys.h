#pragma once
#include "model/Types.h"
#include <QByteArray>
#include <QString>

// The amplifier's front-panel keys as the Operate page and the command line offer them, in the
// order of the operate machine's request flags. Band stands for the band key of the band asked
// for.
enum class OperateKey : int {
    Antenna,
    AtuMode,
    AtuStore,
    AtuTune,
    Band,
    Down,
    Edit,
    Info,
    Menu,
    Mode,
    Pf1,
    Pf2,
    Reset,
    Status,
    Up,
    Count
};

namespace OperateKeys {
constexpr int kKeyCount = static_cast<int>(OperateKey::Count);
constexpr int kBandCount = 11;
// The 28 MHz band: the amplifier has a key for it, but its number is not known here.
constexpr DWORD kBand28 = 9;

// The command that taps ("^BPT..;") or holds ("^BPH..;") the key; empty for ATU STORE, whose
// command is not known, and for Band (see BandCommand).
QByteArray Command(OperateKey key);
// The band key of band number 0 to 10; empty for 28 MHz and for numbers of 11 or more.
QByteArray BandCommand(DWORD band);
// The key's caption on the page, "ATU MODE".
QString Name(OperateKey key);
// The band buttons' captions in MHz, "1.8" to "50".
QString BandLabel(int band);
// The band number of a text in MHz ("14", "3.5", "1.8"); -1 when it names no band.
int BandFromText(const QString& text);
// The key a command-line word names: the page's caption in any case, with "-" or "_" for its
// space ("atu-mode"), or "down" for DN. Count when it names none.
OperateKey KeyFromText(const QString& text);
} // namespace OperateKeys
