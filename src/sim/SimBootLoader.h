#pragma once
#include "sim/SimDevice.h"
#include <QByteArray>
#include <functional>

namespace SimFault {
// Counts a fault down to the n-th event: true once, when it strikes.
inline bool CountDown(int& counter)
{
    if (counter <= 0)
        return false;
    return --counter == 0;
}
} // namespace SimFault

// The simulated amplifier's boot loader: its single-letter commands, the erase of the program
// flash and the download of firmware packets into it, with the boot loader faults.
class CSimBootLoader {
public:
    // What the boot loader uses of the device it runs in.
    class IDevice {
    public:
        virtual void Answer(const QByteArray& bytes) = 0;
        // Runs `work` after `ms`, unless the power fails in the meantime.
        virtual void AfterUnlessPowerLost(DWORD ms, std::function<void()> work) = 0;
        virtual void PowerLoss() = 0;
        virtual bool Chance(double probability) = 0;

    protected:
        ~IDevice() = default;
    };

    CSimBootLoader(IDevice& device, CSimDevice::Options& options, CSimDevice::Faults& faults);

    // True while the boot loader runs rather than the application.
    bool IsActive() const { return m_active; }
    QByteArray& Flash() { return m_flash; }
    // Starts the boot loader ("^ld;", or after a power loss, which leaves no usable application).
    void Enter(bool afterPowerLoss);
    void Byte(BYTE b);

private:
    enum class Mode { Command, Erasing, Download };
    void Reset();
    void PacketComplete();
    // "R": the application starts when there is a valid one; otherwise the boot loader again.
    void Restart();

    IDevice& m_device;
    CSimDevice::Options& m_options;
    CSimDevice::Faults& m_faults;
    QByteArray m_flash;
    bool m_active = false;
    bool m_applicationValid = true;
    bool m_imageLoaded = false;
    Mode m_mode = Mode::Command;
    bool m_unlocked = false;
    bool m_versionAsked = false;
    QByteArray m_caret;
    QByteArray m_packet;
};
