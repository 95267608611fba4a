#include "app/CommandTesterPage.h"
#include "app/AppStringIds.h"
#include "app/EditMacrosSheet.h"
#include "link/DestructiveCommands.h"
#include "link/ConnectionState.h"
#include "model/ConnectionStringIds.h"
#include "model/StringTable.h"
#include "ui/ContextHelp.h"
#include "ui/ElidedButton.h"
#include "ui/OutputWindow.h"
#include "ui/PageStringIds.h"
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Sent text in blue, the amplifier's answers in the window's own colour.
const QColor kSentColour(0x00, 0x3C, 0xB4);
} // namespace

CCommandTesterPage::CCommandTesterPage(CModel* model, IUserPrompt* prompt, QWidget* parent)
    : CPageBase(model, prompt, parent)
    , m_connectionWatch(*model, [this] { EnableControls(); })
{
    m_promptLabel = new QLabel(ResourceString(IDS_APP_TESTER_PROMPT), this);
    m_entry = new QLineEdit(this);
    m_entry->setObjectName(QStringLiteral("commandEntry"));
    m_entry->setFont(COutputWindow::OutputFont());
    m_entry->installEventFilter(this);
    m_promptLabel->setBuddy(m_entry);
    CContextHelp::Apply(m_entry, kEntryId);

    auto* grid = new QGridLayout;
    grid->setSpacing(4);
    for (int i = 0; i < kMacroCount; ++i) {
        auto* button = new CElidedButton(110, this);
        button->SetFullText(FormatResource(IDS_MACRO_CAPTION, i + 1));
        button->setObjectName(QStringLiteral("macro%1").arg(i + 1));
        button->setAutoDefault(false);
        CContextHelp::Apply(button, kFirstMacroId + i);
        connect(button, &QPushButton::clicked, this, [this, i] { SendMacro(i + 1); });
        m_macros[static_cast<std::size_t>(i)] = button;
        grid->addWidget(button, i / 4, i % 4);
    }
    for (int column = 0; column < 4; ++column)
        grid->setColumnStretch(column, 1);

    m_output = new COutputWindow(this);
    m_output->setObjectName(QStringLiteral("output"));
    m_output->setMinimumHeight(140);
    CContextHelp::Apply(m_output, kOutputId);
    m_editMacros = new QPushButton(ResourceString(IDS_APP_EDIT_MACROS), this);
    m_editMacros->setObjectName(QStringLiteral("editMacros"));
    m_editMacros->setAutoDefault(false);
    m_editMacros->setToolTip(ResourceString(IDS_TIP_EDIT_MACROS));
    CContextHelp::Apply(m_editMacros, kEditMacrosId);
    m_clear = new QPushButton(ResourceString(IDS_APP_CLEAR), this);
    m_clear->setObjectName(QStringLiteral("clear"));
    m_clear->setAutoDefault(false);
    m_clear->setToolTip(ResourceString(IDS_TIP_CLEAR));
    CContextHelp::Apply(m_clear, kClearId);

    m_whyDisabled = new QLabel(this);
    m_whyDisabled->setObjectName(QStringLiteral("whyDisabled"));
    m_whyDisabled->setWordWrap(true);
    // Greyed out with the rest of the page, but it must stay readable: it says why.
    QPalette readable = m_whyDisabled->palette();
    readable.setColor(QPalette::Disabled, QPalette::WindowText, readable.color(QPalette::Active, QPalette::WindowText));
    m_whyDisabled->setPalette(readable);
    m_whyDisabled->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_whyDisabled, 1);
    buttons->addStretch(1);
    buttons->addWidget(m_editMacros);
    buttons->addWidget(m_clear);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(m_promptLabel);
    layout->addWidget(m_entry);
    layout->addSpacing(4);
    layout->addLayout(grid);
    layout->addSpacing(4);
    layout->addWidget(m_output, 1);
    layout->addLayout(buttons);

    connect(m_entry, &QLineEdit::textEdited, this, &CCommandTesterPage::OnEntryEdited);
    connect(m_entry, &QLineEdit::returnPressed, this, &CCommandTesterPage::OnEntryReturn);
    connect(m_clear, &QPushButton::clicked, m_output, &COutputWindow::ClearOutput);
    connect(m_editMacros, &QPushButton::clicked, this, &CCommandTesterPage::OnEditMacros);

    for (unsigned i = 0; i < kMacroCount; ++i)
        ShowMacro(i);
    EnableControls();
}

CCommandTesterPage::~CCommandTesterPage()
{
    OnPageHidden();
}

