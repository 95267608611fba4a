#include "sim/SimFirmwareImage.h"
#include "sim/SimDevice.h"
#include <algorithm>
#include <cstring>

namespace {
constexpr DWORD kMarkerLength = sizeof(SimFirmwareImage::kMarkerText) - 1;
constexpr DWORD kImageBytes = 4096;
constexpr DWORD kBytesPerRecord = 16;

QByteArray Record(BYTE type, WORD address, const QByteArray& data)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(data.size()));
    bytes.append(static_cast<char>(address >> 8));
    bytes.append(static_cast<char>(address & 0xFF));
    bytes.append(static_cast<char>(type));
    bytes.append(data);
    BYTE sum = 0;
    for (char c : bytes)
        sum = static_cast<BYTE>(sum + static_cast<BYTE>(c));
    bytes.append(static_cast<char>(static_cast<BYTE>(-sum)));
    return ':' + bytes.toHex().toUpper() + "\r\n";
}
} // namespace

namespace SimFirmwareImage {
bool HoldsApplication(const QByteArray& flash)
{
    return std::any_of(flash.begin(), flash.end(), [](char c) { return static_cast<BYTE>(c) != 0xFF; });
}

WORD MarkedRevision(const QByteArray& flash)
{
    if (flash.size() < static_cast<qsizetype>(kMarkerOffset + kMarkerLength + 4)
        || std::memcmp(flash.constData() + kMarkerOffset, kMarkerText, kMarkerLength) != 0)
        return 0;
    bool ok = false;
    const unsigned revision = flash.mid(kMarkerOffset + kMarkerLength, 4).toUInt(&ok, 10);
    return ok && revision > 0 && revision <= 9999 ? static_cast<WORD>(revision) : 0;
}

QByteArray MakeHexImage(WORD revision)
{
    // Bytes that look like code rather than a fill, so that every packet carries data.
    QByteArray image(kImageBytes, '\0');
    for (DWORD i = 0; i < kImageBytes; ++i)
        image[i] = static_cast<char>((i * 37 + (i >> 8) * 11 + 0x21) & 0x7F);
    const QByteArray marker = kMarkerText + QByteArray::number(revision).rightJustified(4, '0');
    image.replace(kMarkerOffset, marker.size(), marker);

    QByteArray text = Record(4, 0, QByteArray::fromHex(QByteArray::number(CSimDevice::kFlashBase >> 16, 16)));
    for (DWORD at = 0; at < kImageBytes; at += kBytesPerRecord)
        text += Record(0, static_cast<WORD>(at), image.mid(at, kBytesPerRecord));
    return text + Record(1, 0, QByteArray());
}
} // namespace SimFirmwareImage
