#include "firmware/ui/FirmwarePage.h"

CFirmwarePage::CFirmwarePage(CModel* model, IUserPrompt* prompt, QWidget* parent) : CPageBase(model, prompt, parent) {}

void CFirmwarePage::AppendActivityLine(const QString& text)
{
    (void)text;
}
