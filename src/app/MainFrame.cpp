#include "app/MainFrame.h"
#include "app/AboutDlg.h"
#include "app/AppResources.h"
#include "app/AppStringIds.h"
#include "app/CommandTesterPage.h"
#include "app/HelpWindow.h"
#include "app/TabView.h"
#include "app/ConfigPage.h"
#include "firmware/ui/FirmwarePage.h"
#include "firmware/ui/ReleaseInfoDlg.h"
#include "link/ConnectionState.h"
#include "model/ConnectionStringIds.h"
#include "model/ContactStateMachineInterface.h"
#include "link/ui/PortPage.h"
#include "model/QtSettingsStore.h"
#include "model/ResultCode.h"
#include "model/RevisionText.h"
#include "model/StringTable.h"
#include "operate/ui/OperatePage.h"
#include "sim/PortFactory.h"
#include "ui/HelpRequest.h"
#include "ui/ScreenFit.h"
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QWhatsThis>

namespace {
// The window placement record's values as the settings keep them.
constexpr DWORD kShowNormal = 1;
constexpr DWORD kShowMinimized = 2;
constexpr DWORD kShowMaximized = 3;
constexpr DWORD kRestoreToMaximized = 2;
constexpr DWORD kNoPosition = 0xFFFFFFFF;

// A menu text "Prompt\nTip": the status-bar prompt before the line break, the tip after it.
void SetPrompt(QAction* action, const QString& text)
{
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    action->setStatusTip(newline < 0 ? text : text.left(newline));
    if (newline >= 0)
        action->setToolTip(text.mid(newline + 1));
}

QMessageBox::Icon BoxIcon(IUserPrompt::Icon icon)
{
    switch (icon) {
    case IUserPrompt::Icon::Information:
        return QMessageBox::Information;
    case IUserPrompt::Icon::Warning:
        return QMessageBox::Warning;
    case IUserPrompt::Icon::Error:
        return QMessageBox::Critical;
    case IUserPrompt::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString BoxText(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}
} // namespace

const char* const CMainFrame::kPlacementNames[10]
    = {"flags", "showCmd", "minPosX", "minPosY", "maxPosX", "maxPosY", "left", "top", "right", "bottom"};

CMainFrame::CMainFrame(const QString& port, IUserPrompt* prompt, QWidget* parent)
    : QMainWindow(parent)
    , m_model(m_host, std::make_unique<CQtSettingsStore>())
    , m_injectedPrompt(prompt)
    , m_connectionWatch(m_model, [this] { OnConnectionChanged(); })
{
    InitAppResources();
    setObjectName(QStringLiteral("mainFrame"));
    // Dialogs and the help window open on the screen, however large they would like to be.
    qApp->installEventFilter(new ScreenFit::CFilter(this));

    // 1. The status bar, reading "Ready".
    m_statusText = new CElidedLabel(this);
    m_statusText->SetFullText(ResourceString(IDS_READY));
    m_statusText->setObjectName(QStringLiteral("statusText"));
    // A long line is cut with "…" rather than widening the window or running into the link
    // item; its tooltip holds all of it.
    m_statusText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(m_statusText, 1);
    m_connectionItem = new CElidedLabel(this);
    m_connectionItem->setObjectName(QStringLiteral("connectionItem"));
    m_connectionItem->setWhatsThis(ResourceString(IDS_CONN_TIP_STATE));
    statusBar()->addPermanentWidget(m_connectionItem);
    statusBar()->setSizeGripEnabled(true);

    // 2. The model reports to this window and opens ports through the factory; settings load.
    m_model.SetStatusSink(this);
    m_model.SetUserPrompt(this);
    m_model.SetPortFactory([this](const QString& name) { return CreatePort(name, m_host, this, this); });
    m_model.Dispatcher().SetFallback([this] { RouteCommEvent(); });
    HelpRequest::SetHandler([this](const QString& topic) { ShowHelp(topic); });
    m_model.LoadSettings();

    // 3. Menus, with the View checks from the settings.
    CreateMenus();

    // 4. and 5. The pages, and the page shown last (an index without a page gives the first).
    CreatePages();
    if (!m_tabView->SelectPage(m_model.m_activePage.m_value))
        m_tabView->SelectPage(CTabView::PortPage);
    m_tabView->Activate();
    if (!port.isEmpty())
        m_portPage->ChoosePort(port);

    // 7. The values the window follows.
    AttachObservers();

    // 8. The port chosen last is opened and the amplifier looked for (nothing with no port).
    if (IContactStateMachine* contact = m_model.ContactMachine())
        contact->StartContact();
}

CMainFrame::~CMainFrame()
{
    Shutdown();
    // The pages detach from the model as they go, so they go before it.
    delete m_tabView;
    m_tabView = nullptr;
    m_model.SetStatusSink(nullptr);
    m_model.SetUserPrompt(nullptr);
    m_model.Dispatcher().SetFallback({});
    HelpRequest::SetHandler({});
}

void CMainFrame::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(ResourceString(IDS_APP_MENU_FILE));
    QAction* exit = file->addAction(ResourceString(IDS_APP_MENU_EXIT));
    exit->setObjectName(QStringLiteral("actionExit"));
    exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(exit, &QAction::triggered, this, &QWidget::close, Qt::QueuedConnection);

    QMenu* view = menuBar()->addMenu(ResourceString(IDS_APP_MENU_VIEW));
    m_advancedModeAction = view->addAction(ResourceString(IDS_APP_MENU_ADVANCED_MODE));
    m_advancedModeAction->setObjectName(QStringLiteral("actionAdvancedMode"));
    m_statusBarAction = view->addAction(ResourceString(IDS_APP_MENU_STATUS_BAR));
    m_statusBarAction->setObjectName(QStringLiteral("actionStatusBar"));
    m_traceAction = view->addAction(ResourceString(IDS_APP_MENU_TRACE));
    m_traceAction->setObjectName(QStringLiteral("actionTrace"));
    m_verboseAction = view->addAction(ResourceString(IDS_APP_MENU_VERBOSE_LOGGING));
    m_verboseAction->setObjectName(QStringLiteral("actionVerboseLogging"));
    for (QAction* action : {m_advancedModeAction, m_statusBarAction, m_traceAction, m_verboseAction})
        action->setCheckable(true);
    // Each View item flips its setting; the check follows the setting, not the click.
    connect(m_advancedModeAction, &QAction::triggered, this,
        [this] { m_model.m_advancedMode.Set(m_model.m_advancedMode.m_value ? 0 : 1); });
    connect(m_traceAction, &QAction::triggered, this, [this] { m_model.m_trace.Set(m_model.m_trace.m_value ? 0 : 1); });
    connect(m_verboseAction, &QAction::triggered, this,
        [this] { m_model.m_verboseLogging.Set(m_model.m_verboseLogging.m_value ? 0 : 1); });
    connect(m_statusBarAction, &QAction::triggered, this, [this] {
        statusBar()->setVisible(statusBar()->isHidden());
        UpdateChecks();
    });
    UpdateChecks();

    QMenu* help = menuBar()->addMenu(ResourceString(IDS_APP_MENU_HELP));
    QAction* topics = help->addAction(ResourceString(IDS_APP_MENU_HELP_TOPICS));
    topics->setObjectName(QStringLiteral("actionHelp"));
    topics->setShortcut(QKeySequence(Qt::Key_F1));
    connect(topics, &QAction::triggered, this, [this] {
        const CPageBase* page = m_tabView ? m_tabView->CurrentPage() : nullptr;
        ShowHelp(page ? page->HelpTopic() : QString::fromLatin1(CHelpWindow::kContentsTopic));
    });
    QAction* notes = help->addAction(ResourceString(IDS_APP_MENU_RELEASE_NOTES));
    notes->setObjectName(QStringLiteral("actionReleaseNotes"));
    connect(notes, &QAction::triggered, this, &CMainFrame::ShowReleaseNotes);
    help->addSeparator();
    QAction* about = help->addAction(ResourceString(IDS_APP_MENU_ABOUT));
    about->setObjectName(QStringLiteral("actionAbout"));
    connect(about, &QAction::triggered, this, &CMainFrame::ShowAbout);

    auto* next = new QAction(this);
    next->setObjectName(QStringLiteral("actionNextPane"));
    next->setShortcut(QKeySequence(Qt::Key_F6));
    SetPrompt(next, ResourceString(IDS_APP_NEXT_PANE));
    connect(next, &QAction::triggered, this, [this] { m_tabView->NextPage(); });
    addAction(next);
    auto* previous = new QAction(this);
    previous->setObjectName(QStringLiteral("actionPreviousPane"));
    previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    SetPrompt(previous, ResourceString(IDS_APP_PREVIOUS_PANE));
    connect(previous, &QAction::triggered, this, [this] { m_tabView->PreviousPage(); });
    addAction(previous);

    // Shift+F1, then a click on a control, pops up that control's help.
    QAction* whatsThis = QWhatsThis::createAction(this);
    whatsThis->setObjectName(QStringLiteral("actionWhatsThis"));
    whatsThis->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    addAction(whatsThis);
}

void CMainFrame::CreatePages()
{
    m_tabView = new CTabView(this);
    m_portPage = new CPortPage(&m_model, this, m_tabView);
    m_tabView->AddPage(CTabView::PortPage, m_portPage, ResourceString(IDS_APP_PAGE_PORT));
    m_tabView->AddPage(
        CTabView::FirmwarePage, new CFirmwarePage(&m_model, this, m_tabView), ResourceString(IDS_APP_PAGE_FIRMWARE));
    m_tabView->AddPage(
        CTabView::OperatePage, new COperatePage(&m_model, this, m_tabView), ResourceString(IDS_APP_PAGE_OPERATE));
    m_tabView->AddPage(CTabView::ConfigurationPage, new CConfigPage(&m_model, this, m_tabView),
        ResourceString(IDS_APP_PAGE_CONFIGURATION));
    m_commandTesterPage = new CCommandTesterPage(&m_model, this, m_tabView);
    m_tabView->AddPage(CTabView::CommandTesterPage, m_commandTesterPage, ResourceString(IDS_APP_PAGE_COMMAND_TESTER));
    setCentralWidget(m_tabView);
}

void CMainFrame::AttachObservers()
{
    m_model.m_firmwareStatus.AddObserver(this);
    m_model.m_serialNumber.AddObserver(this);
    m_model.m_port.AddObserver(this);
    m_model.m_portSpeed.AddObserver(this);
    m_model.m_serialPortState.AddObserver(this);
    m_model.m_completion.AddObserver(this);
    m_model.m_advancedMode.AddObserver(this);
    m_model.m_trace.AddObserver(this);
    m_model.m_verboseLogging.AddObserver(this);
    m_connectionWatch.Attach();
    // Drawing the values once: the title only. The contact is started right after this, and
    // a start with no port must leave "Ready" in the status bar.
    UpdateTitle();
    UpdateChecks();
}

void CMainFrame::DetachObservers()
{
    m_model.m_firmwareStatus.RemoveObserver(this);
    m_model.m_serialNumber.RemoveObserver(this);
    m_model.m_port.RemoveObserver(this);
    m_model.m_portSpeed.RemoveObserver(this);
    m_model.m_serialPortState.RemoveObserver(this);
    m_model.m_completion.RemoveObserver(this);
    m_model.m_advancedMode.RemoveObserver(this);
    m_model.m_trace.RemoveObserver(this);
    m_model.m_verboseLogging.RemoveObserver(this);
    m_connectionWatch.Detach();
}

void CMainFrame::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)index;
    (void)extra;
    if (eventId == m_model.m_firmwareStatus.EventId()) {
        UpdateTitle();
        PostFirmwareStatusLine();
    } else if (eventId == m_model.m_serialNumber.EventId() || eventId == m_model.m_portSpeed.EventId()
        || eventId == m_model.m_serialPortState.EventId()) {
        UpdateTitle();
    } else if (eventId == m_model.m_port.EventId()) {
        UpdateTitle();
        if (IContactStateMachine* contact = m_model.ContactMachine()) {
            if (m_model.m_port.m_value.isEmpty())
                contact->StartClosePort();
            else
                contact->StartContact();
        }
    } else if (eventId == m_model.m_completion.EventId()) {
        // "Ready" only with the amplifier there: beside a lost, closed or silent port it would
        // contradict the link item, and the line saying what went wrong stays.
        if (AmplifierThere())
            SetStatusText(ResourceString(IDS_READY));
    } else if (eventId == m_model.m_advancedMode.EventId() || eventId == m_model.m_trace.EventId()
        || eventId == m_model.m_verboseLogging.EventId()) {
        UpdateChecks();
    }
}

