#pragma once
#include "model/Model.h"
#include "model/UserPrompt.h"
#include <QWidget>

// A page of the main window's tab view. Pages start machines and show model values; they own
// nothing of the device state.
class CPageBase : public QWidget {
    Q_OBJECT
public:
    CPageBase(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr)
        : QWidget(parent)
        , m_model(model)
        , m_prompt(prompt)
    {
    }

    // The help topic opened by F1 while the page is shown ("Port.htm").
    virtual QString HelpTopic() const = 0;
    // The page became the one shown / stopped being shown: attach and detach observers here.
    virtual void OnPageShown() { }
    virtual void OnPageHidden() { }
    // Bytes arrived while no machine is busy and this page is shown.
    virtual void OnCommEvent() { }
    // Pages with an activity log receive the status lines while they are shown.
    virtual bool HasActivityLog() const { return false; }
    virtual void AppendActivityLine(const QString& text) { (void)text; }

protected:
    CModel* m_model;
    IUserPrompt* m_prompt;
};
