#pragma once
#include "model/Types.h"
#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

// One FTP session on libcurl, run on a worker thread of its own so that neither a slow server
// nor a name lookup ever holds up the user-interface thread. One operation at a time: it is
// started from the thread that made the object, and its progress and its end come back to that
// thread as queued signals. The connection stays open between operations, as one session.
//
// A file is received into a temporary file in the destination folder ("qro4000-download-
// XXXXXX.tmp", a name the folder scan never offers; where the system allows it the file has no
// name at all until it is complete); the caller then checks it and puts it in place, or
// removes it. A failed or cancelled operation leaves no temporary file behind.
class CFtpTransfer : public QObject {
    Q_OBJECT
public:
    enum class Operation {
        Connect, // connect and log in
        ChangeDirectory, // connect when needed, then change to the URL's folder
        List, // the URL's folder listing (LIST)
        GetFile, // the file at the URL, received into a temporary file
    };
    struct Request {
        Operation operation = Operation::Connect;
        QString url;
        QString folder; // GetFile: the folder that receives the temporary file
        // GetFile: the size the listing gave, for progress, and the size the file must have
        // when the server does not announce one of its own.
        qint64 sizeHint = -1;
    };

    // The most a file or a listing may hold: a firmware file of the whole flash is about 1.5 MB.
    static constexpr qint64 kMaxBytes = 32ll * 1024 * 1024;

    explicit CFtpTransfer(QObject* parent = nullptr);
    // Cancels what is in flight; the worker is given a moment to end, then left to end alone.
    ~CFtpTransfer() override;

    // False while another operation is in flight.
    bool Start(const Request& request);
    // Ends the operation in flight at once; no Completed signal follows for it.
    void Cancel();
    bool IsBusy() const { return m_busy; }
    // The server's last response: its number and its text (all lines of a multi-line reply).
    // False before the server has said anything.
    bool LastResponse(DWORD* number, QString* text) const;
    // libcurl's own words on the last failure, for the detail log.
    QString LastDetail() const;

signals:
    // Bytes received so far of the file in flight, and its size (-1 when unknown).
    void Progress(qint64 received, qint64 total);
    // code: 0 or the failure in the program's numbering (FileSizeDiffers for a file that did
    // not arrive whole). A listing comes in `data`; a file in `tempPath`, which the receiver
    // now owns.
    void Completed(DWORD code, const QByteArray& data, const QString& tempPath);

private:
    struct Shared;
    void OnCompleted(quint64 serial, DWORD code, const QByteArray& data, const QString& tempPath);
    void OnProgress(quint64 serial, qint64 received, qint64 total);

    std::shared_ptr<Shared> m_shared;
    quint64 m_serial = 0;
    bool m_busy = false;
};