void CMainFrame::UpdateChecks()
{
    m_advancedModeAction->setChecked(m_model.m_advancedMode.m_value != 0);
    m_statusBarAction->setChecked(!statusBar()->isHidden());
    m_traceAction->setChecked(m_model.m_trace.m_value != 0);
    m_verboseAction->setChecked(m_model.m_verboseLogging.m_value != 0);
}

QString CMainFrame::TitleText() const
{
    QString title = TitleBaseText();
    if (m_model.m_serialNumber.m_value < kNoSerialNumber)
        title += FormatResource(IDS_TITLE_SERIAL, m_model.m_serialNumber.m_value);
    const QString& port = m_model.m_port.m_value;
    if (!port.isEmpty()) {
        // The speed only once the amplifier answers at it: while a search tries one speed after
        // another, or after it gave up, the port's speed of the moment says nothing.
        const int status = m_model.m_firmwareStatus.m_value;
        if (m_model.IsPortOpen() && (status == FirmwareApplication || status == FirmwareBootLoader))
            title += FormatResource(IDS_TITLE_PORT_OPEN, port, m_model.PortSpeed());
        else if (m_model.IsPortOpen())
            title += FormatResource(IDS_TITLE_PORT_SEARCHING, port);
        else
            title += FormatResource(IDS_TITLE_PORT_CLOSED, port);
    }
    return title;
}

