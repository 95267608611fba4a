#include "maintenance/ui/DateTimePage.h"
#include "maintenance/ClockText.h"
#include "maintenance/DateTimeStateMachine.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/ResultCode.h"
#include "model/StringIds.h"
#include "model/StringTable.h"
#include "ui/ErrorBox.h"
#include "ui/OutputWindow.h"
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeZone>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QLineEdit* ReadOnlyField(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setFont(COutputWindow::OutputFont());
    return field;
}

// The field keeps its two-digit year; the tooltip gives the whole date and the zone it is in.
void ShowClock(QLineEdit* field, const SYSTEMTIME& time, bool utc)
{
    field->setText(ClockText::Format(time));
    const auto full = ClockText::ToDateTime(time);
    const QString zone = utc ? ResourceString(IDS_DT_ZONE_UTC)
                             : FormatResource(IDS_DT_ZONE_LOCAL, QString::fromUtf8(QTimeZone::systemTimeZoneId()));
    field->setToolTip(full
            ? FormatResource(IDS_DT_TIP_FULL, full->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), zone)
            : QString());
}
} // namespace

CDateTimePage::CDateTimePage(CModel* model, IUserPrompt* prompt, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_prompt(prompt)
    , m_clock(&ClockText::ComputerTime)
{
    setObjectName(QStringLiteral("DateTimePage"));
    m_computer = ReadOnlyField(this, "pcTime");
    m_amplifier = ReadOnlyField(this, "amplifierTime");
    m_difference = ReadOnlyField(this, "difference");
    m_difference->setToolTip(ResourceString(IDS_DT_TIP_DIFFERENCE));
    auto* form = new QFormLayout;
    form->addRow(ResourceString(IDS_DT_PC_LABEL), m_computer);
    form->addRow(ResourceString(IDS_DT_AMPLIFIER_LABEL), m_amplifier);
    form->addRow(ResourceString(IDS_DT_DIFFERENCE_LABEL), m_difference);

    auto* mode = new QGroupBox(ResourceString(IDS_DT_MODE_GROUP), this);
    m_utc = new QRadioButton(ResourceString(IDS_DT_UTC), mode);
    m_utc->setObjectName(QStringLiteral("utc"));
    m_local = new QRadioButton(ResourceString(IDS_DT_LOCAL), mode);
    m_local->setObjectName(QStringLiteral("local"));
    auto* modeLayout = new QHBoxLayout(mode);
    modeLayout->addWidget(m_utc);
    modeLayout->addWidget(m_local);
    modeLayout->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(mode);
    layout->addStretch(1);

    // The setting's observers, this page among them, follow the choice.
    connect(m_utc, &QRadioButton::clicked, this, [this] {
        m_model->m_dateTimeUtc.Set(1);
        RefreshComputerTime();
    });
    connect(m_local, &QRadioButton::clicked, this, [this] {
        m_model->m_dateTimeUtc.Set(0);
        RefreshComputerTime();
    });
}

CDateTimePage::~CDateTimePage()
{
    OnHidden();
}

void CDateTimePage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    OnShown();
}

void CDateTimePage::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    OnHidden();
}

void CDateTimePage::Observe(bool on)
{
    if (on == m_observing)
        return;
    m_observing = on;
    CEventSource* sources[]
        = {&m_model->m_amplifierTime, &m_model->m_dateTimeUtc, &m_model->m_computerTime, &m_model->m_completion};
    for (CEventSource* source : sources) {
        if (on) {
            source->AddObserver(this);
            if (source != &m_model->m_completion)
                OnEvent(source->EventId(), 0, 0);
        } else {
            source->RemoveObserver(this);
        }
    }
}

void CDateTimePage::OnShown()
{
    if (m_shown)
        return;
    m_shown = true;
    RefreshComputerTime();
    m_machine = m_model->CreateMachine<CDateTimeStateMachine>();
    Observe(true);
    if (!m_machine) {
        // Another conversation holds the amplifier (contact after a port change, for one): say
        // so and close, once the sheet has finished showing.
        m_state = Idle;
        QTimer::singleShot(0, this, [this] {
            PopupError(*m_model, m_prompt, IDS_DATE_TIME_ERROR, ResourceString(IDS_MAINT_BUSY));
            Finish(false);
        });
        return;
    }
    m_state = Reading;
    m_machine->StartGetDateTime();
}

