#pragma once
#include "model/EventSink.h"
#include "operate/OperateKeys.h"
#include "operate/OperatePoller.h"
#include "operate/RelayBanks.h"
#include "operate/SessionSummary.h"
#include "ui/PageBase.h"
#include <optional>
#include <vector>

class CHistoryChart;
class CMeterBar;
class CRelaySpinBox;
class QAbstractButton;
class QCheckBox;
class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// The Operate page (tab 2): the amplifier's front panel at a distance. It shows what the poll
// cycles read (display, indicators, meters with bars, a 10-minute history), and sends the
// keys, the band, the power switch and, in advanced mode, the tuner's relays. Users keep it
// open for hours: it redraws only what changed and never takes the focus from a field being
// typed in.
class COperatePage : public CPageBase, public IEventSink {
    Q_OBJECT
public:
    static constexpr int kTabIndex = 2;

    COperatePage(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr);
    ~COperatePage() override;

    QString HelpTopic() const override { return QStringLiteral("Operate.htm"); }
    void OnPageShown() override;
    void OnPageHidden() override;
    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

    COperatePoller& Poller() { return m_poller; }
    QPushButton* KeyButton(OperateKey key) const { return m_keys[static_cast<int>(key)]; }
    QRadioButton* BandButton(int band) const { return m_bands[static_cast<std::size_t>(band)]; }
    CHistoryChart* History() const { return m_history; }
    // What the amplifier did while the page was open, shown in a message box.
    void ShowSummary();
    const CSessionSummary& Summary() const { return m_summary; }

private:
    struct Reading {
        QLabel* value = nullptr;
        CMeterBar* bar = nullptr;
    };

    void BuildPanel(QWidget* panel);
    void BuildMeters(QWidget* meters);
    void BuildRelays(QWidget* relays);
    QLabel* AddReading(QWidget* parent, QGridLayout* grid, int row, unsigned captionId, const char* name,
        CMeterBar* bar = nullptr, unsigned unitId = 0);

    void Observe(bool on);
    void ShowAll();
    void Show(std::uint32_t eventId);
    bool IsLive(const CReadingState& reading) const;
    // The reading's text, or nothing when it is not live ("–", the bar empty).
    void ShowReading(Reading& reading, const std::optional<QString>& text, double barValue);
    void ShowReadings();
    void ShowDisplay();
    void ShowIndicators();
    void ShowSwrScale();
    void AddHistory();
    void FitDisplay(int lines);
    void ShowForward();
    void ShowInput();
    void ShowEfficiency();
    void ShowRelays(RelayBanks::Bank bank);
    void ShowBand();
    void ShowPowerStatus();
    void EnableControls();
    void ShowAdvanced();

    // User actions.
    void PressKey(OperateKey key);
    void SelectBand(int band);
    void SetPower(bool on);
    void RelayBoxClicked(RelayBanks::Bank bank);
    void RelayValueEntered(RelayBanks::Bank bank);

    COperatePoller m_poller;
    bool m_observing = false;
    // Completion events seen, and the first one after which the band shown follows the
    // amplifier again: until the band key has gone out, the amplifier still reports the old
    // band, and the buttons would jump back and forth.
    unsigned m_cycles = 0;
    unsigned m_bandHoldUntil = 0;
    // The cycles of the time the page has been shown.
    CSessionSummary m_summary;

    QPlainTextEdit* m_display;
    int m_displayLines = 0;
    bool m_displayLive = true;
    QCheckBox* m_fault;
    QLabel* m_faultName;
    QCheckBox* m_overdrive;
    QRadioButton* m_oper;
    QRadioButton* m_stby;
    QRadioButton* m_ant1;
    QRadioButton* m_ant2;
    QCheckBox* m_atuIn;
    QCheckBox* m_atuBypass;
    QCheckBox* m_powerOn;
    QCheckBox* m_capsOnTxSide;
    QCheckBox* m_peakHold;
    std::vector<QPushButton*> m_keys;
    std::vector<QRadioButton*> m_bands;

    QLabel* m_frequency;
    Reading m_forward;
    Reading m_input;
    Reading m_reflected;
    Reading m_swr;
    Reading m_bypassSwr;
    Reading m_paCurrent;
    Reading m_paVoltage;
    Reading m_temperature;
    Reading m_dissipated;
    Reading m_efficiency;

    CRelaySpinBox* m_capacitance;
    CRelaySpinBox* m_inductance;
    std::vector<QCheckBox*> m_capacitorBoxes;
    std::vector<QCheckBox*> m_inductorBoxes;
    CHistoryChart* m_history;

    // Shown in advanced mode only.
    std::vector<QWidget*> m_advanced;
    // Enabled while the amplifier's application runs.
    std::vector<QWidget*> m_controls;
};