void CMainFrame::UpdateTitle()
{
    setWindowTitle(TitleText());
}

QString CMainFrame::FirmwareStatusLine() const
{
    switch (m_model.m_firmwareStatus.m_value) {
    case FirmwareBootLoader:
        return FormatResource(IDS_WAITING_FOR_FIRMWARE, ProductName(), m_model.PortSpeed());
    case FirmwareApplication:
        return FormatResource(IDS_REVISION_AND_SPEED, ProductName(), RevisionText(m_model.m_firmwareRevision.m_value),
            m_model.PortSpeed());
    default:
        if (m_model.IsOtherDevice())
            return m_model.OtherDeviceText();
        if (m_model.IsPortOpen())
            return FormatResource(IDS_NOT_RESPONDING, ProductName());
        return ResourceString(IDS_SERIAL_PORT_CLOSED);
    }
}

void CMainFrame::PostFirmwareStatusLine()
{
    // A lost port has its own line from the model, which "closed" would cover up.
    if (m_model.m_portLost.m_value != 0)
        return;
    // Taken now, shown once the machine that changed the status has returned.
    const QString text = FirmwareStatusLine();
    m_statusLinePending = true;
    QTimer::singleShot(0, this, [this, text] {
        m_statusLinePending = false;
        if (!m_shutDown)
            ShowLinkLine(text);
    });
}

