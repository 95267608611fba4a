#include "app/EditMacrosSheet.h"
#include "app/AppStringIds.h"
#include "app/EditMacrosPage1.h"
#include "app/EditMacrosPage2.h"
#include "app/HelpWindow.h"
#include "model/StringTable.h"
#include <QDialogButtonBox>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWhatsThis>

CEditMacrosSheet::CEditMacrosSheet(CModel* model, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(ResourceString(IDS_APP_EDIT_MACROS));
    m_tabs = new QTabWidget(this);
    m_page1 = new CEditMacrosPage1(model, m_tabs);
    m_page2 = new CEditMacrosPage2(model, m_tabs);
    m_tabs->addTab(m_page1, ResourceString(IDS_APP_MACROS_1_16));
    m_tabs->addTab(m_page2, ResourceString(IDS_APP_MACROS_17_32));
    m_buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply | QDialogButtonBox::Help, this);
    ApplyButton()->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(m_buttons);

    auto modified = [this] { ApplyButton()->setEnabled(true); };
    connect(m_page1, &CEditMacrosPage::Modified, this, modified);
    connect(m_page2, &CEditMacrosPage::Modified, this, modified);
    connect(m_buttons, &QDialogButtonBox::accepted, this, [this] {
        Apply();
        accept();
    });
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ApplyButton(), &QPushButton::clicked, this, &CEditMacrosSheet::Apply);
    auto help = [] { CHelpWindow::ShowTopic(QString::fromLatin1(kHelpTopic)); };
    connect(m_buttons, &QDialogButtonBox::helpRequested, this, help);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, help);
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    addAction(QWhatsThis::createAction(this));
}

void CEditMacrosSheet::Apply()
{
    m_page1->Apply();
    m_page2->Apply();
    ApplyButton()->setEnabled(false);
}

QPushButton* CEditMacrosSheet::ApplyButton() const
{
    return m_buttons->button(QDialogButtonBox::Apply);
}

QPushButton* CEditMacrosSheet::OkButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

QPushButton* CEditMacrosSheet::HelpButton() const
{
    return m_buttons->button(QDialogButtonBox::Help);
}