void CCommandTesterPage::OnPageShown()
{
    if (m_observing)
        return;
    m_model->m_commandCaptions.AddObserver(this);
    m_model->m_commandTexts.AddObserver(this);
    for (unsigned i = 0; i < kMacroCount; ++i)
        OnEvent(m_model->m_commandCaptions.EventId(), i, 0);
    m_connectionWatch.Attach();
    m_observing = true;
}

void CCommandTesterPage::OnPageHidden()
{
    m_model->m_commandCaptions.RemoveObserver(this);
    m_model->m_commandTexts.RemoveObserver(this);
    m_connectionWatch.Detach();
    m_observing = false;
}

void CCommandTesterPage::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)extra;
    if (eventId == m_model->m_commandCaptions.EventId() || eventId == m_model->m_commandTexts.EventId()) {
        if (index < kMacroCount)
            ShowMacro(static_cast<unsigned>(index));
    }
}

void CCommandTesterPage::ShowMacro(unsigned index)
{
    CElidedButton* button = m_macros[index];
    const QString& label = m_model->m_commandCaptions.m_values[index];
    const QString& command = m_model->m_commandTexts.m_values[index];
    button->SetFullText(label);
    // The label may be cut short on the button: the tooltip gives it whole with what it sends.
    button->setToolTip(command.isEmpty() ? FormatResource(IDS_PAGE_TIP_MACRO_EMPTY, label)
                                         : FormatResource(IDS_PAGE_TIP_MACRO, label, command));
}

void CCommandTesterPage::EnableControls()
{
    const CActionAvailability availability
        = ActionAvailability(DeviceAction::CommandTester, ReadConnectionFacts(*m_model));
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setEnabled(availability.enabled);
    m_whyDisabled->setText(FormatResource(IDS_WHY_COMMAND_TESTER, availability.reason));
    m_whyDisabled->setVisible(!availability.enabled);
}

bool CCommandTesterPage::ConfirmDestructive(const QString& text)
{
    // One stray keystroke in a raw command must not leave the amplifier waiting for firmware
    // or wipe its configuration, tuner memories or EEPROM, so these ask first.
    const QString question = DestructiveCommands::Question(text);
    if (question.isEmpty())
        return true;
    return m_prompt && m_prompt->AskYesNo(IUserPrompt::Icon::Warning, DestructiveCommands::Caption(), question);
}

bool CCommandTesterPage::SendText(const QString& text)
{
    if (text.isEmpty() || m_model->m_firmwareStatus.m_value == FirmwareNone)
        return false;
    QPointer<QWidget> focus = QApplication::focusWidget();
    if (!ConfirmDestructive(text))
        return false;
    m_entry->clear();
    // A command starts its own line even when the last answer did not end with a line break.
    m_output->EndLine();
    const QString sent = ResourceString(IDS_PAGE_SENT_MARK);
    m_output->AppendText(text, sent, kSentColour);
    if (ISerialPort* port = m_model->Port())
        port->WriteText(text);
    m_output->AppendText(QStringLiteral("\r\n"), sent, kSentColour);
    if (focus)
        focus->setFocus();
    return true;
}

void CCommandTesterPage::SendMacro(int number)
{
    if (number < 1 || number > kMacroCount)
        return;
    SendText(m_entry->text() + m_model->m_commandTexts.m_values[static_cast<unsigned>(number - 1)]);
}

void CCommandTesterPage::OnEntryEdited(const QString& text)
{
    if (!text.endsWith(QLatin1Char(';')))
        return;
    if (SendText(text))
        m_history.Add(text);
}

void CCommandTesterPage::OnEntryReturn()
{
    const QString text = m_entry->text();
    if (SendText(text))
        m_history.Add(text);
}

void CCommandTesterPage::OnCommEvent()
{
    ISerialPort* port = m_model->Port();
    if (!port)
        return;
    BYTE buffer[kReadSize];
    for (;;) {
        DWORD count = 0;
        if (!port->Read(buffer, kReadSize, &count) || count == 0)
            break;
        m_output->AppendText(QString::fromLatin1(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(count)),
            ResourceString(IDS_PAGE_RECEIVED_MARK), QColor());
    }
}

void CCommandTesterPage::OnEditMacros()
{
    CEditMacrosSheet sheet(m_model, this);
    sheet.exec();
}

bool CCommandTesterPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_entry && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        QString recalled;
        if (key->key() == Qt::Key_Up && m_history.Previous(m_entry->text(), &recalled)) {
            m_entry->setText(recalled);
            return true;
        }
        if (key->key() == Qt::Key_Down && m_history.Next(&recalled)) {
            m_entry->setText(recalled);
            return true;
        }
    }
    return CPageBase::eventFilter(watched, event);
}
