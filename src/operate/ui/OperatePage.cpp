#include "operate/ui/OperatePage.h"
#include "model/FaultNames.h"
#include "model/StringTable.h"
#include "operate/OperateDerived.h"
#include "operate/OperateStateMachineInterface.h"
#include "operate/OperateStringIds.h"
#include "operate/OperateText.h"
#include "operate/TelemetryStringIds.h"
#include "operate/ui/FollowRadioBox.h"
#include "operate/ui/HistoryChart.h"
#include "operate/ui/MeterBar.h"
#include "operate/ui/RelaySpinBox.h"
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDateTime>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace {
using RelayBanks::Bank;

const char* const kKeyObjectNames[OperateKeys::kKeyCount] = {"antenna", "atuMode", "atuStore", "atuTune", "band",
    "down", "edit", "info", "menu", "mode", "pf1", "pf2", "reset", "status", "up"};

// The keys as they sit on the amplifier: the menu keys beside UP and DN, the tuner keys below.
struct KeyPlace {
    OperateKey key;
    int row;
    int column;
};
constexpr KeyPlace kKeyPlaces[] = {{OperateKey::Menu, 0, 0}, {OperateKey::Edit, 0, 1}, {OperateKey::Info, 0, 2},
    {OperateKey::Status, 0, 3}, {OperateKey::Up, 0, 4}, {OperateKey::Mode, 1, 0}, {OperateKey::Pf1, 1, 1},
    {OperateKey::Pf2, 1, 2}, {OperateKey::Reset, 1, 3}, {OperateKey::Down, 1, 4}, {OperateKey::Antenna, 2, 0},
    {OperateKey::AtuMode, 2, 1}, {OperateKey::AtuTune, 2, 2}, {OperateKey::AtuStore, 2, 3}};

// Every setter below leaves a control alone when it already shows the value: a poll cycle sets
// every model value whether or not it changed, and an unchanged control must cost nothing.
void SetText(QLabel* label, const QString& text)
{
    if (label->text() != text)
        label->setText(text);
}

void SetChecked(QAbstractButton* button, bool checked)
{
    if (button->isChecked() == checked)
        return;
    const QSignalBlocker block(button);
    button->setChecked(checked);
}

// A box or radio button that shows a state of the amplifier: the user cannot change it, so it
// takes neither the mouse nor the focus, and its tip says which key changes the state.
template <class B> B* MakeIndicator(unsigned captionId, const char* name, unsigned tipId, QWidget* parent)
{
    auto* button = new B(ResourceString(captionId), parent);
    button->setObjectName(QLatin1String(name));
    button->setAttribute(Qt::WA_TransparentForMouseEvents);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCheckable(true);
    button->setToolTip(ResourceString(tipId));
    return button;
}

// An exclusive pair shows neither button checked: the state is not known.
void ClearPair(QAbstractButton* a, QAbstractButton* b)
{
    for (QAbstractButton* button : {a, b}) {
        if (!button->isChecked())
            continue;
        const QSignalBlocker block(button);
        QButtonGroup* group = button->group();
        if (group)
            group->setExclusive(false);
        button->setChecked(false);
        if (group)
            group->setExclusive(true);
    }
}

BYTE BoxesByte(const std::vector<QCheckBox*>& boxes)
{
    BYTE relays = 0;
    for (std::size_t bit = 0; bit < boxes.size(); ++bit)
        if (boxes[bit]->isChecked())
            relays |= static_cast<BYTE>(1u << bit);
    return relays;
}
} // namespace

COperatePage::COperatePage(CModel* model, IUserPrompt* prompt, QWidget* parent)
    : CPageBase(model, prompt, parent)
    , m_poller(*model)
{
    setObjectName(QStringLiteral("OperatePage"));
    auto* panel = new QGroupBox(ResourceString(IDS_OP_GROUP_PANEL), this);
    auto* meters = new QGroupBox(ResourceString(IDS_OP_GROUP_METERS), this);
    auto* relays = new QGroupBox(ResourceString(IDS_OP_GROUP_RELAYS), this);
    relays->setObjectName(QStringLiteral("relays"));
    BuildPanel(panel);
    BuildMeters(meters);
    BuildRelays(relays);
    m_history = new CHistoryChart(this);
    m_history->setObjectName(QStringLiteral("history"));

    auto* top = new QHBoxLayout;
    top->addWidget(panel, 3);
    top->addWidget(meters, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_history, 1);
    bottom->addWidget(relays);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom, 1);
    layout->addWidget(new CFollowRadioBox(*model, m_poller, this));
    m_advanced.push_back(relays);

    // The session summary, from the page's context menu too.
    auto* summary = new QAction(ResourceString(IDS_TM_SUMMARY_BUTTON), this);
    summary->setObjectName(QStringLiteral("sessionSummaryAction"));
    connect(summary, &QAction::triggered, this, &COperatePage::ShowSummary);
    addAction(summary);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    m_poller.SetPowerBoxProbe([this] { return m_powerOn->isChecked(); });
    ShowAdvanced();
    EnableControls();
}