bool CMainFrame::AmplifierThere()
{
    const ConnectionKind link = DescribeConnection(ReadConnectionFacts(m_model)).kind;
    return link == ConnectionKind::Connected || link == ConnectionKind::BootLoader;
}

void CMainFrame::ShowLinkLine(const QString& text)
{
    // The link item says where the link stands, in words of its own: the status text beside it
    // neither repeats it nor keeps a line it has overtaken ("Attempting to contact..."). The
    // line itself goes to the activity log.
    SetStatusText(AmplifierThere() ? ResourceString(IDS_READY) : QString());
    CPageBase* page = m_tabView ? m_tabView->CurrentPage() : nullptr;
    if (page && page->HasActivityLog())
        page->AppendActivityLine(text);
}

void CMainFrame::OnConnectionChanged()
{
    const CConnectionFacts facts = ReadConnectionFacts(m_model);
    const CConnectionState state = DescribeConnection(facts);
    m_connectionItem->SetFullText(state.text);
    m_connectionItem->setToolTip(state.text);
    // A contact that has ended leaves its outcome in the status bar even when the firmware
    // status stayed as it was (a search stopped or closed, an amplifier that never answered):
    // "Attempting to contact..." no longer holds. A port that would not open keeps the line
    // saying why.
    const bool ended = m_contactWasBusy && !facts.contactBusy;
    m_contactWasBusy = facts.contactBusy;
    if (ended && !m_statusLinePending
        && (facts.portOpen || !Result::Failed(facts.contactResult) || facts.contactResult == Result::Cancelled))
        PostFirmwareStatusLine();
}

