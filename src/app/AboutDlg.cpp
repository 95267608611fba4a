#include "app/AboutDlg.h"
#include "app/AppStringIds.h"
#include "app/LicenseDlg.h"
#include "model/RevisionText.h"
#include "model/StringTable.h"
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(ResourceString(IDS_APP_ABOUT_CAPTION));

    auto* name = new QLabel(TitleBaseText(), this);
    name->setObjectName(QStringLiteral("programName"));
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto* purpose = new QLabel(ResourceString(IDS_APP_ABOUT_PURPOSE), this);
    purpose->setWordWrap(true);
    auto* copyright = new QLabel(ResourceString(IDS_APP_COPYRIGHT), this);

    m_license = new QPushButton(ResourceString(IDS_APP_VIEW_LICENSE), this);
    m_close = new QPushButton(ResourceString(IDS_CLOSE), this);
    m_close->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_license);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(purpose);
    layout->addWidget(copyright);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    purpose->setMinimumWidth(360);

    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_license, &QPushButton::clicked, this, [this] {
        CLicenseDlg dialog(this);
        dialog.exec();
    });
}
