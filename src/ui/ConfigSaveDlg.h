#pragma once
#include "ui/ConfigProgressDlg.h"
#include <QDateTime>

class CConfigSaveStateMachine;

// "Save QRO4000 Configuration": asks for the file name, reads the amplifier's configuration
// memory with the save sequence while a progress bar follows it, then writes the file.
// Results: 1 saved, 2 cancelled (nothing written), 3 failed.
class CConfigSaveDlg : public CConfigProgressDlg {
    Q_OBJECT
public:
    CConfigSaveDlg(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr,
        ConfigFileChooser chooser = ConfigFileDialogs::SaveChooser());

    const QDateTime& TimeStamp() const { return m_timeStamp; }

protected:
    void Run() override;
    void OnCancel() override;
    void OnCompletion(DWORD result) override;

private:
    QDateTime m_timeStamp;
    bool m_failed = false;
};
