#include "firmware/ui/FirmwarePage.h"
#include "ui/ConfigBackupOffer.h"
#include "ui/ConfigSaveDlg.h"
#include "firmware/FileNameParts.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareLoadPlan.h"
#include "firmware/FirmwareStringIds.h"
#include "firmware/RevisionOrder.h"
#include "firmware/download/DownloadStringIds.h"
#include "firmware/download/FileServerAddress.h"
#include "firmware/ui/FtpDlg.h"
#include "firmware/ui/McuLoaderDlg.h"
#include "link/BackupOffer.h"
#include "link/ConnectionState.h"
#include "model/ConnectionStringIds.h"
#include "model/ContactStateMachineInterface.h"
#include "model/DeviceName.h"
#include "model/ErrorText.h"
#include "model/FolderInUse.h"
#include "model/ResultCode.h"
#include "model/RevisionText.h"
#include "model/StringTable.h"
#include "ui/Availability.h"
#include "ui/ErrorBox.h"
#include "ui/OutputWindow.h"
#include "ui/PageStringIds.h"
#include <QAction>
#include <QDateTime>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QPushButton* MakeButton(unsigned textId, unsigned tipId, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(ResourceString(textId), parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(ResourceString(tipId));
    button->setAutoDefault(false);
    return button;
}
} // namespace

