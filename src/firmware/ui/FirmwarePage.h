#pragma once
#include "firmware/FirmwareFiles.h"
#include "firmware/ui/FolderChooser.h"
#include "model/EventSink.h"
#include "ui/PageBase.h"
#include <functional>

class COutputWindow;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// The Firmware page (tab 1): the firmware folder, the revision installed in the amplifier
// against the newest file of the folder, "Send Firmware to QRO4000" and the activity log.
class CFirmwarePage : public CPageBase, public IEventSink {
    Q_OBJECT
public:
    static constexpr int kTabIndex = 1;
    // Characters the activity log keeps; older lines go first.
    static constexpr int kLogLimit = 0x200000;
    static constexpr int kFolderLimit = 260;

    // Runs the loader dialog and answers its result code; tests replace it.
    using LoaderRunner = std::function<DWORD(CFirmwarePage& page)>;
    // Saves the configuration before a load: 1 saved, 2 cancelled, 3 failed (with the reason
    // in *result); tests replace it.
    using BackupRunner = std::function<int(CFirmwarePage& page, const QString& fileName, DWORD* result)>;
    // Runs the file server copy dialog for the folder and answers its result (1, 2 or 3);
    // tests replace it.
    using CopyRunner = std::function<int(CFirmwarePage& page, const QString& folder)>;

    CFirmwarePage(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr);
    ~CFirmwarePage() override;

    QString HelpTopic() const override { return QStringLiteral("Firmware.htm"); }
    bool HasActivityLog() const override { return true; }
    void AppendActivityLine(const QString& text) override;
    void OnPageShown() override;
    void OnPageHidden() override;
    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

    void SetFolderChooser(FolderChooser chooser) { m_folderChooser = std::move(chooser); }
    void SetLoaderRunner(LoaderRunner runner) { m_loaderRunner = std::move(runner); }
    void SetBackupRunner(BackupRunner runner) { m_backupRunner = std::move(runner); }
    void SetCopyRunner(CopyRunner runner) { m_copyRunner = std::move(runner); }

    // What the buttons do.
    void ChooseDefaultFolder();
    void BrowseForFolder();
    void CheckRevisionNow();
    void SendFirmware();
    // "Copy New Files from Brimwell": the copy dialog for the folder, then a fresh scan.
    void CopyNewFiles();
    // The copy button's menu: asks for the "FileServer" address.
    void EditFileServer();
    // Scans the folder and shows the available revision; `report` also logs a missing file.
    void RefreshAvailable(bool report);
    // The folder in use scanned again: the available revision, its order and Send Firmware.
    void ScanFiles(bool report);
    void ApplySendAvailability();
    // Buttons are disabled while the amplifier is in a conversation.
    void UpdateButtons();

    const CFirmwareFiles& Files() const { return m_files; }
    QLineEdit* FolderEdit() const { return m_folder; }
    QPushButton* DefaultButton() const { return m_default; }
    QPushButton* BrowseButton() const { return m_browse; }
    QPushButton* CheckButton() const { return m_check; }
    QPushButton* CopyButton() const { return m_copy; }
    QPushButton* FileServerButton() const { return m_server; }
    QPushButton* SendButton() const { return m_send; }
    QLabel* InstalledText() const { return m_installed; }
    QLabel* AvailableText() const { return m_available; }
    // "newer", "same" or "older" beside the available revision; empty when they do not compare.
    QLabel* OrderText() const { return m_order; }
    // Shown while the remembered folder is away and the default one serves instead.
    QLabel* FolderNote() const { return m_folderNote; }
    // The folder scanned: the remembered one, or the default while that one is away.
    const QString& ScannedFolder() const { return m_folderInUse; }
    COutputWindow* ActivityLog() const { return m_log; }

private:
    void ShowInstalled();
    void ShowOrder();
    // What "Check Revision Now" found: installed, available, and how they compare.
    void ReportRevisions();
    // False when the file is older than the firmware running and the user keeps that one.
    bool ConfirmDowngrade();
    void SetFolder(const QString& folder);
    bool ConversationRunning() const;
    void PopupError(const QString& text);
    // False when the user would rather not send the firmware now.
    bool OfferBackup();
    DWORD RunLoaderDialog();
    int RunBackupDialog(const QString& fileName, DWORD* result);
    int RunCopyDialog(const QString& folder);

    CFirmwareFiles m_files;
    FolderChooser m_folderChooser;
    LoaderRunner m_loaderRunner;
    BackupRunner m_backupRunner;
    CopyRunner m_copyRunner;
    QLineEdit* m_folder;
    QPushButton* m_default;
    QPushButton* m_browse;
    QPushButton* m_check;
    QPushButton* m_copy;
    QPushButton* m_server;
    QLabel* m_installed;
    QLabel* m_available;
    QLabel* m_order;
    QLabel* m_folderNote;
    QString m_folderInUse;
    QPushButton* m_send;
    COutputWindow* m_log;
    QTimer* m_busyPoll;
    bool m_sending = false;
    bool m_reportPending = false; // "Check Revision Now" reports once its query has ended
};
