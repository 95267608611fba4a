#include "operate/OperateKeys.h"
#include "model/StringTable.h"
#include "operate/OperateStringIds.h"

namespace {
// Tap is "^BPT" + key number, hold is "^BPH" + key number: one physical key can carry two
// functions (ATU TUNE on a tap of key 9, ATU MODE on holding it).
const char* const kKeyCommands[OperateKeys::kKeyCount] = {
    "^BPT01;", // ANTENNA
    "^BPH09;", // ATU MODE
    "", // ATU STORE
    "^BPT09;", // ATU TUNE
    "", // band key
    "^BPT02;", // DN
    "^BPH11;", // EDIT
    "^BPH10;", // INFO
    "^BPT11;", // MENU
    "^BPT18;", // MODE
    "^BPH18;", // PF1
    "^BPH01;", // PF2
    "^BPT10;", // RESET
    "^BPT03;", // STATUS
    "^BPT19;", // UP
};

const char* const kBandCommands[OperateKeys::kBandCount] = {
    "^BPT07;", // 1.8 MHz
    "^BPT15;", // 3.5
    "^BPT23;", // 5
    "^BPT06;", // 7
    "^BPT04;", // 10
    "^BPT22;", // 14
    "^BPT05;", // 18
    "^BPT13;", // 21
    "^BPT21;", // 24
    "", // 28: the key number is not known
    "^BPT12;", // 50
};

const char* const kBandLabels[OperateKeys::kBandCount]
    = {"1.8", "3.5", "5", "7", "10", "14", "18", "21", "24", "28", "50"};

QString Normalized(const QString& text)
{
    QString out = text.trimmed().toUpper();
    out.replace(QLatin1Char('-'), QLatin1Char(' '));
    out.replace(QLatin1Char('_'), QLatin1Char(' '));
    return out.simplified();
}
} // namespace

namespace OperateKeys {
QByteArray Command(OperateKey key)
{
    const int index = static_cast<int>(key);
    return index >= 0 && index < kKeyCount ? QByteArray(kKeyCommands[index]) : QByteArray();
}

QByteArray BandCommand(DWORD band)
{
    return band < static_cast<DWORD>(kBandCount) ? QByteArray(kBandCommands[band]) : QByteArray();
}

QString Name(OperateKey key)
{
    const int index = static_cast<int>(key);
    return index >= 0 && index < kKeyCount ? ResourceString(IDS_OP_KEY_ANTENNA + static_cast<unsigned>(index))
                                           : QString();
}

QString BandLabel(int band)
{
    return band >= 0 && band < kBandCount ? QString::fromLatin1(kBandLabels[band]) : QString();
}

int BandFromText(const QString& text)
{
    const QString wanted = text.trimmed();
    for (int band = 0; band < kBandCount; ++band)
        if (wanted == QLatin1String(kBandLabels[band]))
            return band;
    return -1;
}

OperateKey KeyFromText(const QString& text)
{
    const QString wanted = Normalized(text);
    if (wanted == QLatin1String("DOWN"))
        return OperateKey::Down;
    for (int index = 0; index < kKeyCount; ++index) {
        const auto key = static_cast<OperateKey>(index);
        if (key != OperateKey::Band && wanted == Normalized(Name(key)))
            return key;
    }
    return OperateKey::Count;
}
} // namespace OperateKeys
