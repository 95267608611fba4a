#pragma once
#include "app/PageBase.h"

// The Configuration page: the buttons that open the configuration dialogs.
class CConfigPage : public CPageBase {
    Q_OBJECT
public:
    CConfigPage(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr);
    QString HelpTopic() const override { return QStringLiteral("Configuration.htm"); }
};
