#pragma once
#include "model/Model.h"
#include "model/UserPrompt.h"
#include <QDialog>

class CDateTimePage;
class QPushButton;

// The sheet around the date and time page: OK, Cancel, Apply and Help. The page decides when
// the sheet may close, since a read of the amplifier's clock may still be running.
class CDateTimeSheet : public QDialog {
    Q_OBJECT
public:
    CDateTimeSheet(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr);

    CDateTimePage* Page() const { return m_page; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* ApplyButton() const { return m_apply; }
    QPushButton* HelpButton() const { return m_help; }

protected:
    void reject() override;

private:
    CDateTimePage* m_page;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_apply;
    QPushButton* m_help;
};
