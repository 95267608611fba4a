#include "config/ui/ConfigPage.h"

CConfigPage::CConfigPage(CModel* model, IUserPrompt* prompt, QWidget* parent) : CPageBase(model, prompt, parent) {}
