#pragma once
#include "station/ArbiterClient.h"
#include "station/LineArbiter.h"
#include "station/hamlib/HamlibProtocol.h"
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class CStationPoll;
class QTcpSocket;

// One client of the Hamlib endpoint: its lines answered in order, one at a time. Readings come
// from the server's poll (no traffic of the client's own); a request to the amplifier (the
// power switch, the reset key) holds the client's next lines until it is answered. Raw
// commands, when the server allows them, go through the arbiter as this client's own.
class CHamlibSession : public QObject, public IArbiterClient {
    Q_OBJECT
public:
    // What a client may leave unread before it is cut off: more than the answers to a
    // burst of commands, far less than a server should hold for one client.
    static constexpr qint64 kMaxUnsent = 256 * 1024;

    // `arbiter` is null unless raw commands are allowed.
    CHamlibSession(std::unique_ptr<QTcpSocket> socket, CStationPoll& poll, CLineArbiter* arbiter,
        std::function<void(const QString&)> log);
    ~CHamlibSession() override;

    QString Name() const { return m_name; }
    // Closes the connection at once; Finished follows.
    void Close();

    void OnLineData(const QByteArray& bytes) override;
    void OnLineBusy(LineLease) override { }

signals:
    // The connection has ended: the owner deletes the session.
    void Finished(CHamlibSession* session);

private:
    void ProcessInput();
    // A request to the amplifier has been answered: the next lines may follow.
    void Answered();
    void Execute(const Hamlib::Request& request);
    void Answer(const Hamlib::Request& request, const QList<Hamlib::Item>& items, Hamlib::Code code);
    void Level(const Hamlib::Request& request);
    void PowerStatus(const Hamlib::Request& request);
    // Asks the poll for a key or the power switch; the answer follows when it is done.
    void Ask(const Hamlib::Request& request, const std::function<void(std::function<void(DWORD)>)>& ask);
    void SendRaw(const Hamlib::Request& request);
    void RawAnswered(Hamlib::Code code);
    // Why a reading cannot be given: another program has the line, the amplifier is lost or
    // switched off, or the last cycle is not current.
    Hamlib::Code Unread() const;
    bool Current() const;
    void CutOff(unsigned textId);
    void End();

    std::unique_ptr<QTcpSocket> m_socket;
    CStationPoll& m_poll;
    CLineArbiter* m_arbiter;
    CLineArbiter::ClientId m_arbiterId = 0;
    std::function<void(const QString&)> m_log;
    QString m_name;
    qint64 m_heldLine = 0; // the length of the line being answered, still in the socket
    bool m_waiting = false; // a request to the amplifier is not answered yet
    bool m_ended = false;
    Hamlib::Request m_raw; // the raw command waiting for its answer
    QByteArray m_rawAnswer;
    QTimer m_rawTimer;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