void CDateTimePage::OnHidden()
{
    if (!m_shown)
        return;
    m_shown = false;
    Observe(false);
    if (m_machine) {
        m_machine->Release();
        m_machine = nullptr;
    }
    m_state = Idle;
}

void CDateTimePage::RefreshComputerTime()
{
    m_model->m_computerTime.Set(m_clock(m_model->m_dateTimeUtc.m_value != 0));
}

bool CDateTimePage::Apply(bool fromOk)
{
    m_applyRequested = true;
    m_closeAfterApply = fromOk;
    return m_state != Idle;
}

bool CDateTimePage::Cancel()
{
    m_cancelRequested = true;
    return m_state != Idle;
}

void CDateTimePage::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)extra;
    if (eventId == m_model->m_completion.EventId()) {
        OnCompletion(static_cast<DWORD>(index));
    } else if (eventId == m_model->m_computerTime.EventId()) {
        ShowClock(m_computer, m_model->m_computerTime.m_value, m_model->m_dateTimeUtc.m_value != 0);
    } else if (eventId == m_model->m_amplifierTime.EventId()) {
        // An amplifier whose clock was never set reads year 0: its field keeps what it showed.
        if (m_model->m_amplifierTime.m_value.wYear != 0) {
            ShowClock(m_amplifier, m_model->m_amplifierTime.m_value, m_model->m_dateTimeUtc.m_value != 0);
            ShowDifference();
        }
    } else if (eventId == m_model->m_dateTimeUtc.EventId()) {
        const bool utc = m_model->m_dateTimeUtc.m_value != 0;
        m_utc->setChecked(utc);
        m_local->setChecked(!utc);
    }
}

void CDateTimePage::ShowDifference()
{
    // Against the PC's clock at the moment the answer came, in the mode chosen.
    const auto seconds
        = ClockText::DifferenceSeconds(m_model->m_amplifierTime.m_value, m_clock(m_model->m_dateTimeUtc.m_value != 0));
    m_difference->setText(ClockText::DifferenceText(seconds));
}

void CDateTimePage::OnCompletion(DWORD result)
{
    if (m_state == Idle || !m_machine)
        return;
    if (Result::Failed(result)) {
        ShowErrorBox(m_prompt, result, IDS_DATE_TIME_ERROR);
        Finish(false);
        return;
    }
    RefreshComputerTime();
    if (m_cancelRequested && m_state != Closing) {
        m_state = Closing;
        m_machine->StartDelay();
        return;
    }
    switch (m_state) {
    case Reading:
        if (m_applyRequested) {
            m_state = Setting;
            m_sentTime = m_model->m_computerTime.m_value;
            m_machine->StartSetDateTime();
        } else {
            m_machine->StartGetDateTime();
        }
        break;
    case Setting:
        m_applied = true;
        m_model->Status(FormatResource(IDS_DT_SET, ClockText::Format(m_sentTime),
            ResourceString(m_model->m_dateTimeUtc.m_value ? IDS_DT_MODE_UTC : IDS_DT_MODE_LOCAL)));
        if (m_closeAfterApply) {
            m_state = Closing;
            m_machine->StartDelay();
        } else {
            m_applyRequested = false;
            m_state = Reading;
            m_machine->StartGetDateTime();
        }
        break;
    case Closing:
        Finish(m_closeAfterApply && m_applied);
        break;
    case Idle:
        break;
    }
}

void CDateTimePage::Finish(bool accepted)
{
    m_state = Idle;
    emit closeRequested(accepted);
}

QString CDateTimePage::ComputerText() const
{
    return m_computer->text();
}

QString CDateTimePage::AmplifierText() const
{
    return m_amplifier->text();
}

QString CDateTimePage::DifferenceText() const
{
    return m_difference->text();
}
