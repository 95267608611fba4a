#pragma once
#include "ui/ConfigFileChooser.h"
#include "link/ConnectionWatch.h"
#include "ui/PageBase.h"

class QPushButton;
class QGridLayout;

// The Configuration page (tab 3): the buttons that open the configuration dialogs.
class CConfigPage : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kTabIndex = 3;

    CConfigPage(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr);
    QString HelpTopic() const override { return QStringLiteral("Configuration.htm"); }
    void OnPageShown() override { m_connectionWatch.Attach(); }
    void OnPageHidden() override { m_connectionWatch.Detach(); }

    QPushButton* EditButton() const { return m_edit; }
    QPushButton* SaveButton() const { return m_save; }
    QPushButton* RestoreButton() const { return m_restore; }
    QPushButton* FaultTableButton() const { return m_faultTable; }
    QPushButton* EraseMemoryButton() const { return m_eraseMemory; }
    QPushButton* ResetButton() const { return m_reset; }
    QPushButton* DateTimeButton() const { return m_dateTime; }
    // The file choosers the dialogs use (Qt's file dialogs unless replaced).
    void SetFileChoosers(ConfigFileChooser save, ConfigFileChooser open);

    // Opens the dialogs as the buttons do; answers the dialog's result.
    int OpenEditSheet();
    int OpenSaveDialog();
    int OpenRestoreDialog();
    int OpenFaultTableDialog();
    int OpenEraseMemoryDialog();
    int OpenResetDialog();
    int OpenDateTimeSheet();

private:
    // Every button needs the amplifier running its application and the port to itself.
    void UpdateButtons();

    QPushButton* m_edit;
    QPushButton* m_save;
    QPushButton* m_restore;
    QPushButton* m_faultTable;
    QPushButton* m_eraseMemory;
    QPushButton* m_reset;
    QPushButton* m_dateTime;
    ConfigFileChooser m_saveChooser;
    ConfigFileChooser m_openChooser;
    CConnectionWatch m_connectionWatch;
};