COperatePage::~COperatePage()
{
    Observe(false);
    m_poller.Stop();
}

void COperatePage::BuildPanel(QWidget* panel)
{
    m_display = new QPlainTextEdit(panel);
    m_display->setObjectName(QStringLiteral("display"));
    m_display->setReadOnly(true);
    m_display->setFocusPolicy(Qt::ClickFocus);
    m_display->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_display->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_display->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont lcd = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    lcd.setPointSizeF(lcd.pointSizeF() * 1.5);
    lcd.setBold(true);
    m_display->setFont(lcd);
    m_display->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #1d2a1d; color: #ffc040; }"));
    const QFontMetrics metrics(lcd);
    m_display->setMinimumWidth(metrics.horizontalAdvance(QLatin1Char('M')) * 21 + 16);
    FitDisplay(2);

    m_fault = MakeIndicator<QCheckBox>(IDS_OP_FAULT, "fault", IDS_OP_TIP_FAULT_STATE, panel);
    m_overdrive = MakeIndicator<QCheckBox>(IDS_OP_OVR, "overdrive", IDS_OP_TIP_OVR_STATE, panel);
    m_fault->setStyleSheet(QStringLiteral("QCheckBox:checked { color: #c02020; font-weight: bold; }"));
    m_overdrive->setStyleSheet(m_fault->styleSheet());
    // The fault's name as the fault table writes it ("HIGH SWR" for 0x91).
    m_faultName = new QLabel(panel);
    m_faultName->setObjectName(QStringLiteral("faultName"));
    m_faultName->setStyleSheet(QStringLiteral("QLabel { color: #c02020; font-weight: bold; }"));
    auto* faultRow = new QHBoxLayout;
    faultRow->addWidget(m_fault);
    faultRow->addWidget(m_faultName);
    faultRow->addStretch(1);
    auto* codes = new QVBoxLayout;
    codes->addLayout(faultRow);
    codes->addWidget(m_overdrive);
    codes->addStretch(1);

    auto* keys = new QGridLayout;
    m_keys.assign(OperateKeys::kKeyCount, nullptr);
    for (const KeyPlace& place : kKeyPlaces) {
        auto* button = new QPushButton(OperateKeys::Name(place.key), panel);
        button->setObjectName(QLatin1String(kKeyObjectNames[static_cast<int>(place.key)]));
        button->setAutoDefault(false);
        button->setToolTip(FormatResource(IDS_OP_TIP_KEY, OperateKeys::Name(place.key)));
        keys->addWidget(button, place.row, place.column);
        m_keys[static_cast<std::size_t>(place.key)] = button;
        const OperateKey key = place.key;
        connect(button, &QPushButton::clicked, this, [this, key] { PressKey(key); });
        if (key != OperateKey::AtuStore)
            m_controls.push_back(button);
    }
    KeyButton(OperateKey::AtuTune)->setToolTip(ResourceString(IDS_OP_TIP_ATU_TUNE));
    // The amplifier's command for ATU STORE is not known: the button says so instead of
    // pretending to store.
    QPushButton* store = KeyButton(OperateKey::AtuStore);
    store->setEnabled(false);
    store->setToolTip(
        ResourceString(IDS_OP_TIP_ATU_STORE) + QLatin1Char('\n') + ResourceString(IDS_OP_COMMAND_UNSUPPORTED));
    m_advanced.push_back(store);

    auto* bandGroup = new QGroupBox(ResourceString(IDS_OP_BAND_GROUP), panel);
    auto* bandLayout = new QHBoxLayout(bandGroup);
    bandLayout->setSpacing(6);
    auto* bandButtons = new QButtonGroup(this);
    for (int band = 0; band < OperateKeys::kBandCount; ++band) {
        auto* button = new QRadioButton(OperateKeys::BandLabel(band), bandGroup);
        button->setObjectName(QStringLiteral("band%1").arg(band));
        bandButtons->addButton(button, band);
        bandLayout->addWidget(button);
        m_bands.push_back(button);
        if (static_cast<DWORD>(band) == OperateKeys::kBand28) {
            // Shown (the amplifier may be on 28 MHz), but it cannot be chosen from here.
            button->setEnabled(false);
            button->setToolTip(ResourceString(IDS_OP_BAND28_UNKNOWN));
            continue;
        }
        button->setToolTip(ResourceString(IDS_OP_TIP_BAND));
        connect(button, &QRadioButton::clicked, this, [this, band] { SelectBand(band); });
        m_controls.push_back(button);
    }

    m_powerOn = new QCheckBox(ResourceString(IDS_OP_POWER_ON), panel);
    m_powerOn->setObjectName(QStringLiteral("powerOn"));
    m_powerOn->setToolTip(ResourceString(IDS_OP_TIP_POWER));
    connect(m_powerOn, &QCheckBox::clicked, this, &COperatePage::SetPower);
    m_controls.push_back(m_powerOn);
    m_oper = MakeIndicator<QRadioButton>(IDS_OP_OPER, "oper", IDS_OP_TIP_OPER_STATE, panel);
    m_stby = MakeIndicator<QRadioButton>(IDS_OP_STBY, "stby", IDS_OP_TIP_OPER_STATE, panel);
    m_ant1 = MakeIndicator<QRadioButton>(IDS_OP_ANT1, "ant1", IDS_OP_TIP_ANT_STATE, panel);
    m_ant2 = MakeIndicator<QRadioButton>(IDS_OP_ANT2, "ant2", IDS_OP_TIP_ANT_STATE, panel);
    m_atuIn = MakeIndicator<QCheckBox>(IDS_OP_IN, "atuIn", IDS_OP_TIP_ATU_STATE, panel);
    m_atuBypass = MakeIndicator<QCheckBox>(IDS_OP_BYP, "atuBypass", IDS_OP_TIP_ATU_STATE, panel);
    // Each pair is exclusive on its own, not with the other pair.
    for (auto [a, b] : {std::pair {m_oper, m_stby}, std::pair {m_ant1, m_ant2}}) {
        auto* group = new QButtonGroup(this);
        group->addButton(a);
        group->addButton(b);
    }
    auto* states = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*> {m_powerOn, m_oper, m_stby, m_ant1, m_ant2, m_atuIn, m_atuBypass})
        states->addWidget(w);
    states->addStretch(1);

    auto* grid = new QGridLayout(panel);
    grid->addWidget(m_display, 0, 0);
    grid->addLayout(codes, 0, 1);
    grid->addLayout(keys, 1, 0, 1, 2);
    grid->addWidget(bandGroup, 2, 0, 1, 2);
    grid->addLayout(states, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
    // The indicators are enabled while what they show is live (ShowReadings), not with the
    // controls: a greyed, unchecked box reads as "not known", not as "no fault".
    m_controls.push_back(m_display);
}

