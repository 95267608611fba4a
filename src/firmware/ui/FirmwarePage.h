#pragma once
#include "app/PageBase.h"

// The Firmware page: firmware folder, revisions and "Send Firmware to QRO4000".
class CFirmwarePage : public CPageBase {
    Q_OBJECT
public:
    CFirmwarePage(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr);
    QString HelpTopic() const override { return QStringLiteral("Firmware.htm"); }
    bool HasActivityLog() const override { return true; }
    void AppendActivityLine(const QString& text) override;
};
