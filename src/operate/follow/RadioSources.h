#pragma once
#include <QHostAddress>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class QTcpSocket;
class QUdpSocket;

// Where band following reads the radio: what the sources share.
namespace RadioSources {
using Radio = std::function<void(qint64 hz, std::optional<bool> ptt)>;
using Lost = std::function<void()>;
using Log = std::function<void(const QString& text)>;
} // namespace RadioSources

// A Hamlib rigctld read every 200 ms ("f" and "t" on one connection). When it goes (restarted,
// hung, or answering nonsense) the radio counts as lost and the connection is made again,
// waiting longer each time up to kMaxBackoffMs.
class CRigctldSource {
public:
    static constexpr int kPollMs = 200;
    static constexpr int kAnswerMs = 1000; // an answer later than this: rigctld hangs
    static constexpr int kFirstBackoffMs = 250;
    static constexpr int kMaxBackoffMs = 3000;
    static constexpr qsizetype kMaxLine = 128;

    CRigctldSource(const QString& host, quint16 port, RadioSources::Radio radio, RadioSources::Lost lost,
        RadioSources::Log log);
    ~CRigctldSource();
    void Start();
    QString Name() const;

private:
    void Connect();
    void Poll();
    void Read();
    void Fail(const QString& why);

    QString m_host;
    quint16 m_port;
    RadioSources::Radio m_radio;
    RadioSources::Lost m_lost;
    RadioSources::Log m_log;
    std::unique_ptr<QTcpSocket> m_socket;
    QTimer m_poll;
    QTimer m_retry;
    QTimer m_deadline;
    QList<QByteArray> m_lines;
    bool m_awaiting = false;
    bool m_connected = false;
    int m_backoff = kFirstBackoffMs;
    QString m_lastFailure;
};

// RadioInfo datagrams on a UDP port (shared with other listeners). Malformed, oversized and
// foreign datagrams, those of a radio that does not transmit next, and those from senders
// `admit` refuses are ignored.
class CRadioInfoListener {
public:
    CRadioInfoListener(RadioSources::Radio radio, std::function<bool(const QHostAddress&)> admit);
    ~CRadioInfoListener();
    bool Listen(const QHostAddress& address, quint16 port);
    QString ErrorText() const;
    quint16 Port() const;

private:
    void Read();

    RadioSources::Radio m_radio;
    std::function<bool(const QHostAddress&)> m_admit;
    std::unique_ptr<QUdpSocket> m_socket;
};