CFirmwarePage::CFirmwarePage(CModel* model, IUserPrompt* prompt, QWidget* parent)
    : CPageBase(model, prompt, parent)
    , m_folderChooser(QtFolderChooser())
{
    setObjectName(QStringLiteral("FirmwarePage"));

    auto* folderGroup = new QGroupBox(ResourceString(IDS_FW_GROUP_FOLDER), this);
    auto* folderLabel = new QLabel(ResourceString(IDS_FW_FOLDER_LABEL), folderGroup);
    m_folder = new QLineEdit(folderGroup);
    m_folder->setObjectName(QStringLiteral("folder"));
    m_folder->setMaxLength(kFolderLimit);
    folderLabel->setBuddy(m_folder);
    m_default = MakeButton(IDS_FW_DEFAULT, IDS_FW_TIP_DEFAULT, "default", folderGroup);
    m_browse = MakeButton(IDS_FW_BROWSE, IDS_FW_TIP_BROWSE, "browse", folderGroup);
    auto* folderLayout = new QGridLayout(folderGroup);
    folderLayout->addWidget(folderLabel, 0, 0, 1, 3);
    folderLayout->addWidget(m_folder, 1, 0);
    folderLayout->addWidget(m_default, 1, 1);
    folderLayout->addWidget(m_browse, 1, 2);
    m_folderNote = new QLabel(folderGroup);
    m_folderNote->setObjectName(QStringLiteral("folderNote"));
    m_folderNote->setWordWrap(true);
    m_folderNote->hide();
    folderLayout->addWidget(m_folderNote, 2, 0, 1, 3);
    folderLayout->setColumnStretch(0, 1);

    auto* checkGroup = new QGroupBox(ResourceString(IDS_FW_GROUP_CHECK), this);
    m_check = MakeButton(IDS_FW_CHECK_REVISION, IDS_FW_TIP_CHECK, "checkRevision", checkGroup);
    m_copy = MakeButton(IDS_FW_COPY_FILES, IDS_FW_TIP_COPY, "copyFiles", checkGroup);
    // The server is a setting: a button of its own beside the copy (and the copy button's own
    // menu) changes it.
    m_copy->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* serverAction = new QAction(ResourceString(IDS_DL_SERVER_ACTION), m_copy);
    serverAction->setObjectName(QStringLiteral("fileServer"));
    m_copy->addAction(serverAction);
    connect(serverAction, &QAction::triggered, this, &CFirmwarePage::EditFileServer);
    m_server = MakeButton(IDS_DL_SERVER_ACTION, IDS_FW_TIP_FILE_SERVER, "fileServerButton", checkGroup);
    connect(m_server, &QPushButton::clicked, this, &CFirmwarePage::EditFileServer);
    auto* checkLayout = new QVBoxLayout(checkGroup);
    checkLayout->addWidget(m_check);
    checkLayout->addWidget(m_copy);
    checkLayout->addWidget(m_server);

    auto* revisionGroup = new QGroupBox(ResourceString(IDS_FW_GROUP_REVISION), this);
    m_installed = new QLabel(RevisionText(0), revisionGroup);
    m_installed->setObjectName(QStringLiteral("installed"));
    m_available = new QLabel(RevisionText(0), revisionGroup);
    m_available->setObjectName(QStringLiteral("available"));
    for (QLabel* value : {m_installed, m_available}) {
        value->setFrameShape(QFrame::StyledPanel);
        value->setAlignment(Qt::AlignCenter);
        value->setMinimumWidth(80);
    }
    m_order = new QLabel(revisionGroup);
    m_order->setObjectName(QStringLiteral("revisionOrder"));
    m_order->setToolTip(ResourceString(IDS_PAGE_TIP_REVISION_ORDER));
    m_send = MakeButton(IDS_FW_SEND, IDS_FW_TIP_SEND, "sendFirmware", revisionGroup);
    auto* revisionLayout = new QGridLayout(revisionGroup);
    revisionLayout->addWidget(new QLabel(ResourceString(IDS_FW_INSTALLED), revisionGroup), 0, 0);
    revisionLayout->addWidget(m_installed, 0, 1);
    revisionLayout->addWidget(new QLabel(ResourceString(IDS_FW_AVAILABLE), revisionGroup), 1, 0);
    revisionLayout->addWidget(m_available, 1, 1);
    revisionLayout->addWidget(m_order, 1, 2);
    revisionLayout->addWidget(m_send, 2, 0, 1, 3);

    auto* logGroup = new QGroupBox(ResourceString(IDS_FW_GROUP_LOG), this);
    m_log = new COutputWindow(logGroup);
    m_log->setObjectName(QStringLiteral("activityLog"));
    m_log->setMaximumBlockCount(0); // the character limit below applies instead
    auto* logLayout = new QVBoxLayout(logGroup);
    logLayout->addWidget(m_log);

    auto* top = new QHBoxLayout;
    top->addWidget(checkGroup);
    top->addWidget(revisionGroup, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(folderGroup);
    layout->addLayout(top);
    layout->addWidget(logGroup, 1);

    m_busyPoll = new QTimer(this);
    m_busyPoll->setInterval(250);
    connect(m_busyPoll, &QTimer::timeout, this, &CFirmwarePage::UpdateButtons);
    connect(m_default, &QPushButton::clicked, this, &CFirmwarePage::ChooseDefaultFolder);
    connect(m_browse, &QPushButton::clicked, this, &CFirmwarePage::BrowseForFolder);
    connect(m_check, &QPushButton::clicked, this, &CFirmwarePage::CheckRevisionNow);
    connect(m_send, &QPushButton::clicked, this, &CFirmwarePage::SendFirmware);
    connect(m_copy, &QPushButton::clicked, this, &CFirmwarePage::CopyNewFiles);
    connect(m_folder, &QLineEdit::editingFinished, this, [this] { SetFolder(m_folder->text().trimmed()); });

    for (CEventSource* value : std::initializer_list<CEventSource*> {&m_model->m_firmwareRevision,
             &m_model->m_firmwareStatus, &m_model->m_firmwareFolder, &m_model->m_serialPortState})
        value->AddObserver(this);
    m_folder->setText(m_model->m_firmwareFolder.m_value);
    ShowInstalled();
    RefreshAvailable(false);
    UpdateButtons();
}

CFirmwarePage::~CFirmwarePage()
{
    for (CEventSource* value : std::initializer_list<CEventSource*> {&m_model->m_firmwareRevision,
             &m_model->m_firmwareStatus, &m_model->m_firmwareFolder, &m_model->m_serialPortState})
        value->RemoveObserver(this);
}

void CFirmwarePage::OnPageShown()
{
    if (m_folder->text() != m_model->m_firmwareFolder.m_value)
        m_folder->setText(m_model->m_firmwareFolder.m_value);
    ShowInstalled();
    RefreshAvailable(false);
    UpdateButtons();
    m_busyPoll->start();
}

void CFirmwarePage::OnPageHidden()
{
    m_busyPoll->stop();
}

void CFirmwarePage::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)index;
    (void)extra;
    if (eventId == m_model->m_firmwareFolder.EventId()) {
        if (m_folder->text() != m_model->m_firmwareFolder.m_value)
            m_folder->setText(m_model->m_firmwareFolder.m_value);
        RefreshAvailable(false);
        return;
    }
    ShowInstalled();
    UpdateButtons();
}

