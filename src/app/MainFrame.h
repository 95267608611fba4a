#pragma once
#include "link/ConnectionWatch.h"
#include "link/QtEventHost.h"
#include "model/EventSink.h"
#include "model/Model.h"
#include "model/StatusSink.h"
#include "model/UserPrompt.h"
#include "ui/ElidedLabel.h"
#include <QMainWindow>
#include <QPointer>

class CCommandTesterPage;
class CPortPage;
class CReleaseInfoDlg;
class CTabView;
class QLabel;

// The program's one window: it owns the model, routes the port's notifications to the page
// shown when no machine wants them, shows status lines, keeps the title up to date, starts or
// closes the contact when the chosen port changes, and carries the menus.
class CMainFrame : public QMainWindow, public IStatusSink, public IUserPrompt, public IEventSink {
    Q_OBJECT
public:
    // The ten values of the window placement under the settings' "Window" subkey.
    static const char* const kPlacementNames[10];

    // `port`, when not empty, is chosen at start-up as if on the Port page. `prompt`, when
    // given, answers in place of the message boxes (tests answer from a script).
    explicit CMainFrame(const QString& port = QString(), IUserPrompt* prompt = nullptr, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CModel& Model() { return m_model; }
    CTabView* TabView() const { return m_tabView; }
    CPortPage* PortPage() const { return m_portPage; }
    CCommandTesterPage* CommandTesterPage() const { return m_commandTesterPage; }
    QString StatusText() const;
    // The permanent item at the right of the status bar: where the link to the amplifier stands.
    QLabel* ConnectionItem() const { return m_connectionItem; }
    // The size the window opens at without a stored placement, where the screen has room; zero
    // until the window is first shown.
    QSize OpeningSize() const { return m_openingSize; }
    // No window minimum is larger: the pages scroll below their own size.
    static constexpr QSize kLargestMinimumSize {720, 450};

    // The title for the values now: the program's revision, the serial number once read, and
    // the port with its speed (or "closed").
    QString TitleText() const;
    // The status line for the firmware status now.
    QString FirmwareStatusLine() const;

    void ShowHelp(const QString& topic);
    void ShowAbout();
    void ShowReleaseNotes();

    // IStatusSink: status and verbose lines go to the status bar and to the activity log of
    // the page shown; trace lines only to that log.
    void OnStatusLine(Kind kind, const QString& text) override;
    // IUserPrompt: message boxes, or the injected prompt.
    void ShowMessage(Icon icon, const QString& caption, const QString& text) override;
    bool AskYesNo(Icon icon, const QString& caption, const QString& text) override;
    Answer AskYesNoCancel(Icon icon, const QString& caption, const QString& text) override;
    // IEventSink: the model values the window follows.
    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

signals:
    // Every text put into the status bar, in order.
    void StatusTextShown(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void CreatePages();
    void AttachObservers();
    void DetachObservers();
    void UpdateTitle();
    void UpdateChecks();
    void SetStatusText(const QString& text);
    void PostFirmwareStatusLine();
    // A line that says where the link stands: for the activity log, not the status text.
    void ShowLinkLine(const QString& text);
    bool AmplifierThere();
    void OnConnectionChanged();
    void RouteCommEvent();
    bool RestorePlacement();
    void SavePlacement();
    void Shutdown();

    CQtEventHost m_host;
    CModel m_model;
    IUserPrompt* m_injectedPrompt;
    CElidedLabel* m_statusText = nullptr;
    CElidedLabel* m_connectionItem = nullptr;
    CConnectionWatch m_connectionWatch;
    bool m_contactWasBusy = false;
    bool m_statusLinePending = false;
    CTabView* m_tabView = nullptr;
    CPortPage* m_portPage = nullptr;
    CCommandTesterPage* m_commandTesterPage = nullptr;
    QSize m_openingSize;
    bool m_firstShow = true;
    bool m_shutDown = false;
    QPointer<CReleaseInfoDlg> m_releaseNotes;
    QAction* m_advancedModeAction = nullptr;
    QAction* m_statusBarAction = nullptr;
    QAction* m_traceAction = nullptr;
    QAction* m_verboseAction = nullptr;
};