void CMainFrame::RouteCommEvent()
{
    if (CPageBase* page = m_tabView ? m_tabView->CurrentPage() : nullptr)
        page->OnCommEvent();
}

QString CMainFrame::StatusText() const
{
    return m_statusText->FullText();
}

void CMainFrame::SetStatusText(const QString& text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String("  "));
    line.replace(QLatin1Char('\n'), QLatin1String("  "));
    m_statusText->SetFullText(line);
    m_statusText->setToolTip(BoxText(text));
    emit StatusTextShown(text);
}

void CMainFrame::OnStatusLine(Kind kind, const QString& text)
{
    CPageBase* page = m_tabView ? m_tabView->CurrentPage() : nullptr;
    CPageBase* log = page && page->HasActivityLog() ? page : nullptr;
    if (kind == Kind::Trace) {
        if (log)
            log->AppendActivityLine(text);
        return;
    }
    if (kind == Kind::Verbose && m_model.m_verboseLogging.m_value == 0)
        return;
    // A search's progress, speed by speed, is the link item's to show.
    const CConnectionFacts facts = ReadConnectionFacts(m_model);
    if (facts.portOpen && DescribeConnection(facts).kind == ConnectionKind::Searching) {
        ShowLinkLine(text);
        return;
    }
    SetStatusText(text);
    if (log)
        log->AppendActivityLine(text);
}

void CMainFrame::ShowMessage(Icon icon, const QString& caption, const QString& text)
{
    if (m_injectedPrompt) {
        m_injectedPrompt->ShowMessage(icon, caption, text);
        return;
    }
    QMessageBox box(BoxIcon(icon), caption, BoxText(text), QMessageBox::Ok, this);
    box.exec();
}

