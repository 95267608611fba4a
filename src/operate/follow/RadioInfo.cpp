#include "operate/follow/RadioInfo.h"
#include <QXmlStreamReader>

namespace {
// Frequencies past 10 GHz, radio numbers past 99: not a radio this program follows.
constexpr qint64 kMaxTensOfHz = 1000000000;
constexpr int kMaxRadioNr = 99;

std::optional<qint64> Number(const QString& text, qint64 max)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok || value < 0 || value > max)
        return std::nullopt;
    return value;
}
} // namespace

std::optional<RadioInfo> RadioInfos::Parse(const QByteArray& datagram)
{
    if (datagram.size() > kMaxDatagram)
        return std::nullopt;
    QXmlStreamReader xml(datagram);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("RadioInfo"))
        return std::nullopt;
    RadioInfo info;
    std::optional<qint64> freq, txFreq;
    while (xml.readNextStartElement()) {
        const QString tag = xml.name().toString();
        // Unknown tags (with whatever they hold) are skipped whole.
        const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements);
        if (xml.hasError())
            return std::nullopt;
        if (tag == QLatin1String("app")) {
            info.app = text.left(64);
        } else if (tag == QLatin1String("RadioNr") || tag == QLatin1String("ActiveRadioNr")) {
            const auto nr = Number(text, kMaxRadioNr);
            if (!nr)
                return std::nullopt;
            if (tag == QLatin1String("RadioNr"))
                info.radioNr = static_cast<int>(*nr);
            else
                info.activeRadioNr = static_cast<int>(*nr);
        } else if (tag == QLatin1String("Freq") || tag == QLatin1String("TXFreq")) {
            const auto value = Number(text, kMaxTensOfHz);
            if (!value)
                return std::nullopt;
            (tag == QLatin1String("Freq") ? freq : txFreq) = *value;
        } else if (tag == QLatin1String("IsTransmitting")) {
            const QString flag = text.trimmed().toLower();
            if (flag == QLatin1String("true") || flag == QLatin1String("1"))
                info.transmitting = true;
            else if (flag == QLatin1String("false") || flag == QLatin1String("0"))
                info.transmitting = false;
        }
    }
    // The element must close, and nothing but white space or comments may follow it.
    if (xml.hasError() || !xml.isEndElement() || xml.name() != QLatin1String("RadioInfo"))
        return std::nullopt;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() || (xml.isCharacters() && !xml.isWhitespace()))
            return std::nullopt;
    }
    if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        return std::nullopt;
    // With split operation Freq is the receive VFO: the amplifier follows the transmit one.
    const qint64 tens = txFreq && *txFreq > 0 ? *txFreq : freq.value_or(0);
    if (tens <= 0)
        return std::nullopt;
    info.frequencyHz = tens * 10;
    return info;
}
