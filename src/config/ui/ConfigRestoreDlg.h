#pragma once
#include "ui/ConfigProgressDlg.h"

class CConfigRestoreStateMachine;

// "Restore QRO4000 Configuration": asks for a configuration file, checks all of it, and only
// then writes it into the amplifier with the restore sequence while a progress bar follows it.
// Results: 1 restored, 2 cancelled or no file chosen, 3 file rejected or restore failed.
class CConfigRestoreDlg : public CConfigProgressDlg {
    Q_OBJECT
public:
    CConfigRestoreDlg(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr,
        ConfigFileChooser chooser = ConfigFileDialogs::OpenChooser());

protected:
    void Run() override;
    void OnCancel() override;
    void OnCompletion(DWORD result) override;

private:
    void EndWithResult();
};
