#include "maintenance/ui/DateTimeSheet.h"
#include "maintenance/MaintenanceStringIds.h"
#include "maintenance/ui/DateTimePage.h"
#include "model/StringTable.h"
#include "ui/HelpRequest.h"
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CDateTimeSheet::CDateTimeSheet(CModel* model, IUserPrompt* prompt, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DateTimeSheet"));
    setWindowTitle(ResourceString(IDS_DT_SHEET_CAPTION));
    auto* tabs = new QTabWidget(this);
    m_page = new CDateTimePage(model, prompt, tabs);
    tabs->addTab(m_page, ResourceString(IDS_DT_CAPTION));
    m_ok = new QPushButton(ResourceString(IDS_DT_OK), this);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(ResourceString(IDS_DT_CANCEL), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_apply = new QPushButton(ResourceString(IDS_DT_APPLY), this);
    m_apply->setObjectName(QStringLiteral("apply"));
    m_help = new QPushButton(ResourceString(IDS_DT_HELP), this);
    m_help->setObjectName(QStringLiteral("help"));
    for (QPushButton* b : {m_cancel, m_apply, m_help})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {m_ok, m_cancel, m_apply, m_help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (!m_page->Apply(true))
            accept();
    });
    connect(m_apply, &QPushButton::clicked, this, [this] { m_page->Apply(false); });
    connect(m_cancel, &QPushButton::clicked, this, &CDateTimeSheet::reject);
    connect(
        m_help, &QPushButton::clicked, this, [] { HelpRequest::Show(QString::fromLatin1(CDateTimePage::kHelpTopic)); });
    connect(m_page, &CDateTimePage::closeRequested, this,
        [this](bool accepted) { done(accepted ? QDialog::Accepted : QDialog::Rejected); });
}

void CDateTimeSheet::reject()
{
    // Escape and the window's close button too: the running read ends first.
    if (!m_page->Cancel())
        QDialog::reject();
}
