#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

// The RadioInfo datagrams that contest loggers and station managers broadcast over UDP: one
// <RadioInfo> element each, frequencies in units of 10 Hz.
struct RadioInfo {
    QString app; // the sender
    int radioNr = 1;
    std::optional<int> activeRadioNr; // the radio that transmits next
    qint64 frequencyHz = 0; // the transmit frequency (TXFreq, else Freq)
    std::optional<bool> transmitting;

    // Whether band following takes this datagram: the one about the radio that transmits.
    bool IsActiveRadio() const { return !activeRadioNr || *activeRadioNr == radioNr; }
};

namespace RadioInfos {
// Larger datagrams are refused unread.
constexpr qsizetype kMaxDatagram = 4096;
// The datagram's fields, or nothing when it is not one whole <RadioInfo> element with a
// frequency (malformed, foreign, oversized). Unknown tags are ignored.
std::optional<RadioInfo> Parse(const QByteArray& datagram);
} // namespace RadioInfos
