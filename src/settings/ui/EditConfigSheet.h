#pragma once
#include "model/EventSink.h"
#include "model/Model.h"
#include "model/UserPrompt.h"
#include "settings/SettingsTable.h"
#include <QDialog>
#include <bitset>
#include <functional>
#include <map>

class CEditConfigStateMachine;
class CSettingEditor;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;

// "Edit QRO4000 Configuration": the amplifier's settings on nine pages. The sheet reads every
// setting when it opens (the pages stay disabled until they hold what the amplifier has),
// edits go into the model's pending copies, and OK or Apply writes the ones that changed. A
// failed write keeps the edits so that the user can apply again; closing with edits not yet
// applied asks whether to save them. Export... and Import... carry the settings in a profile.
class CEditConfigSheet : public QDialog, public IEventSink {
    Q_OBJECT
public:
    static constexpr const char* kHelpTopic = "EditConfiguration.htm";
    // Asks for a file name: (parent, caption, filter); empty when the user cancels.
    using FileChooser = std::function<QString(QWidget*, const QString&, const QString&)>;

    CEditConfigSheet(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr);
    ~CEditConfigSheet() override;

    void SetFileChoosers(FileChooser save, FileChooser open);
    // The help topic of the page shown, with its anchor.
    QString HelpTopic() const;

    // Writes the changed settings; false (nothing sent) when there is nothing to write or a
    // value is refused, which is then said beside its control.
    bool Apply();
    void Export();
    void Import();
    void ReadAgain();

    bool IsBusy() const { return m_running != Running::None; }
    CSettingEditor* Editor(SettingId id) const;
    QTabWidget* Tabs() const { return m_tabs; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* ApplyButton() const { return m_apply; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* ExportButton() const { return m_export; }
    QPushButton* ImportButton() const { return m_import; }
    QPushButton* ReadAgainButton() const { return m_readAgain; }
    QLabel* StatusLabel() const { return m_status; }

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    enum class Running { None, Read, Write };

    QWidget* AddPage(unsigned titleId, unsigned descriptionId, const char* anchor);
    void BuildPages();
    void BuildBandPage(unsigned titleId, unsigned descriptionId, const char* anchor,
        std::initializer_list<std::pair<SettingId, unsigned>> columns);
    void BuildSinglePage(unsigned titleId, unsigned descriptionId, const char* anchor,
        std::initializer_list<std::pair<SettingId, unsigned>> rows);
    CSettingEditor* AddEditor(SettingId id, unsigned labelId, QWidget* page);

    void ApplyAndClose();
    bool StartMachine(Running what);
    void OnCompletion(DWORD result);
    void ShowValues();
    void SetStatus(const QString& text);
    void UpdateControls();
    void OnEdited(SettingId id);
    // Shows a refused pending value beside its control; false when there is none.
    bool ShowRefusedValue();
    void ShowError(const QString& text);

    CModel* m_model;
    IUserPrompt* m_prompt;
    CEditConfigStateMachine* m_machine = nullptr;
    Running m_running = Running::None;
    bool m_read = false; // the pages hold what the amplifier has
    bool m_closeAfterWrite = false;
    bool m_closeWhenIdle = false;
    bool m_begun = false;
    std::bitset<kSettingCount> m_answered;
    FileChooser m_saveChooser;
    FileChooser m_openChooser;

    QTabWidget* m_tabs;
    std::vector<QWidget*> m_pages;
    std::vector<QString> m_anchors;
    std::map<SettingId, CSettingEditor*> m_editors;
    QLabel* m_status;
    QLabel* m_changedLegend;
    CSettingEditor* m_refusal = nullptr; // the field the status line refuses, until it is edited
    QProgressBar* m_progress;
    QPushButton* m_export;
    QPushButton* m_import;
    QPushButton* m_readAgain;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_apply;
    QPushButton* m_help;
};
