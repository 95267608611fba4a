#include "firmware/ui/ReleaseInfoDlg.h"

CReleaseInfoDlg::CReleaseInfoDlg(QWidget* parent) : QDialog(parent) {}

CReleaseInfoDlg* CReleaseInfoDlg::ShowForFolder(const QString& folder, IUserPrompt* prompt, QWidget* parent)
{
    (void)folder;
    (void)prompt;
    (void)parent;
    return nullptr;
}
