#pragma once
#include "operate/follow/BandFollower.h"
#include "operate/follow/RadioSources.h"
#include <QHostAddress>
#include <QString>
#include <memory>

// Where the radio is read: off, a rigctld ("HOST:PORT") or RadioInfo datagrams ("[ADDR:]PORT",
// on loopback unless an address is given).
struct FollowSource {
    enum class Kind { Off, Rigctld, Udp } kind = Kind::Off;
    QString host; // rigctld
    QHostAddress address {QHostAddress::LocalHost}; // UDP
    quint16 port = 0;

    // "HOST:PORT" with a port of 1 to 65535.
    static std::optional<FollowSource> Rigctld(const QString& text);
    // "PORT" or "ADDR:PORT" with a numeric address ("[v6]:PORT" too).
    static std::optional<FollowSource> Udp(const QString& text);
    // The form kept in the settings: "", "rigctld HOST:PORT" or "udp [ADDR:]PORT".
    static std::optional<FollowSource> FromSetting(const QString& text);
    QString ToSetting() const;
};

// Band following as a front end runs it: the source read and the rules applied to it, the
// band pressed through `press` (the station poll's or the page's poller's), every poll
// cycle's readings passed on with Amplifier().
class CRadioFollowing {
public:
    CRadioFollowing(const FollowSource& source, CBandFollower::Press press, CBandFollower::Withdraw withdraw,
        CBandFollower::Report report, std::function<bool(const QHostAddress&)> admit = {});
    ~CRadioFollowing();
    // Connects or binds; false with the reason in `error` when a UDP port cannot be had (a
    // rigctld that is not there yet is waited for).
    bool Start(QString* error);
    void Amplifier(const OperateSnapshot& readings, bool current) { m_follower.Amplifier(readings, current); }
    const FollowSource& Source() const { return m_source; }
    quint16 UdpPort() const;

private:
    FollowSource m_source;
    CBandFollower m_follower;
    CBandFollower::Report m_report;
    std::function<bool(const QHostAddress&)> m_admit;
    std::unique_ptr<CRigctldSource> m_rigctld;
    std::unique_ptr<CRadioInfoListener> m_udp;
};