QLabel* COperatePage::AddReading(QWidget* parent, QGridLayout* grid, int row, unsigned captionId, const char* name,
    CMeterBar* bar, unsigned unitId)
{
    auto* caption = new QLabel(ResourceString(captionId), parent);
    auto* value = new QLabel(parent);
    value->setObjectName(QLatin1String(name));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setFrameShape(QFrame::StyledPanel);
    // A fixed size fits any reading, so that a longer number never moves the bars, and a new
    // reading repaints the label alone instead of laying out the page again.
    value->setText(QStringLiteral("88888"));
    value->setFixedSize(value->sizeHint() + QSize(6, 0));
    value->clear();
    grid->addWidget(caption, row, 0);
    grid->addWidget(value, row, 1);
    // A caption without its unit gets it beside the value.
    if (unitId) {
        auto* unit = new QLabel(ResourceString(unitId), parent);
        unit->setObjectName(QLatin1String(name) + QLatin1String("Unit"));
        grid->addWidget(unit, row, 2);
        m_controls.push_back(unit);
    }
    if (bar) {
        bar->setObjectName(QLatin1String(name) + QLatin1String("Bar"));
        grid->addWidget(bar, row, 3);
        m_controls.push_back(bar);
    }
    m_controls.push_back(caption);
    m_controls.push_back(value);
    return value;
}

