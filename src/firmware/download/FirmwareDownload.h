#pragma once
#include "firmware/FirmwareFiles.h"
#include "firmware/download/FileServerAddress.h"
#include "model/Types.h"
#include <QHash>
#include <QObject>
#include <QStringList>
#include <memory>

class CFtpTransfer;

// Where the download reports: the copy dialog or the command line.
class IFirmwareDownloadSink {
public:
    enum class Line {
        Report, // a status line: the status bar and the activity log as well
        Log, // the download's own log
        StatusText, // the line that says where the download stands
        Detail, // what the transfer did, for verbose logging
    };
    virtual void OnDownloadLine(Line kind, const QString& text) = 0;
    // Bytes of the file being copied; total -1 when the server did not say.
    virtual void OnDownloadProgress(qint64 received, qint64 total) = 0;
    // The download has ended: 0, 1223 when cancelled, or the failure.
    virtual void OnDownloadFinished(DWORD result) = 0;

protected:
    ~IFirmwareDownloadSink() = default;
};

// Copies new firmware files from the file server into the firmware folder: connects, changes
// to "<product>/firmware", lists it, chooses with the folder's CFirmwareFiles the release notes
// and the newest firmware file newer than the folder's, and copies them one after the other.
// Every file is received under a temporary name in the folder; a ".hex" file must parse to
// its end record before it is renamed into place, so the folder never holds a partial or
// damaged firmware file and a good file is never replaced by a bad one. A file that fails is
// fetched again, three tries in all. Each operation runs on the transfer's worker thread; its
// end comes back here on the owner's thread and starts the next step.
class CFirmwareDownload : public QObject {
    Q_OBJECT
public:
    enum State {
        Idle = 0,
        OpeningSession = 1,
        NavigatingDirectory = 2,
        FindingFirstFile = 3,
        FindingNextFile = 4,
        GettingFile = 5,
        Closing = 6,
        Closed = 7,
    };
    static constexpr unsigned kTries = 3;

    explicit CFirmwareDownload(IFirmwareDownloadSink* sink, QObject* parent = nullptr);
    ~CFirmwareDownload() override;

    // Starts with the "FileServer" setting's value and the local firmware folder (made when it
    // does not exist yet). A bad address ends the download at once, through the sink.
    void Start(const QString& server, const QString& folder);
    // While an operation is in flight: ends it at once with 1223. False when there is none.
    bool Cancel();
    bool IsInFlight() const { return m_state != Idle && m_state != Closed; }

    State GetState() const { return m_state; }
    DWORD ResultCode() const { return m_result; }
    const QStringList& CopyList() const { return m_copyList; }
    // The name of the file being copied; empty before the first.
    QString CurrentName() const { return m_copyList.value(m_index); }
    // The files put in place, with their folder.
    const QStringList& CopiedFiles() const { return m_copied; }

private:
    enum class Step { Connect, ChangeFolder, List, GetFile };

    void Begin(Step step);
    void OnCompleted(DWORD code, const QByteArray& data, const QString& tempPath);
    void OnListing(const QByteArray& listing);
    void CopyNext();
    void OnFileReceived(DWORD code, const QString& tempPath);
    // Checks a received file and renames it over the destination: 0 or the failure.
    DWORD PutInPlace(const QString& tempPath, const QString& destination);
    void Finish(const QString& operation, DWORD code, bool force = false);
    QString OperationName() const;
    void Line(IFirmwareDownloadSink::Line kind, const QString& text);

    IFirmwareDownloadSink* m_sink;
    std::unique_ptr<CFtpTransfer> m_transfer;
    std::unique_ptr<CFileServerAddress> m_address;
    State m_state = Idle;
    Step m_step = Step::Connect;
    bool m_cancelRequested = false;
    DWORD m_result = 0;
    unsigned m_failures = 0; // failed tries of the current file
    unsigned m_filesNotCopied = 0;
    QStringList m_copyList;
    QHash<QString, qint64> m_listedSizes;
    int m_index = -1;
    CFirmwareFiles m_files;
    QString m_folder;
    QStringList m_copied;
};
