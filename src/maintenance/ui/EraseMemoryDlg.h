#pragma once
#include "ui/ConfigBackupOffer.h"
#include "model/EventSink.h"
#include "model/Model.h"
#include "model/UserPrompt.h"
#include "model/WaitCursor.h"
#include <QDialog>

class CEraseConfigStateMachine;
class QButtonGroup;
class QLabel;
class QPushButton;

// "Antenna Tuner Memory Erase": a band (160 ... 6 m, or All) and then "Antenna 1" or "Antenna 2"
// erases that antenna's tuner memories for the band. Each erase is confirmed first, and the
// first one of the dialog offers a backup of the configuration. The line under the buttons says
// how each erase ended; a failed one also shows the error box.
class CEraseMemoryDlg : public QDialog, public IEventSink, public CWaitCursorE<CEraseMemoryDlg> {
    Q_OBJECT
public:
    CEraseMemoryDlg(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr);
    ~CEraseMemoryDlg() override;

    CConfigBackupOffer& BackupOffer() { return m_backup; }
    // What "Antenna 1" and "Antenna 2" do; false when no erase was started.
    bool Erase(int antenna);
    // Erases started and not yet ended (0 or 1: the machine takes one at a time).
    unsigned ErasesInProgress() const { return m_inProgress; }
    DWORD LastResult() const { return m_lastResult; }
    QButtonGroup* Bands() const { return m_bands; }
    QPushButton* AntennaButton(int antenna) const { return antenna == 1 ? m_antenna1 : m_antenna2; }
    QPushButton* CloseButton() const { return m_close; }
    QLabel* StatusLabel() const { return m_status; }

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;
    void ApplyWaitCursor(bool wait);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool EnsureMachine();
    void Observe(bool on);
    void ShowBand();

    CModel* m_model;
    IUserPrompt* m_prompt;
    CConfigBackupOffer m_backup;
    CEraseConfigStateMachine* m_machine = nullptr;
    bool m_observing = false;
    unsigned m_inProgress = 0;
    int m_erasingBand = 0;
    int m_erasingAntenna = 0;
    DWORD m_lastResult = 0;
    QButtonGroup* m_bands;
    QPushButton* m_antenna1;
    QPushButton* m_antenna2;
    QPushButton* m_close;
    QLabel* m_status;
};
