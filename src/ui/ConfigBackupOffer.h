#pragma once
#include "model/Model.h"
#include "model/UserPrompt.h"
#include <QDateTime>
#include <functional>

class QWidget;

// The configuration backup offered before a reset or an ATU memory erase: neither can be undone,
// and a saved configuration is the only way back. One question, one click to skip; Yes runs the
// configuration save into the configuration folder under the name the save offers, No goes on
// without, Cancel (Escape) stops. The rule itself is BackupOffer's, shared with the command line.
class CConfigBackupOffer {
public:
    // Runs the save to the file; answers the save dialog's result (1 saved, 2 cancelled, 3 failed)
    // and its result code. The program uses the save dialog; tests give their own.
    using Runner = std::function<int(QWidget* parent, const QString& fileName, DWORD* result)>;

    CConfigBackupOffer(CModel* model, IUserPrompt* prompt);
    // The file a backup goes to: the configuration folder and the name a save would offer.
    static QString FileName(CModelBase& model, const QDateTime& timeStamp);
    void SetRunner(Runner runner) { m_runner = std::move(runner); }

    // Asks, and saves when the user says so. True when the operation may go on: the backup was
    // saved or skipped, or it failed and the user chose to go on. False when the user cancelled
    // the question or the save, or chose to stop after the save failed.
    bool Offer(QWidget* parent, unsigned operationId);
    bool WasOffered() const { return m_offered; }
    QString SavedFile() const { return m_savedFile; }

private:
    CModel* m_model;
    IUserPrompt* m_prompt;
    Runner m_runner;
    bool m_offered = false;
    QString m_savedFile;
};
