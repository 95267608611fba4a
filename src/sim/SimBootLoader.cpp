#include "sim/SimBootLoader.h"
#include "sim/SimFirmwareImage.h"

namespace {
const QByteArray kBootVersionAnswer("BL01.02;");
} // namespace

CSimBootLoader::CSimBootLoader(IDevice& device, CSimDevice::Options& options, CSimDevice::Faults& faults)
    : m_device(device)
    , m_options(options)
    , m_faults(faults)
    , m_flash(CSimDevice::kFlashSize, static_cast<char>(0xFF))
    , m_active(options.bootLoader)
    // A unit found waiting in its boot loader has no usable application.
    , m_applicationValid(!options.bootLoader)
{
}

void CSimBootLoader::Reset()
{
    m_mode = Mode::Command;
    m_unlocked = false;
    m_versionAsked = false;
    m_caret.clear();
    m_packet.clear();
}

void CSimBootLoader::Enter(bool afterPowerLoss)
{
    m_active = true;
    Reset();
    if (afterPowerLoss)
        m_applicationValid = false;
}

void CSimBootLoader::Byte(BYTE b)
{
    switch (m_mode) {
    case Mode::Erasing:
        return; // busy: the boot loader reads nothing until the erase is done
    case Mode::Download:
        m_packet.append(static_cast<char>(b));
        if (m_packet.size() == static_cast<qsizetype>(CSimDevice::kPacketSize))
            PacketComplete();
        return;
    case Mode::Command:
        break;
    }
    if (!m_caret.isEmpty()) {
        m_caret.append(static_cast<char>(b));
        if (b == ';') {
            if (m_caret.toLower() == "^i;")
                m_device.Answer(QByteArray("^Iqro4000;"));
            m_caret.clear();
        } else if (m_caret.size() > 64) {
            m_caret.clear();
        }
        return;
    }
    const bool wasVersion = m_versionAsked;
    m_versionAsked = false;
    switch (b) {
    case '^':
        m_caret = "^";
        break;
    case 'U':
        m_unlocked = true;
        m_device.Answer(QByteArray("A"));
        break;
    case 'P':
        if (!m_unlocked) {
            m_device.Answer(QByteArray("N"));
            break;
        }
        m_unlocked = false;
        m_mode = Mode::Erasing;
        m_device.AfterUnlessPowerLost(m_options.eraseMs, [this]() {
            m_flash.fill(static_cast<char>(0xFF));
            m_applicationValid = false;
            m_mode = Mode::Command;
            m_device.Answer(QByteArray("A"));
        });
        break;
    case 'D':
        if (m_faults.neverEchoD)
            break;
        m_mode = Mode::Download;
        m_packet.clear();
        m_device.Answer(QByteArray("D"));
        break;
    case 'V':
        m_versionAsked = true;
        break;
    case ';':
        m_device.Answer(wasVersion ? kBootVersionAnswer : QByteArray(";"));
        break;
    case 'R':
        Restart();
        break;
    default:
        break;
    }
}

void CSimBootLoader::PacketComplete()
{
    const QByteArray p = m_packet;
    m_packet.clear();
    if (SimFault::CountDown(m_faults.powerLossPacketNumber)) {
        m_device.PowerLoss();
        return;
    }
    unsigned sum = 0;
    for (char c : p)
        sum += static_cast<BYTE>(c);
    const DWORD address = static_cast<DWORD>(static_cast<BYTE>(p[0])) << 24
        | static_cast<DWORD>(static_cast<BYTE>(p[1])) << 16 | static_cast<DWORD>(static_cast<BYTE>(p[2])) << 8
        | static_cast<BYTE>(p[3]);
    if (SimFault::CountDown(m_faults.answerCNumber)) {
        m_device.Answer(QByteArray("C"));
        return;
    }
    if ((sum & 0xFF) != 0) {
        m_device.Answer(QByteArray("N"));
        return;
    }
    if (address == CSimDevice::kEndPacketAddress) {
        m_mode = Mode::Command;
        m_applicationValid = SimFirmwareImage::HoldsApplication(m_flash);
        m_imageLoaded = true;
        m_device.Answer(QByteArray("B"));
        return;
    }
    if (address < CSimDevice::kFlashBase
        || address - CSimDevice::kFlashBase > CSimDevice::kFlashSize - CSimDevice::kPacketData) {
        m_device.Answer(QByteArray("N"));
        return;
    }
    if (m_faults.refusePacketNumber > 0) {
        if (m_faults.refusePacketNumber == 1 && m_faults.refusePacketTimes > 0) {
            if (--m_faults.refusePacketTimes == 0)
                m_faults.refusePacketNumber = 0;
            m_device.Answer(QByteArray("N"));
            return;
        }
        --m_faults.refusePacketNumber;
    }
    // Programming flash can only clear bits: an area that was not erased keeps its zeros.
    const DWORD offset = address - CSimDevice::kFlashBase;
    for (DWORD i = 0; i < CSimDevice::kPacketData; ++i)
        m_flash[offset + i] = static_cast<char>(m_flash[offset + i] & p[4 + i]);
    if (SimFault::CountDown(m_faults.dropAckNumber) || m_device.Chance(m_faults.dropAckProbability))
        return;
    m_device.Answer(QByteArray("A"));
}

void CSimBootLoader::Restart()
{
    Reset();
    if (!m_applicationValid)
        return; // nothing to run: the boot loader starts again
    m_active = false;
    // The revision-after-load setting wins over what the image says of itself.
    const WORD loaded
        = m_options.revisionAfterLoad ? m_options.revisionAfterLoad : SimFirmwareImage::MarkedRevision(m_flash);
    if (m_imageLoaded && loaded != 0)
        m_options.revision = loaded;
    m_imageLoaded = false;
}
