#pragma once
// The browser panel's rule of control: any number of browsers watch, one at a time controls
// (keys, band, power), and the link-loss watchdog. A controller that falls silent (nothing
// heard, not even the answer to the server's ping) or whose connection drops without
// releasing control is lost; when it has been silent for the watchdog's time while the
// amplifier reads operate, the amplifier is switched off, the one change that can be asked
// and verified. Times are the event host's ticks in ms, so that the rule runs in virtual time.
#include <cstdint>

class CWebControl {
public:
    // The default watchdog, and how long a silent controller keeps control with it off.
    static constexpr std::uint64_t kDefaultSilenceMs = 10000;
    // watchdogMs 0: no watchdog.
    explicit CWebControl(std::uint64_t watchdogMs);

    bool WatchdogOn() const { return m_watchdogMs != 0; }
    std::uint64_t WatchdogMs() const { return m_watchdogMs; }
    std::uint64_t SilenceLimitMs() const { return WatchdogOn() ? m_watchdogMs : kDefaultSilenceMs; }

    // 0 when nobody controls. A lost controller (its connection dropped) still counts until the
    // watchdog has decided about it, but anyone may take control from it.
    int Controller() const { return m_controller; }
    bool ControllerPresent() const { return m_controller != 0 && m_present; }

    // Granted when nobody controls, the controller is lost, or the client controls already.
    bool Take(int client, std::uint64_t now);
    // Only the controller releases, knowingly: no watchdog follows.
    bool Release(int client);
    // Anything from a client: a message or the answer to a ping.
    void Heard(int client, std::uint64_t now);
    // The client's connection has closed. Without a watchdog a lost controller has nothing
    // left to guard and control is free at once.
    void Left(int client);

    enum class Verdict {
        None,
        Dropped, // the controller was silent too long; the amplifier was not in operate
        SwitchOff, // the same in operate with the watchdog on: switch the amplifier off
    };
    // Called every few hundred ms with whether the amplifier reads operate: what to do.
    Verdict Check(std::uint64_t now, bool operate);
    // The switch-off did not go through (the amplifier did not answer, the line was busy): it
    // is asked again after another watchdog time if the amplifier still reads operate and
    // nobody has taken control meanwhile. The watchdog holds the lost controller's place.
    static constexpr int kWatchdog = -1;
    void SwitchOffFailed(std::uint64_t now);

private:
    std::uint64_t m_watchdogMs;
    int m_controller = 0;
    bool m_present = false;
    std::uint64_t m_lastHeard = 0;
};
