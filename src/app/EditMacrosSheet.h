#pragma once
#include <QDialog>

class CModel;
class CEditMacrosPage1;
class CEditMacrosPage2;
class QDialogButtonBox;
class QPushButton;
class QTabWidget;

// The macro editor: the 32 macro labels and command texts on two pages. OK and Apply store
// them in the model at once; they reach the settings store with the other settings at exit.
class CEditMacrosSheet : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kHelpTopic = "CommandTester.htm#MacroEditor";

    explicit CEditMacrosSheet(CModel* model, QWidget* parent = nullptr);

    void Apply();
    CEditMacrosPage1* Page1() const { return m_page1; }
    CEditMacrosPage2* Page2() const { return m_page2; }
    QTabWidget* Tabs() const { return m_tabs; }
    QPushButton* ApplyButton() const;
    QPushButton* OkButton() const;
    QPushButton* HelpButton() const;

private:
    CEditMacrosPage1* m_page1;
    CEditMacrosPage2* m_page2;
    QTabWidget* m_tabs;
    QDialogButtonBox* m_buttons;
};
