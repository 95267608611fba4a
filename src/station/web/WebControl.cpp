#include "station/web/WebControl.h"

CWebControl::CWebControl(std::uint64_t watchdogMs)
    : m_watchdogMs(watchdogMs)
{
}

bool CWebControl::Take(int client, std::uint64_t now)
{
    if (client == 0 || (m_controller != 0 && m_controller != client && m_present))
        return false;
    // Whoever takes control from a lost controller watches now: its watchdog is disarmed.
    m_controller = client;
    m_present = true;
    m_lastHeard = now;
    return true;
}

bool CWebControl::Release(int client)
{
    if (client == 0 || client != m_controller || !m_present)
        return false;
    m_controller = 0;
    m_present = false;
    return true;
}

void CWebControl::Heard(int client, std::uint64_t now)
{
    if (client != 0 && client == m_controller && m_present)
        m_lastHeard = now;
}

void CWebControl::Left(int client)
{
    if (client == 0 || client != m_controller)
        return;
    m_present = false;
    if (!WatchdogOn())
        m_controller = 0;
}

CWebControl::Verdict CWebControl::Check(std::uint64_t now, bool operate)
{
    if (m_controller == 0 || now - m_lastHeard < SilenceLimitMs())
        return Verdict::None;
    if (m_controller == kWatchdog) {
        m_controller = 0;
        return operate ? Verdict::SwitchOff : Verdict::None;
    }
    m_controller = 0;
    m_present = false;
    return WatchdogOn() && operate ? Verdict::SwitchOff : Verdict::Dropped;
}

void CWebControl::SwitchOffFailed(std::uint64_t now)
{
    if (m_controller != 0 || !WatchdogOn())
        return;
    m_controller = kWatchdog;
    m_present = false;
    m_lastHeard = now;
}
