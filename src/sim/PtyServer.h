#pragma once
#include "sim/SimDevice.h"
#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class QSocketNotifier;

// Serves a simulated amplifier on a pseudo-terminal: a program opens the slave side as its
// serial port and talks to the device as to a real amplifier. The line speed the program sets
// on the slave is read back from the master, so the device hears and answers only at its own
// speed. The server holds a slave descriptor of its own, so the master stays usable while the
// program closes and reopens the port.
class CPtyServer : public QObject {
    Q_OBJECT
public:
    explicit CPtyServer(std::shared_ptr<CSimDevice> device, QObject* parent = nullptr);
    ~CPtyServer() override;

    // Creates the pseudo-terminal. False, with the reason in `error`, when that fails (or on a
    // system without pseudo-terminals).
    bool Start(QString* error);
    QString SlavePath() const { return m_slavePath; }
    // A symbolic link at `path` to the slave (an old link there is replaced); removed again
    // when the server stops.
    bool MakeLink(const QString& path, QString* error);
    void Stop();

    // The speed the program set on the slave, 0 when it is not one of the serial speeds.
    DWORD LineSpeed() const;
    CSimDevice& Device() { return *m_device; }

private:
    // The device has vanished: the terminal goes away as a USB adapter's does, so that the
    // program holding it sees its port fail and a new open finds nothing.
    void HangUp();
    void OnReadable();
    void OnWritable();
    void Send(const QByteArray& bytes);

    std::shared_ptr<CSimDevice> m_device;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_link;
    QByteArray m_pending; // output the pseudo-terminal could not take yet
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
};