bool CMainFrame::AskYesNo(Icon icon, const QString& caption, const QString& text)
{
    if (m_injectedPrompt)
        return m_injectedPrompt->AskYesNo(icon, caption, text);
    QMessageBox box(BoxIcon(icon), caption, BoxText(text), QMessageBox::Yes | QMessageBox::No, this);
    // A warning asks before something that cannot be undone: Enter must not say yes to it.
    box.setDefaultButton(icon == Icon::Warning ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

IUserPrompt::Answer CMainFrame::AskYesNoCancel(Icon icon, const QString& caption, const QString& text)
{
    if (m_injectedPrompt)
        return m_injectedPrompt->AskYesNoCancel(icon, caption, text);
    QMessageBox box(BoxIcon(icon), caption, BoxText(text), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Yes);
    // Escape and the window's close button are Cancel: nothing is done.
    box.setEscapeButton(QMessageBox::Cancel);
    const int button = box.exec();
    return button == QMessageBox::Yes ? Answer::Yes : button == QMessageBox::No ? Answer::No : Answer::Cancel;
}

void CMainFrame::ShowHelp(const QString& topic)
{
    CHelpWindow::ShowTopic(topic);
}

void CMainFrame::ShowAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::ShowReleaseNotes()
{
    if (m_releaseNotes)
        m_releaseNotes->close();
    m_releaseNotes = CReleaseInfoDlg::ShowForFolder(m_model.m_firmwareFolder.m_value, this, this);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    if (m_firstShow && !event->spontaneous()) {
        m_firstShow = false;
        // Pages not yet shown are not polished, and an unpolished page asks for less room than
        // it will take: the window would open at a size that depends on the page shown first.
        // Every page is polished first, so the largest sets the size.
        for (int tab = 0; tab < m_tabView->count(); ++tab) {
            QWidget* page = static_cast<QScrollArea*>(m_tabView->widget(tab))->widget();
            page->ensurePolished();
            if (page->layout())
                page->layout()->activate();
        }
        const QSize pages = m_tabView->sizeHint();
        m_openingSize
            = QSize((pages.width() * 105 + 50) / 100, (pages.height() * 109 + 50) / 100).expandedTo(minimumSizeHint());
        // The pages scroll, so the window may be made smaller than they would like: small
        // enough for a 1366x768 screen at 125 % (1093x614 to lay out in), menus and status bar
        // included.
        setMinimumSize(m_openingSize.boundedTo(kLargestMinimumSize));
        if (!RestorePlacement()) {
            resize(m_openingSize);
            const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
            if (screen) {
                QRect frame = frameGeometry();
                frame.moveCenter(screen->availableGeometry().center());
                move(frame.topLeft());
            }
        }
        ScreenFit::FitOnScreen(this);
    }
    QMainWindow::showEvent(event);
}

bool CMainFrame::RestorePlacement()
{
    ISettingsStore& store = m_model.Store();
    DWORD values[10];
    for (int i = 0; i < 10; ++i) {
        if (store.ReadDword(QStringLiteral("Window/") + QLatin1String(kPlacementNames[i]), &values[i]) != 0)
            return false;
    }
    const int left = static_cast<int>(values[6]);
    const int top = static_cast<int>(values[7]);
    const int right = static_cast<int>(values[8]);
    const int bottom = static_cast<int>(values[9]);
    if (right <= left || bottom <= top)
        return false;
    setGeometry(QRect(QPoint(left, top), QSize(right - left, bottom - top)));
    const DWORD showCmd = values[1];
    const bool maximized
        = showCmd == kShowMaximized || (showCmd == kShowMinimized && (values[0] & kRestoreToMaximized) != 0);
    // A window closed while minimized opens normally: a program that starts as an icon is
    // easily taken for one that did not start.
    if (maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    return true;
}

void CMainFrame::SavePlacement()
{
    const Qt::WindowStates state = windowState();
    const bool maximized = state.testFlag(Qt::WindowMaximized);
    const bool minimized = state.testFlag(Qt::WindowMinimized);
    QRect normal = (maximized || minimized) ? normalGeometry() : geometry();
    if (normal.isEmpty())
        normal = geometry();
    const DWORD values[10] = {
        minimized && maximized ? kRestoreToMaximized : 0,
        minimized ? kShowMinimized : (maximized ? kShowMaximized : kShowNormal),
        kNoPosition,
        kNoPosition,
        kNoPosition,
        kNoPosition,
        static_cast<DWORD>(normal.left()),
        static_cast<DWORD>(normal.top()),
        static_cast<DWORD>(normal.left() + normal.width()),
        static_cast<DWORD>(normal.top() + normal.height()),
    };
    ISettingsStore& store = m_model.Store();
    for (int i = 0; i < 10; ++i)
        store.WriteDword(QStringLiteral("Window/") + QLatin1String(kPlacementNames[i]), values[i]);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    Shutdown();
    event->accept();
}

void CMainFrame::Shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    // 1. Windows that belong to this one.
    if (m_releaseNotes)
        m_releaseNotes->close();
    CHelpWindow::CloseInstance();
    // 2. No more value notifications to this window.
    DetachObservers();
    // 3. The port closes; nothing is routed to the pages any more.
    m_model.Dispatcher().SetFallback({});
    m_model.ClosePort();
    // 4. The page shown, for the next start.
    if (m_tabView) {
        m_model.m_activePage.Set(m_tabView->CurrentPageIndex());
        m_tabView->Deactivate();
    }
    // 6. and 7. Settings and window placement.
    m_model.SaveSettings();
    // A window that was never shown has no placement of its own to keep.
    if (!m_firstShow)
        SavePlacement();
}
