#pragma once
#include "link/ConnectionWatch.h"
#include "link/ports/PortList.h"
#include "model/EventSink.h"
#include "ui/PageBase.h"
#include <functional>

class CPortComboBox;
class QLabel;
class QPushButton;

// The Port page: the serial port connected to the amplifier, "Test Communications" and
// "Close Port", and the outcome of a contact in a status box.
class CPortPage : public CPageBase, public IEventSink {
    Q_OBJECT
public:
    static constexpr int kPortListId = 1000;
    static constexpr int kTestButtonId = 1002;
    static constexpr int kCloseButtonId = 2309;
    using PortLister = std::function<std::vector<CPortInfo>()>;

    // The lister gives the system's serial ports (the system's own list when empty).
    CPortPage(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr, PortLister lister = {});
    ~CPortPage() override;

    QString HelpTopic() const override { return QStringLiteral("Port.htm"); }
    void OnPageShown() override;
    void OnPageHidden() override;
    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

    // What the list offers: the system's ports sorted by name without regard to case, the
    // serial device servers chosen last (newest first), then the built-in simulated amplifier
    // "SIM".
    static std::vector<CPortInfo> PortChoices(std::vector<CPortInfo> systemPorts, const QStringList& remotePorts = {});
    // Rebuilds the list, keeping the entry selected.
    void FillList();
    // Makes the port the chosen one, as choosing it in the list does; a name the list does not
    // hold (a pseudo-terminal of qro4000-sim, say) stays in the entry as typed. A serial
    // device server's name is remembered for the list.
    void ChoosePort(const QString& name);

    bool IsObserving() const { return m_observing; }
    CPortComboBox* PortList() const { return m_portList; }
    QPushButton* TestButton() const { return m_testButton; }
    QPushButton* ClosePortButton() const { return m_closeButton; }
    // The line that says where the link stands, and Stop, shown while a search runs.
    QLabel* ConnectionPanel() const { return m_connectionPanel; }
    QPushButton* StopButton() const { return m_stopButton; }

private:
    void SelectModelPort();
    void OnTestCommunications();
    void OnClosePort();
    void OnPortActivated(int index);
    void OnPortTyped();
    void PostStatusBox();
    void ShowConnectionState();
    void OnStop();

    PortLister m_lister;
    QLabel* m_label;
    CPortComboBox* m_portList;
    QPushButton* m_testButton;
    QPushButton* m_closeButton;
    QLabel* m_connectionPanel;
    QPushButton* m_stopButton;
    CConnectionWatch m_connectionWatch;
    bool m_observing = false;
};