void COperatePage::BuildMeters(QWidget* meters)
{
    auto* grid = new QGridLayout(meters);
    const auto bar = [meters](OperateDerived::Meter meter) {
        const OperateDerived::MeterScale& scale = OperateDerived::ScaleOf(meter);
        return new CMeterBar(scale.minimum, scale.maximum, scale.caution, scale.danger, meters);
    };
    using OperateDerived::Meter;
    m_forward.bar = bar(Meter::Forward);
    m_reflected.bar = bar(Meter::Reflected);
    m_swr.bar = bar(Meter::Swr);
    m_paCurrent.bar = bar(Meter::PaCurrent);
    m_temperature.bar = bar(Meter::Temperature);
    int row = 0;
    m_forward.value = AddReading(meters, grid, row++, IDS_OP_FORWARD, "forward", m_forward.bar);
    m_reflected.value = AddReading(meters, grid, row++, IDS_OP_REFLECTED, "reflected", m_reflected.bar);
    m_swr.value = AddReading(meters, grid, row++, IDS_OP_SWR, "swr", m_swr.bar);
    m_paCurrent.value
        = AddReading(meters, grid, row++, IDS_OP_PA_CURRENT, "paCurrent", m_paCurrent.bar, IDS_OP_UNIT_AMPERES);
    m_temperature.value = AddReading(meters, grid, row++, IDS_OP_TEMPERATURE, "temperature", m_temperature.bar);
    m_input.value = AddReading(meters, grid, row++, IDS_OP_INPUT, "input");
    m_bypassSwr.value = AddReading(meters, grid, row++, IDS_OP_BYPASS_SWR, "bypassSwr");
    m_frequency = AddReading(meters, grid, row++, IDS_OP_FREQUENCY, "frequency", nullptr, IDS_OP_UNIT_KILOHERTZ);
    for (auto [reading, captionId, name, unitId] :
        {std::tuple {&m_paVoltage, IDS_OP_PA_VOLTAGE, "paVoltage", unsigned(IDS_OP_UNIT_VOLTS)},
            std::tuple {&m_dissipated, IDS_OP_DISSIPATED, "dissipated", 0u},
            std::tuple {&m_efficiency, IDS_OP_EFFICIENCY, "efficiency", 0u}}) {
        reading->value = AddReading(meters, grid, row, captionId, name, nullptr, unitId);
        for (int column = 0; column < 3; ++column)
            if (QLayoutItem* item = grid->itemAtPosition(row, column))
                m_advanced.push_back(item->widget());
        ++row;
    }
    m_peakHold = new QCheckBox(ResourceString(IDS_OP_PEAK_HOLD), meters);
    m_peakHold->setObjectName(QStringLiteral("peakHold"));
    m_peakHold->setToolTip(ResourceString(IDS_OP_TIP_PEAK_HOLD));
    connect(m_peakHold, &QCheckBox::clicked, this, [this](bool on) { m_model->m_peakHoldVarn.Set(on ? 1 : 0); });
    grid->addWidget(m_peakHold, row++, 0, 1, 4);
    auto* summary = new QPushButton(ResourceString(IDS_TM_SUMMARY_BUTTON), meters);
    summary->setObjectName(QStringLiteral("sessionSummary"));
    summary->setToolTip(ResourceString(IDS_TM_TIP_SUMMARY));
    connect(summary, &QPushButton::clicked, this, &COperatePage::ShowSummary);
    grid->addWidget(summary, row++, 0, 1, 2);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(row, 1);
}

void COperatePage::BuildRelays(QWidget* relays)
{
    auto* layout = new QVBoxLayout(relays);
    for (Bank bank : {Bank::Capacitors, Bank::Inductors}) {
        const bool caps = bank == Bank::Capacitors;
        auto* group = new QGroupBox(ResourceString(caps ? IDS_OP_CAPACITANCE : IDS_OP_INDUCTANCE), relays);
        auto* grid = new QGridLayout(group);
        auto* spin = new CRelaySpinBox(bank, group);
        spin->setObjectName(QLatin1String(caps ? "capacitance" : "inductance"));
        spin->setToolTip(ResourceString(IDS_OP_TIP_RELAY_EDIT));
        grid->addWidget(spin, 0, 0, 1, 4);
        auto& boxes = caps ? m_capacitorBoxes : m_inductorBoxes;
        const int bits = RelayBanks::BitCount(bank);
        boxes.assign(static_cast<std::size_t>(bits), nullptr);
        // Largest first, as the amplifier's documentation lists them.
        for (int bit = bits - 1, place = 0; bit >= 0; --bit, ++place) {
            auto* box = new QCheckBox(QString::number(RelayBanks::Element(bank, bit)), group);
            box->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(caps ? "cap" : "ind")).arg(bit));
            grid->addWidget(box, 1 + place / 4, place % 4);
            boxes[static_cast<std::size_t>(bit)] = box;
            connect(box, &QCheckBox::clicked, this, [this, bank] { RelayBoxClicked(bank); });
            m_controls.push_back(box);
        }
        connect(spin, &QSpinBox::editingFinished, this, [this, bank] { RelayValueEntered(bank); });
        connect(spin, &CRelaySpinBox::StepFinished, this, [this, bank] { RelayValueEntered(bank); });
        (caps ? m_capacitance : m_inductance) = spin;
        m_controls.push_back(spin);
        layout->addWidget(group);
    }
    // The side is shown as read; setting it needs a command this version does not know.
    m_capsOnTxSide = new QCheckBox(ResourceString(IDS_OP_CAPS_ON_TX_SIDE), relays);
    m_capsOnTxSide->setObjectName(QStringLiteral("capsOnTxSide"));
    m_capsOnTxSide->setEnabled(false);
    m_capsOnTxSide->setToolTip(ResourceString(IDS_OP_COMMAND_UNSUPPORTED));
    layout->addWidget(m_capsOnTxSide);
    layout->addStretch(1);
}