void CFirmwarePage::AppendActivityLine(const QString& text)
{
    m_log->AppendText(text);
    m_log->EndLine();
    // A rich edit control stops taking text at its limit; this log drops its oldest lines
    // instead, so the newest messages are never the ones lost.
    QTextDocument* document = m_log->document();
    const int excess = document->characterCount() - kLogLimit;
    if (excess > 0) {
        const QTextBlock cut = document->findBlock(excess);
        QTextCursor cursor(document);
        cursor.setPosition(0);
        cursor.setPosition(cut.isValid() ? cut.position() + cut.length() : excess, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
}

void CFirmwarePage::ShowInstalled()
{
    m_installed->setText(RevisionText(m_model->m_firmwareRevision.m_value));
    ShowOrder();
}

namespace {
// The available revision against the installed one, only while the amplifier runs firmware
// whose revision has been read.
RevisionOrder Order(const CModel& model, const CFirmwareFiles& files)
{
    if (model.m_firmwareStatus.m_value != FirmwareApplication || !files.HasFirmwareFile())
        return RevisionOrder::Unknown;
    return FirmwareRevision::Compare(model.m_firmwareRevision.m_value, files.FirmwareFile().m_revision);
}
} // namespace

void CFirmwarePage::ShowOrder()
{
    switch (Order(*m_model, m_files)) {
    case RevisionOrder::Newer:
        m_order->setText(ResourceString(IDS_PAGE_REVISION_NEWER));
        break;
    case RevisionOrder::Same:
        m_order->setText(ResourceString(IDS_PAGE_REVISION_SAME));
        break;
    case RevisionOrder::Older:
        m_order->setText(ResourceString(IDS_PAGE_REVISION_OLDER));
        break;
    case RevisionOrder::Unknown:
        m_order->clear();
        break;
    }
}

void CFirmwarePage::RefreshAvailable(bool report)
{
    QString note;
    m_folderInUse = FolderInUse::Choose(m_model->m_firmwareFolder.m_value, m_model->DefaultFirmwareFolder(), &note);
    if (note != m_folderNote->text()) {
        m_folderNote->setText(note);
        m_folderNote->setVisible(!note.isEmpty());
        if (!note.isEmpty())
            AppendActivityLine(note);
    }
    ScanFiles(report);
}

void CFirmwarePage::ScanFiles(bool report)
{
    m_files.ScanFolder(m_folderInUse);
    if (m_files.HasFirmwareFile()) {
        const WORD revision = m_files.FirmwareFile().m_revision;
        m_available->setText(FormatResource(IDS_FW_REVISION_FORMAT, revision / 100u, revision % 100u));
    } else {
        m_available->setText(ResourceString(IDS_FW_REVISION_MISSING));
        if (report)
            AppendActivityLine(FormatResource(IDS_FW_FOLDER_LACKS_FILE, ProductName(), ProductName()));
    }
    ShowOrder();
    ApplySendAvailability();
}

void CFirmwarePage::ReportRevisions()
{
    const int status = m_model->m_firmwareStatus.m_value;
    if (status == FirmwareApplication)
        AppendActivityLine(
            FormatResource(IDS_FW_CLI_INSTALLED, ProductName(), RevisionText(m_model->m_firmwareRevision.m_value)));
    else if (status == FirmwareBootLoader)
        AppendActivityLine(FormatResource(IDS_FW_CLI_INSTALLED_BOOT, ProductName()));
    else
        AppendActivityLine(FormatResource(IDS_FW_CLI_INSTALLED_NONE, ProductName(), ProductName()));
    AppendActivityLine(FormatResource(IDS_FW_CLI_FOLDER, m_folderInUse));
    if (!m_files.HasFirmwareFile()) {
        AppendActivityLine(ResourceString(IDS_FW_CLI_NEWEST_NONE));
        return;
    }
    const CRevisionedFileName& file = m_files.FirmwareFile();
    AppendActivityLine(
        FormatResource(IDS_FW_CLI_NEWEST, FileNameParts::Name(file.m_fileName), RevisionText(file.m_revision)));
    static const unsigned kVerdicts[] = {0, IDS_FW_CLI_UPDATE_AVAILABLE, IDS_FW_CLI_UP_TO_DATE, IDS_FW_OLDER_IN_FOLDER};
    if (const unsigned verdict = kVerdicts[static_cast<int>(Order(*m_model, m_files))])
        AppendActivityLine(ResourceString(verdict));
}

void CFirmwarePage::SetFolder(const QString& folder)
{
    if (folder == m_model->m_firmwareFolder.m_value)
        return;
    m_model->m_firmwareFolder.Set(folder);
}

bool CFirmwarePage::ConversationRunning() const
{
    IContactStateMachine* contact = m_model->ContactMachine();
    IStateMachine* running = m_model->RunningMachine();
    return m_sending || (contact && !contact->IsIdle()) || (running && !running->IsIdle());
}

void CFirmwarePage::UpdateButtons()
{
    // The folder is only read when firmware is sent: it may change during a search or a
    // conversation, never while a load is being prepared or runs.
    for (QPushButton* button : {m_default, m_browse})
        button->setEnabled(!m_sending);
    m_folder->setReadOnly(m_sending);
    const CConnectionFacts facts = ReadConnectionFacts(*m_model);
    const CActionAvailability busy {false, ResourceString(IDS_WHY_BUSY)};
    ApplyAvailability(m_check, m_sending ? busy : ActionAvailability(DeviceAction::CheckRevision, facts));
    // A file copied into the folder or taken away meanwhile shows at once (the page checks
    // every 250 ms while it is shown).
    if (!m_sending)
        ScanFiles(false);
    else
        ApplySendAvailability();
    if (m_reportPending && !ConversationRunning()) {
        m_reportPending = false;
        ReportRevisions();
    }
}

void CFirmwarePage::ApplySendAvailability()
{
    const CActionAvailability busy {false, ResourceString(IDS_WHY_BUSY)};
    CActionAvailability send
        = m_sending ? busy : ActionAvailability(DeviceAction::SendFirmware, ReadConnectionFacts(*m_model));
    // Nothing to send while the folder holds no firmware file.
    if (send.enabled && !m_files.HasFirmwareFile())
        send = {false, FormatResource(IDS_FW_WHY_NO_FILE, ProductName())};
    ApplyAvailability(m_send, send);
}

void CFirmwarePage::ChooseDefaultFolder()
{
    SetFolder(m_model->DefaultFirmwareFolder());
    RefreshAvailable(true);
}

void CFirmwarePage::BrowseForFolder()
{
    if (!m_folderChooser)
        return;
    const QString folder = m_folderChooser(
        window(), FormatResource(IDS_FW_BROWSE_TITLE, ProductName()), m_model->m_firmwareFolder.m_value);
    if (folder.isEmpty())
        return;
    SetFolder(folder);
    RefreshAvailable(true);
}

void CFirmwarePage::CheckRevisionNow()
{
    RefreshAvailable(true);
    IContactStateMachine* contact = m_model->ContactMachine();
    IStateMachine* running = m_model->RunningMachine();
    const bool ask = m_model->m_firmwareStatus.m_value == FirmwareApplication && contact && contact->IsIdle()
        && (!running || running->IsIdle());
    if (!ask) {
        ReportRevisions();
        return;
    }
    // The answer arrives later: the report follows once the query has ended.
    contact->StartRevisionQuery();
    m_reportPending = true;
    UpdateButtons();
}

void CFirmwarePage::PopupError(const QString& text)
{
    ::PopupError(*m_model, m_prompt, IDS_FW_ERROR_CAPTION, text);
}

void CFirmwarePage::SendFirmware()
{
    if (ConversationRunning()) {
        PopupError(FormatResource(IDS_FW_BUSY, ProductName()));
        return;
    }
    QElapsedTimer clock;
    clock.start();
    const DWORD speed = m_model->PortSpeed();

    RefreshAvailable(false);
    if (!m_files.HasRequiredFile()) {
        PopupError(ResourceString(IDS_FW_FILE_MISSING));
        return;
    }
    const int status = m_model->m_firmwareStatus.m_value;
    // The checks and questions are the load plan's, shared with the command line.
    if (status == FirmwareNone && !m_model->IsOtherDevice()) {
        PopupError(FirmwareLoadPlan::CheckDevice(*m_model));
        return;
    }
    AppendActivityLine(FormatResource(IDS_FW_SENDING_FROM, m_folderInUse));
    if (const QString refused = FirmwareLoadPlan::CheckDevice(*m_model); !refused.isEmpty()) {
        PopupError(refused);
        return;
    }
    if (const QString damaged = FirmwareLoadPlan::CheckImage(m_files.FirmwareFile().m_fileName); !damaged.isEmpty()) {
        PopupError(damaged);
        return;
    }
    if (!ConfirmDowngrade())
        return;
    m_sending = true;
    UpdateButtons();
    if (FirmwareLoadPlan::OffersBackup(*m_model) && !OfferBackup()) {
        m_sending = false;
        UpdateButtons();
        return;
    }

    m_model->m_firmwareFile.Set(m_files.FirmwareFile());
    const DWORD result = RunLoaderDialog();
    m_sending = false;

    // The boot loader talks at 38400 bit/s; the application restarts at its own speed, which a
    // successful load from the boot loader has just found.
    const bool keepFoundSpeed = result == 0 && status == FirmwareBootLoader;
    if (!keepFoundSpeed && speed != 0 && m_model->IsPortOpen() && m_model->PortSpeed() != speed) {
        m_model->SetPortSpeed(speed);
        m_model->NotifyPortSpeed();
    }
    // After a failed load the amplifier is waiting in its boot loader (or must be restarted
    // first): contact finds it again so that the firmware can be sent again.
    if (result != 0 && m_model->ContactMachine())
        m_model->ContactMachine()->StartContact();
    AppendActivityLine(FormatResource(IDS_ELAPSED_TIME, static_cast<unsigned>((clock.elapsed() + 500) / 1000)));
    ShowInstalled();
    UpdateButtons();
}

bool CFirmwarePage::ConfirmDowngrade()
{
    // Going back to an older revision is sometimes wanted, never by accident.
    const CRevisionedFileName& file = m_files.FirmwareFile();
    if (!FirmwareLoadPlan::IsDowngrade(*m_model, file))
        return true;
    if (m_prompt
        && m_prompt->AskYesNo(IUserPrompt::Icon::Warning, FirmwareLoadPlan::DowngradeCaption(),
            FirmwareLoadPlan::DowngradeQuestion(*m_model, file)))
        return true;
    AppendActivityLine(ResourceString(IDS_FW_CLI_NOT_CONFIRMED));
    return false;
}

bool CFirmwarePage::OfferBackup()
{
    // New firmware can change or reset settings, and users are told to keep a copy before
    // every firmware change: offer it each time, one click to skip, Cancel to send nothing.
    if (!m_prompt)
        return true;
    const QString fileName = CConfigBackupOffer::FileName(*m_model, QDateTime::currentDateTime());
    const BackupOffer::Texts texts = FirmwareLoadPlan::BackupTexts(fileName, true);
    const auto save = [this](QString* name) -> DWORD {
        DWORD code = Result::GenFailure;
        const int saved = RunBackupDialog(*name, &code);
        return saved == 1 ? 0 : saved == 2 ? Result::Cancelled : (code != 0 ? code : Result::GenFailure);
    };
    return BackupOffer::MayGoOn(BackupOffer::Offer(
        *m_model, *m_prompt, texts, fileName, save, [this](const QString& line) { AppendActivityLine(line); }));
}

int CFirmwarePage::RunBackupDialog(const QString& fileName, DWORD* result)
{
    if (m_backupRunner)
        return m_backupRunner(*this, fileName, result);
    // The save dialog with its name chosen: the configuration folder and the default name.
    CConfigSaveDlg dialog(
        m_model, m_prompt, window(), [fileName](QWidget*, const QString&, const QString&) { return fileName; });
    const int saved = dialog.exec();
    *result = dialog.ResultCode();
    return saved;
}

DWORD CFirmwarePage::RunLoaderDialog()
{
    if (m_loaderRunner)
        return m_loaderRunner(*this);
    CMcuLoaderDlg dialog(m_model, m_prompt, window());
    dialog.exec();
    return dialog.ResultCode();
}

void CFirmwarePage::CopyNewFiles()
{
    RunCopyDialog(m_folderInUse);
    // Whatever the copy's end, the folder may have changed.
    RefreshAvailable(true);
}

int CFirmwarePage::RunCopyDialog(const QString& folder)
{
    if (m_copyRunner)
        return m_copyRunner(*this, folder);
    CFtpDlg dialog(m_model, folder, window());
    return dialog.exec();
}

void CFirmwarePage::EditFileServer()
{
    const QString fallback = QString::fromLatin1(CModel::kDefaultFileServer);
    bool ok = false;
    const QString answer = QInputDialog::getText(window(), ResourceString(IDS_DL_SERVER_CAPTION),
        FormatResource(IDS_DL_SERVER_PROMPT, fallback), QLineEdit::Normal, m_model->m_fileServer.m_value, &ok)
                               .trimmed();
    if (!ok)
        return;
    const CFileServerAddress address(answer.isEmpty() ? fallback : answer, ProductName());
    if (address.Error() != 0) {
        PopupError(FormatResource(IDS_DL_SERVER_INVALID, answer, GetErrorText(address.Error())));
        return;
    }
    m_model->m_fileServer.Set(answer);
}
