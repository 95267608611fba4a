#pragma once
#include "model/UserPrompt.h"
#include <QDialog>

class QTextBrowser;

// The modeless "Firmware Release Notes" window showing the firmware folder's release notes.
class CReleaseInfoDlg : public QDialog {
    Q_OBJECT
public:
    // Opens the window on "<folder>/qro4000fwnotes.rtf"; shows the error box and answers
    // nullptr when the file is missing or cannot be read. The window deletes itself on close.
    static CReleaseInfoDlg* ShowForFolder(const QString& folder, IUserPrompt* prompt, QWidget* parent = nullptr);

    QTextBrowser* View() const { return m_view; }
    const QString& FileName() const { return m_fileName; }

private:
    explicit CReleaseInfoDlg(const QString& fileName);

    QTextBrowser* m_view;
    QString m_fileName;
};
