#pragma once
#include <QDialog>

class QPlainTextEdit;

// The licence agreement: the program's licence text, read-only.
class CLicenseDlg : public QDialog {
    Q_OBJECT
public:
    explicit CLicenseDlg(QWidget* parent = nullptr);
    QString Text() const;
    // The licence text carried in the program's resources.
    static QString LicenseText();

private:
    QPlainTextEdit* m_text;
};
