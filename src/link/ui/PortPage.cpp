#include "link/ui/PortPage.h"
#include "link/ConnectionState.h"
#include "model/ConnectionStringIds.h"
#include "model/ContactStateMachineInterface.h"
#include "model/LinkStringIds.h"
#include "link/ports/RemotePortHistory.h"
#include "model/RemotePortName.h"
#include "model/RemoteStringIds.h"
#include "link/ui/PortComboBox.h"
#include "model/RevisionText.h"
#include "model/StringTable.h"
#include "ui/ContextHelp.h"
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

namespace {
const QString kSimPortName = QStringLiteral("SIM");
} // namespace

CPortPage::CPortPage(CModel* model, IUserPrompt* prompt, QWidget* parent, PortLister lister)
    : CPageBase(model, prompt, parent)
    , m_lister(lister ? std::move(lister) : PortLister(&ListSerialPorts))
    , m_connectionWatch(*model, [this] { ShowConnectionState(); })
{
    m_label = new QLabel(ResourceString(IDS_PORT_LABEL), this);
    m_portList = new CPortComboBox(this);
    m_portList->setObjectName(QStringLiteral("portList"));
    m_portList->setMinimumWidth(180);
    m_portList->setToolTip(ResourceString(IDS_TIP_PORT_LIST));
    m_label->setBuddy(m_portList);
    m_testButton = new QPushButton(ResourceString(IDS_TEST_COMMUNICATIONS), this);
    m_testButton->setObjectName(QStringLiteral("testButton"));
    m_testButton->setDefault(true);
    m_testButton->setAutoDefault(true);
    m_testButton->setToolTip(ResourceString(IDS_TIP_TEST_COMMUNICATIONS));
    m_closeButton = new QPushButton(ResourceString(IDS_CLOSE_PORT), this);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setToolTip(ResourceString(IDS_TIP_CLOSE_PORT));
    m_closeButton->setEnabled(false);
    m_connectionPanel = new QLabel(this);
    m_connectionPanel->setObjectName(QStringLiteral("connectionPanel"));
    m_connectionPanel->setFrameShape(QFrame::StyledPanel);
    m_connectionPanel->setWordWrap(true);
    m_connectionPanel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_connectionPanel->setWhatsThis(ResourceString(IDS_CONN_TIP_STATE));
    m_stopButton = new QPushButton(ResourceString(IDS_CONN_STOP), this);
    m_stopButton->setObjectName(QStringLiteral("stopButton"));
    m_stopButton->setToolTip(ResourceString(IDS_CONN_TIP_STOP));
    m_stopButton->setAutoDefault(false);
    // The panel keeps its place whether or not Stop is there.
    QSizePolicy keepPlace = m_stopButton->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_stopButton->setSizePolicy(keepPlace);
    m_stopButton->hide();
    CContextHelp::Apply(m_portList, kPortListId);
    CContextHelp::Apply(m_testButton, kTestButtonId);
    CContextHelp::Apply(m_closeButton, kCloseButtonId);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setHorizontalSpacing(24);
    layout->setVerticalSpacing(14);
    layout->addWidget(m_label, 0, 0, 1, 3);
    layout->addWidget(m_portList, 1, 0);
    layout->addWidget(m_testButton, 2, 1);
    layout->addWidget(m_closeButton, 3, 1);
    layout->setColumnMinimumWidth(1, 180);
    layout->setColumnStretch(2, 1);
    auto* panel = new QHBoxLayout;
    panel->addWidget(m_connectionPanel, 1);
    panel->addWidget(m_stopButton);
    layout->addLayout(panel, 4, 0, 1, 3);
    layout->setRowStretch(5, 1);

    connect(m_portList, &CPortComboBox::PopupAboutToShow, this, &CPortPage::FillList);
    connect(m_portList, qOverload<int>(&QComboBox::activated), this, &CPortPage::OnPortActivated);
    connect(m_portList->lineEdit(), &QLineEdit::returnPressed, this, &CPortPage::OnPortTyped);
    connect(m_testButton, &QPushButton::clicked, this, &CPortPage::OnTestCommunications);
    connect(m_closeButton, &QPushButton::clicked, this, &CPortPage::OnClosePort);
    connect(m_stopButton, &QPushButton::clicked, this, &CPortPage::OnStop);

    FillList();
    // A port that has disappeared since the last run is forgotten; a serial device server
    // cannot be seen from here and is kept.
    if (m_portList->findText(m_model->m_port.m_value, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0
        && RemoteProtocolOf(m_model->m_port.m_value) == RemoteProtocol::None) {
        if (!m_model->m_port.m_value.isEmpty())
            m_model->m_port.Set(QString());
    }
    SelectModelPort();
}

CPortPage::~CPortPage()
{
    OnPageHidden();
}

std::vector<CPortInfo> CPortPage::PortChoices(std::vector<CPortInfo> systemPorts, const QStringList& remotePorts)
{
    systemPorts.erase(std::remove_if(systemPorts.begin(), systemPorts.end(),
                          [](const CPortInfo& p) { return p.name.isEmpty() || p.name == kSimPortName; }),
        systemPorts.end());
    std::stable_sort(systemPorts.begin(), systemPorts.end(), [](const CPortInfo& a, const CPortInfo& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    for (const QString& name : remotePorts) {
        CPortInfo remote;
        remote.name = name;
        remote.description = ResourceString(IDS_REMOTE_DESCRIPTION);
        systemPorts.push_back(remote);
    }
    CPortInfo sim;
    sim.name = kSimPortName;
    sim.description = ResourceString(IDS_SIM_DESCRIPTION);
    systemPorts.push_back(sim);
    return systemPorts;
}

void CPortPage::FillList()
{
    const QString selected = m_portList->currentIndex() >= 0 ? m_portList->currentText() : QString();
    const QString typed = m_portList->currentText();
    QList<QPair<QString, QString>> entries;
    for (const CPortInfo& port : PortChoices(m_lister(), CRemotePortHistory(m_model->Store()).Names()))
        entries.append({port.name, port.description});
    m_portList->SetPorts(entries);
    const int index
        = selected.isEmpty() ? -1 : m_portList->findText(selected, Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_portList->setCurrentIndex(index);
    if (index < 0)
        m_portList->setEditText(typed);
}

void CPortPage::SelectModelPort()
{
    const QString& name = m_model->m_port.m_value;
    // An exact match: a prefix search would show COM10 for a COM1 that has gone.
    const int index = name.isEmpty() ? -1 : m_portList->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_portList->setCurrentIndex(index);
    if (index < 0)
        m_portList->setEditText(name);
}

void CPortPage::ChoosePort(const QString& name)
{
    CRemotePortHistory(m_model->Store()).Remember(name);
    m_model->m_port.Set(name);
    SelectModelPort();
}

void CPortPage::OnPageShown()
{
    if (m_observing)
        return;
    // Each value is drawn once before the page counts as observing, so showing the page
    // never pops up a status box by itself.
    m_model->m_firmwareStatus.AddObserver(this);
    OnEvent(m_model->m_firmwareStatus.EventId(), 0, 0);
    m_model->m_port.AddObserver(this);
    OnEvent(m_model->m_port.EventId(), 0, 0);
    m_model->m_serialPortState.AddObserver(this);
    OnEvent(m_model->m_serialPortState.EventId(), 0, 0);
    m_connectionWatch.Attach();
    m_observing = true;
}

void CPortPage::OnPageHidden()
{
    m_model->m_firmwareStatus.RemoveObserver(this);
    m_model->m_port.RemoveObserver(this);
    m_model->m_serialPortState.RemoveObserver(this);
    m_connectionWatch.Detach();
    m_observing = false;
}

void CPortPage::ShowConnectionState()
{
    const CConnectionState state = DescribeConnection(ReadConnectionFacts(*m_model));
    m_connectionPanel->setText(state.text);
    m_stopButton->setVisible(state.canStop);
}

void CPortPage::OnStop()
{
    // The search ends at its next poll; the port stays open for the next try.
    if (IContactStateMachine* contact = m_model->ContactMachine())
        contact->Cancel();
}

void CPortPage::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)index;
    (void)extra;
    if (eventId == m_model->m_port.EventId()) {
        SelectModelPort();
    } else if (eventId == m_model->m_serialPortState.EventId()) {
        m_closeButton->setEnabled(m_model->m_serialPortState.m_value != 0);
    } else if (eventId == m_model->m_firmwareStatus.EventId()) {
        if (m_observing && m_model->IsPortOpen())
            PostStatusBox();
    }
}

void CPortPage::PostStatusBox()
{
    // The texts are taken now, while they describe the contact that just ended; the box
    // itself waits until the machine that published the status has returned.
    IUserPrompt::Icon icon = IUserPrompt::Icon::Error;
    QString text;
    switch (m_model->m_firmwareStatus.m_value) {
    case FirmwareApplication:
        icon = IUserPrompt::Icon::Information;
        text = FormatResource(IDS_REVISION_AND_SPEED, ProductName(), RevisionText(m_model->m_firmwareRevision.m_value),
            m_model->PortSpeed());
        break;
    case FirmwareBootLoader:
        icon = IUserPrompt::Icon::Warning;
        text = FormatResource(IDS_WAITING_FOR_FIRMWARE, ProductName(), m_model->PortSpeed());
        break;
    default:
        if (m_model->IsOtherDevice()) {
            icon = IUserPrompt::Icon::Warning;
            text = m_model->OtherDeviceText();
        } else {
            text = FormatResource(IDS_NOT_RESPONDING, ProductName());
        }
        break;
    }
    const QString caption = ResourceString(IDS_STATUS_CAPTION);
    QTimer::singleShot(0, this, [this, icon, caption, text] {
        if (m_prompt)
            m_prompt->ShowMessage(icon, caption, text);
    });
}

void CPortPage::OnTestCommunications()
{
    // A name typed into the entry and not yet confirmed with Enter is the user's choice.
    const QString typed = m_portList->currentText().trimmed();
    if (!typed.isEmpty() && typed != m_model->m_port.m_value) {
        ChoosePort(typed);
        return;
    }
    if (m_model->m_port.m_value.isEmpty()) {
        const QString text = ResourceString(IDS_CHOOSE_PORT);
        m_model->Status(text);
        if (m_prompt)
            m_prompt->ShowMessage(IUserPrompt::Icon::Error, ResourceString(IDS_SELECT_PORT_CAPTION), text);
        m_portList->setFocus();
        m_portList->showPopup();
        return;
    }
    if (IContactStateMachine* contact = m_model->ContactMachine())
        contact->StartContact();
}

void CPortPage::OnClosePort()
{
    if (IContactStateMachine* contact = m_model->ContactMachine())
        contact->StartClosePort();
}

void CPortPage::OnPortActivated(int index)
{
    // Picking the entry that is already chosen changes nothing (as a selection change would
    // not be reported for it); "Test Communications" is there to contact again.
    const QString name = m_portList->itemText(index);
    CRemotePortHistory(m_model->Store()).Remember(name);
    if (name != m_model->m_port.m_value)
        m_model->m_port.Set(name);
}

void CPortPage::OnPortTyped()
{
    // Entries of the list arrive through activated(); this is for names typed by hand.
    const QString typed = m_portList->currentText().trimmed();
    if (typed.isEmpty() || m_portList->findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        return;
    ChoosePort(typed);
}