void COperatePage::OnPageShown()
{
    m_summary.Start(QDateTime::currentDateTime(), m_model->Host().MicroTicks() / 1000);
    Observe(true);
    ShowAll();
    EnableControls();
    m_poller.Start();
}

void COperatePage::OnPageHidden()
{
    Observe(false);
    m_poller.Stop();
    m_summary.Pause(QDateTime::currentDateTime(), m_model->Host().MicroTicks() / 1000);
    // Nothing is read while another page is shown: the history's lines stop here.
    m_history->Break();
}

void COperatePage::Observe(bool on)
{
    if (on == m_observing)
        return;
    m_observing = on;
    CModel& m = *m_model;
    for (CEventSource* value :
        std::initializer_list<CEventSource*> {&m.m_displayText, &m.m_faultCode, &m.m_overdriveCode, &m.m_operateStandby,
            &m.m_antenna, &m.m_atuInline, &m.m_atuMode, &m.m_band, &m.m_powerStatus, &m.m_capacitorSide, &m.m_frequency,
            &m.m_powerForward, &m.m_powerInput, &m.m_powerReflected, &m.m_swr, &m.m_swrBypass, &m.m_paCurrent,
            &m.m_paVoltage, &m.m_temperature, &m.m_powerDissipated, &m.m_capacitors, &m.m_inductors,
            &m.m_firmwareStatus, &m.m_advancedMode, &m.m_peakHoldVarn, &m.m_completion}) {
        if (on)
            value->AddObserver(this);
        else
            value->RemoveObserver(this);
    }
}

void COperatePage::ShowAll()
{
    ShowReadings();
    ShowBand();
    ShowPowerStatus();
    ShowRelays(Bank::Capacitors);
    ShowRelays(Bank::Inductors);
    Show(m_model->m_peakHoldVarn.EventId());
    ShowAdvanced();
}

void COperatePage::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)index;
    (void)extra;
    // A poll cycle sets its readings one answer after another, a few milliseconds apart:
    // drawing each at once would repaint the page some twenty times a cycle, and show a display
    // text of this cycle beside meters of the last. They are drawn together when the cycle
    // ends. What the page itself decides on (enabling, advanced mode, peak hold) is shown at
    // once.
    CModel& m = *m_model;
    const bool immediate = eventId == m.m_completion.EventId() || eventId == m.m_firmwareStatus.EventId()
        || eventId == m.m_advancedMode.EventId() || eventId == m.m_peakHoldVarn.EventId();
    IOperateStateMachine* machine = m_poller.Machine();
    if (!immediate && machine && !machine->IsIdle())
        return;
    Show(eventId);
}

bool COperatePage::IsLive(const CReadingState& reading) const
{
    return OperateDerived::IsLive(*m_model, reading);
}

void COperatePage::ShowReading(Reading& reading, const std::optional<QString>& text, double barValue)
{
    SetText(reading.value, text ? *text : ResourceString(IDS_OP_NOT_LIVE));
    reading.value->setToolTip(text ? QString() : ResourceString(IDS_OP_TIP_NOT_LIVE));
    if (reading.bar) {
        reading.bar->SetLive(text.has_value());
        if (text)
            reading.bar->SetValue(barValue);
    }
}

