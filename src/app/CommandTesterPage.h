#pragma once
#include "app/CommandHistory.h"
#include "link/ConnectionWatch.h"
#include "model/EventSink.h"
#include "ui/PageBase.h"
#include <array>

class CElidedButton;
class COutputWindow;
class QLabel;
class QLineEdit;
class QPushButton;

// The Command Tester page: raw commands typed by hand or sent from 32 macro buttons, and the
// amplifier's raw answers. It writes to the port itself and reads it while no machine is busy.
class CCommandTesterPage : public CPageBase, public IEventSink {
    Q_OBJECT
public:
    static constexpr int kMacroCount = 32;
    static constexpr int kPromptId = 1105;
    static constexpr int kEntryId = 1028;
    static constexpr int kOutputId = 1029;
    static constexpr int kEditMacrosId = 2390;
    static constexpr int kClearId = 1034;
    static constexpr int kFirstMacroId = 3201;
    static constexpr DWORD kReadSize = 512;

    CCommandTesterPage(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr);
    ~CCommandTesterPage() override;

    QString HelpTopic() const override { return QStringLiteral("CommandTester.htm"); }
    void OnPageShown() override;
    void OnPageHidden() override;
    void OnCommEvent() override;
    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

    // Writes the text to the amplifier unchanged and shows it; nothing happens for an empty
    // text, with no amplifier in contact, or when the user declines a destructive command.
    bool SendText(const QString& text);
    // Macro n (1 to 32): the entry's text followed by the macro's command text, as one text.
    void SendMacro(int number);

    QLineEdit* Entry() const { return m_entry; }
    CElidedButton* MacroButton(int number) const { return m_macros.at(static_cast<std::size_t>(number - 1)); }
    COutputWindow* Output() const { return m_output; }
    QPushButton* EditMacrosButton() const { return m_editMacros; }
    QPushButton* ClearButton() const { return m_clear; }
    // Says on the page why it is greyed out; hidden while it is not.
    QLabel* WhyDisabled() const { return m_whyDisabled; }
    const CCommandHistory& History() const { return m_history; }
    bool IsObserving() const { return m_observing; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnEntryEdited(const QString& text);
    void OnEntryReturn();
    void OnEditMacros();
    void EnableControls();
    bool ConfirmDestructive(const QString& text);
    // Macro button `index` (0 to 31): its label, cut to fit, and its command as the tooltip.
    void ShowMacro(unsigned index);

    QLabel* m_promptLabel;
    QLineEdit* m_entry;
    std::array<CElidedButton*, kMacroCount> m_macros {};
    COutputWindow* m_output;
    QPushButton* m_editMacros;
    QPushButton* m_clear;
    QLabel* m_whyDisabled;
    CCommandHistory m_history;
    CConnectionWatch m_connectionWatch;
    bool m_observing = false;
};
