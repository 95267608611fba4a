#include "maintenance/ui/FaultTableDlg.h"
#include "model/ConfigFolder.h"
#include "ui/ModelProgress.h"
#include "model/ContactStateMachineInterface.h"
#include "maintenance/FaultTableFile.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringIds.h"
#include "model/StringTable.h"
#include "ui/ErrorBox.h"
#include "ui/OutputWindow.h"
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

CFaultTableDlg::CFaultTableDlg(CModel* model, IUserPrompt* prompt, QWidget* parent, ConfigFileChooser chooser)
    : QDialog(parent)
    , m_model(model)
    , m_prompt(prompt)
    , m_chooser(std::move(chooser))
    , m_reader(
          *model, [this](unsigned slot, const CFaultEntry& entry) { OnEntry(slot, entry); },
          [this](DWORD result) { OnEnd(result); })
{
    if (!m_chooser)
        m_chooser = [](QWidget* parent, const QString& offered, const QString& filter) {
            return QFileDialog::getSaveFileName(parent, ResourceString(IDS_FAULT_SAVE_CAPTION), offered, filter);
        };
    setObjectName(QStringLiteral("FaultTableDlg"));
    setWindowTitle(ResourceString(IDS_FAULT_TABLE_CAPTION));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("faultTable"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(COutputWindow::OutputFont());
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, static_cast<int>(CFaultTableReader::kProgressRange));
    m_save = new QPushButton(ResourceString(IDS_FAULT_SAVE_AS), this);
    m_save->setObjectName(QStringLiteral("saveAs"));
    m_save->setEnabled(false);
    m_save->setAutoDefault(false);
    m_close = new QPushButton(ResourceString(IDS_FAULT_CANCEL), this);
    m_close->setObjectName(QStringLiteral("close"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    // Room for the whole line of a fault with all its measurements.
    const QFontMetrics metrics(m_text->font());
    resize(metrics.horizontalAdvance(QString(124, QChar('0'))) + 60, metrics.height() * 28);

    connect(m_save, &QPushButton::clicked, this, [this] { SaveAs(); });
    connect(m_close, &QPushButton::clicked, this, &CFaultTableDlg::reject);
}

CFaultTableDlg::~CFaultTableDlg()
{
    Observe(false);
    m_reader.Stop();
    // The reading may have changed the port's speed or lost the amplifier: contact finds it again
    // so that the main window shows the amplifier as it is now. Here, and not when the reading
    // ends, because the end runs inside the machine's own last state.
    if (m_begun)
        if (IContactStateMachine* contact = m_model->ContactMachine())
            contact->StartContact();
}

void CFaultTableDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_begun)
        QTimer::singleShot(0, this, &CFaultTableDlg::Begin);
}

void CFaultTableDlg::Observe(bool on)
{
    if (on == m_observing)
        return;
    m_observing = on;
    if (on)
        ModelProgress::Observe(*m_model, this);
    else
        ModelProgress::Forget(*m_model, this);
}

void CFaultTableDlg::Begin()
{
    if (m_begun)
        return;
    m_begun = true;
    Observe(true);
    m_status->setText(ResourceString(IDS_FAULT_READING));
    if (!m_reader.Start()) {
        PopupError(*m_model, m_prompt, IDS_FAULT_TABLE_ERROR, ResourceString(IDS_MAINT_BUSY));
        m_result = Result::IoPending;
        done(3);
    }
}

void CFaultTableDlg::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)index;
    (void)extra;
    ModelProgress::Show(*m_model, eventId, m_progress);
}

void CFaultTableDlg::OnEntry(unsigned slot, const CFaultEntry& entry)
{
    const QString line = entry.Line(slot);
    m_lines += line;
    // At the end of the text whatever the user has selected, so lines come in reading order.
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(m_text->document()->isEmpty() ? line.chopped(2) : QChar('\n') + line.chopped(2));
}

void CFaultTableDlg::OnEnd(DWORD result)
{
    m_result = result;
    if (result == 0) {
        m_progress->setValue(m_progress->maximum());
        m_status->setText(m_lines.isEmpty() ? ResourceString(IDS_FAULT_EMPTY)
                                            : FormatResource(IDS_FAULT_DONE, m_reader.EntriesFound()));
        m_close->setText(ResourceString(IDS_CLOSE));
        m_save->setEnabled(!m_lines.isEmpty());
        return;
    }
    if (result == Result::Cancelled) {
        m_model->Status(ResourceString(IDS_FAULT_CANCELLED));
        done(2);
        return;
    }
    m_model->Status(ResourceString(IDS_FAULT_FAILED));
    if (result == Result::FaultLogIndexOutOfRange)
        PopupError(*m_model, m_prompt, IDS_FAULT_TABLE_ERROR,
            FormatResource(IDS_FAULT_INDEX_OUT_OF_RANGE, unsigned(m_reader.StoredIndex())) + QStringLiteral("\r\n")
                + ErrorCodeLine(result));
    else
        ShowErrorBox(m_prompt, result, IDS_FAULT_TABLE_ERROR);
    done(3);
}

QString CFaultTableDlg::Text() const
{
    return m_lines;
}

DWORD CFaultTableDlg::SaveAs()
{
    const QString offered
        = QDir(ConfigFile::InitialFolder(*m_model))
              .filePath(FaultTableFile::DefaultName(m_model->m_serialNumber.m_value, QDateTime::currentDateTime()));
    const QString fileName = m_chooser(this, offered, ResourceString(IDS_FAULT_SAVE_FILTER));
    if (fileName.isEmpty())
        return Result::Cancelled;
    QString message;
    const DWORD code = FaultTableFile::Write(fileName, m_lines, &message);
    if (code != 0) {
        PopupError(*m_model, m_prompt, IDS_FAULT_TABLE_ERROR, message.isEmpty() ? ErrorCodeLine(code) : message);
        return code;
    }
    // Said where it is read: in the dialog, and in the status bar and its log.
    const QString saved = FormatResource(IDS_FAULT_SAVED, QDir::toNativeSeparators(fileName));
    m_status->setText(saved);
    m_status->setToolTip(saved);
    m_model->Status(saved);
    return 0;
}

void CFaultTableDlg::reject()
{
    // A running read stops at its next command; its end closes the dialog.
    if (m_reader.IsRunning() && m_reader.Cancel())
        return;
    done(m_result == 0 && m_begun ? 1 : 2);
}

void CFaultTableDlg::done(int result)
{
    Observe(false);
    m_reader.Stop();
    QDialog::done(result);
}