void COperatePage::ShowReadings()
{
    CModel& m = *m_model;
    ShowDisplay();
    ShowIndicators();
    const bool frequencyLive = IsLive(m.m_frequency);
    SetText(m_frequency,
        frequencyLive ? OperateText::Frequency(m.m_frequency.m_value) : ResourceString(IDS_OP_NOT_LIVE));
    m_frequency->setToolTip(frequencyLive ? QString() : ResourceString(IDS_OP_TIP_NOT_LIVE));
    ShowForward();
    ShowInput();
    auto number = [this](const auto& value) -> std::optional<QString> {
        return IsLive(value) ? std::optional<QString>(QString::number(value.m_value)) : std::nullopt;
    };
    ShowReading(m_reflected, number(m.m_powerReflected), m.m_powerReflected.m_value);
    const std::optional<QString> swr
        = IsLive(m.m_swr) ? std::optional<QString>(OperateText::Swr(m.m_swr.m_value)) : std::nullopt;
    ShowReading(m_swr, swr, swr && !swr->isEmpty() ? m.m_swr.m_value / 10.0 : 1.0);
    ShowSwrScale();
    ShowReading(m_bypassSwr,
        IsLive(m.m_swrBypass) ? std::optional<QString>(OperateText::Swr(m.m_swrBypass.m_value)) : std::nullopt, 0);
    ShowReading(m_paCurrent, number(m.m_paCurrent), m.m_paCurrent.m_value);
    ShowReading(m_paVoltage,
        IsLive(m.m_paVoltage) ? std::optional<QString>(OperateText::Voltage(m.m_paVoltage.m_value)) : std::nullopt, 0);
    ShowReading(m_temperature, number(m.m_temperature), m.m_temperature.m_value);
    ShowReading(m_dissipated, number(m.m_powerDissipated), 0);
    ShowEfficiency();
}

void COperatePage::ShowDisplay()
{
    // The amplifier's lines may end in "\r\n" or "\r"; the field shows lines either way. An old
    // text stays readable but dimmed, with a tip saying it is not live.
    CModel& m = *m_model;
    const bool live = IsLive(m.m_displayText);
    QString text = m.m_displayText.m_value;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (m_display->toPlainText() != text) {
        m_display->setPlainText(text);
        FitDisplay(static_cast<int>(text.count(QLatin1Char('\n'))) + 1);
    }
    if (m_displayLive != live) {
        m_displayLive = live;
        m_display->setStyleSheet(live ? QStringLiteral("QPlainTextEdit { background: #1d2a1d; color: #ffc040; }")
                                      : QStringLiteral("QPlainTextEdit { background: #2a2a2a; color: #707070; }"));
        m_display->setToolTip(live ? QString() : ResourceString(IDS_OP_TIP_NOT_LIVE));
    }
}

void COperatePage::ShowIndicators()
{
    CModel& m = *m_model;
    auto live = [this](QWidget* indicator, bool isLive) {
        if (indicator->isEnabled() != isLive)
            indicator->setEnabled(isLive);
        return isLive;
    };
    const bool faultLive = live(m_fault, IsLive(m.m_faultCode));
    SetChecked(m_fault, faultLive && m.m_faultCode.m_value != 0);
    SetText(m_faultName, faultLive && m.m_faultCode.m_value != 0 ? FaultCodeName(m.m_faultCode.m_value) : QString());
    SetChecked(m_overdrive, live(m_overdrive, IsLive(m.m_overdriveCode)) && m.m_overdriveCode.m_value != 0);
    const bool operLive = live(m_oper, IsLive(m.m_operateStandby));
    live(m_stby, operLive);
    if (operLive)
        SetChecked(m.m_operateStandby.m_value ? m_oper : m_stby, true);
    else
        ClearPair(m_oper, m_stby);
    const bool antennaLive = IsLive(m.m_antenna) && (m.m_antenna.m_value == 1 || m.m_antenna.m_value == 2);
    live(m_ant1, antennaLive);
    live(m_ant2, antennaLive);
    if (antennaLive)
        SetChecked(m.m_antenna.m_value == 1 ? m_ant1 : m_ant2, true);
    else
        ClearPair(m_ant1, m_ant2);
    // IN and BYP: the mode letter "B" is bypassed, "I" in line; another letter leaves IN as
    // it was, and BYP follows the in-line answer.
    const bool modeLive = live(m_atuIn, IsLive(m.m_atuMode));
    const bool inlineLive = live(m_atuBypass, IsLive(m.m_atuInline) || (modeLive && m.m_atuMode.m_value == L'B'));
    if (!modeLive)
        SetChecked(m_atuIn, false);
    else if (m.m_atuMode.m_value == L'B')
        SetChecked(m_atuIn, false);
    else if (m.m_atuMode.m_value == L'I')
        SetChecked(m_atuIn, true);
    if (!inlineLive)
        SetChecked(m_atuBypass, false);
    else
        SetChecked(m_atuBypass, (modeLive && m.m_atuMode.m_value == L'B') || m.m_atuInline.m_value == 0);
}

void COperatePage::ShowSwrScale()
{
    const OperateDerived::SwrZones zones = OperateDerived::SwrScale(*m_model);
    m_swr.bar->SetZones(zones.caution, zones.danger);
    const QString caution = QString::number(zones.caution, 'f', 1);
    const QString danger = QString::number(zones.danger, 'f', 1);
    const QString tip = FormatResource(zones.fromAmplifier ? IDS_OP_TIP_SWR_AMPLIFIER : IDS_OP_TIP_SWR_FIXED, caution, danger);
    if (m_swr.bar->toolTip() != tip)
        m_swr.bar->setToolTip(tip);
}

