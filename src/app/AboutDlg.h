#pragma once
#include <QDialog>

class QPushButton;

// "About Brimwell QRO4000 Utility": the program's name and four-part revision, "Close" and
// "View License Agreement".
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    QPushButton* LicenseButton() const { return m_license; }
    QPushButton* CloseButton() const { return m_close; }

private:
    QPushButton* m_license;
    QPushButton* m_close;
};
