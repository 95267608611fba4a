#include "config/ui/ConfigPage.h"
#include "config/ConfigStringIds.h"
#include "config/ui/ConfigRestoreDlg.h"
#include "config/ui/ConfigSaveDlg.h"
#include "model/StringTable.h"
#include <QPushButton>
#include <QVBoxLayout>

CConfigPage::CConfigPage(CModel* model, IUserPrompt* prompt, QWidget* parent)
    : CPageBase(model, prompt, parent)
    , m_saveChooser(ConfigFileDialogs::SaveChooser())
    , m_openChooser(ConfigFileDialogs::OpenChooser())
{
    m_save = new QPushButton(ResourceString(IDS_CONFIG_SAVE_BUTTON), this);
    m_save->setObjectName(QStringLiteral("saveConfiguration"));
    m_save->setToolTip(ResourceString(IDS_CONFIG_TIP_SAVE));
    m_restore = new QPushButton(ResourceString(IDS_CONFIG_RESTORE_BUTTON), this);
    m_restore->setObjectName(QStringLiteral("restoreConfiguration"));
    m_restore->setToolTip(ResourceString(IDS_CONFIG_TIP_RESTORE));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_save);
    layout->addWidget(m_restore);
    layout->addStretch(1);

    connect(m_save, &QPushButton::clicked, this, [this] { OpenSaveDialog(); });
    connect(m_restore, &QPushButton::clicked, this, [this] { OpenRestoreDialog(); });
}

void CConfigPage::SetFileChoosers(ConfigFileChooser save, ConfigFileChooser open)
{
    m_saveChooser = std::move(save);
    m_openChooser = std::move(open);
}

int CConfigPage::OpenSaveDialog()
{
    CConfigSaveDlg dialog(m_model, m_prompt, window(), m_saveChooser);
    return dialog.exec();
}

int CConfigPage::OpenRestoreDialog()
{
    CConfigRestoreDlg dialog(m_model, m_prompt, window(), m_openChooser);
    return dialog.exec();
}