void COperatePage::Show(std::uint32_t id)
{
    CModel& m = *m_model;
    if (id == m.m_band.EventId()) {
        ShowBand();
        ShowSwrScale();
    } else if (id == m.m_powerStatus.EventId()) {
        ShowPowerStatus();
    } else if (id == m.m_capacitorSide.EventId()) {
        SetChecked(m_capsOnTxSide, m.m_capacitorSide.m_value == L'T');
    } else if (id == m.m_capacitors.EventId()) {
        ShowRelays(Bank::Capacitors);
    } else if (id == m.m_inductors.EventId()) {
        ShowRelays(Bank::Inductors);
    } else if (id == m.m_firmwareStatus.EventId()) {
        EnableControls();
        ShowReadings();
    } else if (id == m.m_advancedMode.EventId()) {
        ShowAdvanced();
    } else if (id == m.m_peakHoldVarn.EventId()) {
        SetChecked(m_peakHold, m.m_peakHoldVarn.m_value != 0);
        // Mid-cycle the readings are being read again: the cycle's end shows them.
        IOperateStateMachine* machine = m_poller.Machine();
        if (!machine || machine->IsIdle()) {
            ShowForward();
            ShowInput();
        }
    } else if (id == m.m_completion.EventId()) {
        // The whole cycle at once: the display text and the meters from the same answers, and
        // everything the cycle did not read shown as not live.
        ShowReadings();
        ShowPowerStatus();
        ShowRelays(Bank::Capacitors);
        ShowRelays(Bank::Inductors);
        SetChecked(m_capsOnTxSide, m.m_capacitorSide.m_value == L'T');
        if (++m_cycles >= m_bandHoldUntil)
            ShowBand();
        AddHistory();
        m_summary.Add(OperateSnapshots::Take(m, QDateTime::currentDateTime(), m_model->Host().MicroTicks() / 1000));
    } else {
        // A reading set between cycles (a test, a front end driving the model by hand).
        ShowReadings();
    }
}

void COperatePage::AddHistory()
{
    CModel& m = *m_model;
    // A point where the cycle read nothing breaks the lines instead of joining across the gap.
    if (!IsLive(m.m_powerForward) && !IsLive(m.m_swr) && !IsLive(m.m_temperature)) {
        m_history->Break();
        return;
    }
    const double none = std::numeric_limits<double>::quiet_NaN();
    m_history->AddReading(QDateTime::currentMSecsSinceEpoch(), IsLive(m.m_powerForward) ? m.m_powerForward.m_value : none,
        IsLive(m.m_swr) ? m.m_swr.m_value / 10.0 : none, IsLive(m.m_temperature) ? m.m_temperature.m_value : none);
}

void COperatePage::ShowSummary()
{
    if (m_prompt)
        m_prompt->ShowMessage(IUserPrompt::Icon::Information, ResourceString(IDS_TM_SUMMARY),
            m_summary.Text(m_model->Host().MicroTicks() / 1000));
}

void COperatePage::FitDisplay(int lines)
{
    // The field grows to the amplifier's number of lines (once), and never shrinks: a page
    // that changed its layout with every text would jump.
    constexpr int kMostLines = 8;
    lines = std::min(lines, kMostLines);
    if (lines <= m_displayLines)
        return;
    m_displayLines = lines;
    m_display->setFixedHeight(m_display->fontMetrics().lineSpacing() * lines + 16);
}

void COperatePage::ShowForward()
{
    // Peak hold keeps the highest reading in view until the amplifier reads 0 (the operator
    // stopped transmitting); the bar goes on showing the live reading, with the peak marked.
    CModel& m = *m_model;
    const std::optional<WORD> shown = OperateDerived::ShownForward(m);
    ShowReading(m_forward, shown ? std::optional<QString>(QString::number(*shown)) : std::nullopt,
        m.m_powerForward.m_value);
    m_forward.bar->SetPeak(shown && m.m_peakHoldVarn.m_value != 0 ? *shown : -1);
}

void COperatePage::ShowInput()
{
    const std::optional<WORD> shown = OperateDerived::ShownInput(*m_model);
    ShowReading(m_input, shown ? std::optional<QString>(QString::number(*shown)) : std::nullopt, 0);
}

