#include "firmware/ui/ReleaseInfoDlg.h"
#include "firmware/FirmwareFiles.h"
#include "firmware/FirmwareStringIds.h"
#include "firmware/RtfToHtml.h"
#include "model/FileChecks.h"
#include "model/StringTable.h"
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

CReleaseInfoDlg::CReleaseInfoDlg(const QString& fileName)
    : QDialog(nullptr)
    , m_fileName(fileName)
{
    setObjectName(QStringLiteral("ReleaseInfoDlg"));
    setWindowTitle(ResourceString(IDS_FW_RELEASE_NOTES_CAPTION));
    setAttribute(Qt::WA_DeleteOnClose);
    m_view = new QTextBrowser(this);
    m_view->setObjectName(QStringLiteral("notes"));
    m_view->setOpenExternalLinks(false);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(ResourceString(IDS_CLOSE), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("close"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(buttons);
    resize(640, 480);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
}

CReleaseInfoDlg* CReleaseInfoDlg::ShowForFolder(const QString& folder, IUserPrompt* prompt, QWidget* parent)
{
    // The folder's own spelling of the name wins, so "QRO4000FWNOTES.RTF" is found as well.
    CFirmwareFiles files;
    files.ScanFolder(folder);
    const QString fileName = files.HasReleaseNotesFile()
        ? files.ReleaseNotesFile().m_fileName
        : CFirmwareFiles::JoinPath(folder, QLatin1String(CFirmwareFiles::kReleaseNotesName));
    const QString caption = ResourceString(IDS_FW_RELEASE_NOTES_ERROR);
    if (!files.HasReleaseNotesFile()) {
        if (prompt)
            prompt->ShowMessage(
                IUserPrompt::Icon::Error, caption, FormatResource(IDS_FW_RELEASE_NOTES_MISSING, fileName));
        return nullptr;
    }
    // A release notes file is a few kilobytes of text, pictures included well under this bound;
    // a FIFO or a device of that name would block the window that opens it.
    constexpr qint64 kMaxNotesBytes = 16 * 1024 * 1024;
    QString refusal;
    if (FileChecks::CheckInputFile(fileName, kMaxNotesBytes, &refusal) != 0) {
        if (prompt)
            prompt->ShowMessage(IUserPrompt::Icon::Error, caption, refusal);
        return nullptr;
    }
    QFile file(fileName);
    QByteArray rtf;
    if (file.open(QIODevice::ReadOnly))
        rtf = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        if (prompt)
            prompt->ShowMessage(
                IUserPrompt::Icon::Error, caption, FormatResource(IDS_FW_RELEASE_NOTES_UNREADABLE, fileName));
        return nullptr;
    }
    // Its own top-level window, not kept above the main window; it goes with it all the same.
    auto* dialog = new CReleaseInfoDlg(fileName);
    dialog->m_view->setHtml(RtfToHtml(rtf));
    if (parent)
        QObject::connect(parent, &QObject::destroyed, dialog, &QObject::deleteLater);
    dialog->show();
    return dialog;
}