void COperatePage::ShowEfficiency()
{
    const int percent = OperateDerived::Efficiency(*m_model);
    if (percent == OperateDerived::kNoDcInput)
        ShowReading(m_efficiency, QString(), 0);
    else
        ShowReading(m_efficiency,
            percent == OperateDerived::kNotAvailable ? std::nullopt : std::optional<QString>(QString::number(percent)), 0);
}

void COperatePage::ShowBand()
{
    if (m_cycles < m_bandHoldUntil)
        return;
    const int band = m_model->m_band.m_value;
    if (band >= 0 && band < OperateKeys::kBandCount)
        SetChecked(m_bands[static_cast<std::size_t>(band)], true);
}

void COperatePage::ShowPowerStatus()
{
    // While the user's switch is still to be sent, the box shows the user's choice, not the
    // amplifier's state of a moment ago.
    IOperateStateMachine* machine = m_poller.Machine();
    if (machine && machine->IsPowerRequestPending())
        return;
    SetChecked(m_powerOn, m_model->m_powerStatus.m_value != 0);
}

void COperatePage::ShowRelays(Bank bank)
{
    const bool caps = bank == Bank::Capacitors;
    const BYTE relays = caps ? m_model->m_capacitors.m_value : m_model->m_inductors.m_value;
    const auto& boxes = caps ? m_capacitorBoxes : m_inductorBoxes;
    for (std::size_t bit = 0; bit < boxes.size(); ++bit)
        SetChecked(boxes[bit], (relays >> bit) & 1);
    // The field being typed in keeps what the user types.
    CRelaySpinBox* spin = caps ? m_capacitance : m_inductance;
    const int value = static_cast<int>(RelayBanks::Value(bank, relays));
    if (!spin->hasFocus() && spin->value() != value) {
        const QSignalBlocker block(spin);
        spin->setValue(value);
    }
}

void COperatePage::EnableControls()
{
    const bool enable = m_model->m_firmwareStatus.m_value == FirmwareApplication;
    for (QWidget* control : m_controls) {
        if (control->isEnabled() == enable)
            continue;
        // Disabling the field being typed in would take the focus away mid-word; it follows
        // once the user leaves it.
        if (!enable && control->hasFocus())
            continue;
        control->setEnabled(enable);
    }
    // ATU STORE stays disabled: with its command unknown, the rule that would enable it (the
    // application running and a frequency of 1500 kHz or more) has nothing to offer.
}

void COperatePage::ShowAdvanced()
{
    const bool advanced = m_model->m_advancedMode.m_value != 0;
    for (QWidget* widget : m_advanced)
        if (widget->isVisibleTo(this) != advanced)
            widget->setVisible(advanced);
}

void COperatePage::PressKey(OperateKey key)
{
    m_poller.Request([key](IOperateStateMachine& machine) { ::PressKey(machine, key); });
}

void COperatePage::SelectBand(int band)
{
    if (m_poller.Request([band](IOperateStateMachine& machine) { machine.SelectBand(static_cast<BYTE>(band)); }))
        m_bandHoldUntil = m_cycles + 1;
    else
        ShowBand();
}

void COperatePage::SetPower(bool on)
{
    if (!m_poller.Request([on](IOperateStateMachine& machine) { machine.SetPowerStatus(on ? 1 : 0); }))
        ShowPowerStatus();
}

void COperatePage::RelayBoxClicked(Bank bank)
{
    const bool caps = bank == Bank::Capacitors;
    const BYTE relays = BoxesByte(caps ? m_capacitorBoxes : m_inductorBoxes);
    const bool made = m_poller.Request([caps, relays](IOperateStateMachine& machine) {
        if (caps)
            machine.SetCapacitors(relays);
        else
            machine.SetInductors(relays);
    });
    if (!made) {
        ShowRelays(bank);
        return;
    }
    CRelaySpinBox* spin = caps ? m_capacitance : m_inductance;
    const QSignalBlocker block(spin);
    spin->setValue(static_cast<int>(RelayBanks::Value(bank, relays)));
}

void COperatePage::RelayValueEntered(Bank bank)
{
    const bool caps = bank == Bank::Capacitors;
    CRelaySpinBox* spin = caps ? m_capacitance : m_inductance;
    const BYTE relays = RelayBanks::Greedy(bank, static_cast<unsigned>(spin->value()));
    const BYTE current = caps ? m_model->m_capacitors.m_value : m_model->m_inductors.m_value;
    if (relays != current) {
        m_poller.Request([caps, relays](IOperateStateMachine& machine) {
            if (caps)
                machine.SetCapacitors(relays);
            else
                machine.SetInductors(relays);
        });
    }
    // A field kept enabled while it had the focus follows the rule now.
    EnableControls();
}
