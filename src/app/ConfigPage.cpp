#include "app/ConfigPage.h"
#include "config/ConfigStringIds.h"
#include "config/ui/ConfigRestoreDlg.h"
#include "ui/ConfigSaveDlg.h"
#include "maintenance/MaintenanceStringIds.h"
#include "maintenance/ui/DateTimeSheet.h"
#include "maintenance/ui/EraseConfigDlg.h"
#include "maintenance/ui/EraseMemoryDlg.h"
#include "maintenance/ui/FaultTableDlg.h"
#include "model/StringTable.h"
#include "settings/SettingsStringIds.h"
#include "settings/ui/EditConfigSheet.h"
#include "ui/Availability.h"
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <utility>

CConfigPage::CConfigPage(CModel* model, IUserPrompt* prompt, QWidget* parent)
    : CPageBase(model, prompt, parent)
    , m_saveChooser(ConfigFileDialogs::SaveChooser())
    , m_openChooser(ConfigFileDialogs::OpenChooser())
    , m_connectionWatch(*model, [this] { UpdateButtons(); })
{
    m_edit = new QPushButton(ResourceString(IDS_SETTINGS_BUTTON), this);
    m_edit->setObjectName(QStringLiteral("editConfiguration"));
    m_edit->setToolTip(ResourceString(IDS_SETTINGS_TIP_BUTTON));
    m_save = new QPushButton(ResourceString(IDS_CONFIG_SAVE_BUTTON), this);
    m_save->setObjectName(QStringLiteral("saveConfiguration"));
    m_save->setToolTip(ResourceString(IDS_CONFIG_TIP_SAVE));
    m_restore = new QPushButton(ResourceString(IDS_CONFIG_RESTORE_BUTTON), this);
    m_restore->setObjectName(QStringLiteral("restoreConfiguration"));
    m_restore->setToolTip(ResourceString(IDS_CONFIG_TIP_RESTORE));
    m_faultTable = new QPushButton(ResourceString(IDS_MAINT_FAULTS_BUTTON), this);
    m_faultTable->setObjectName(QStringLiteral("displayFaultTable"));
    m_eraseMemory = new QPushButton(ResourceString(IDS_MAINT_ERASE_BUTTON), this);
    m_eraseMemory->setObjectName(QStringLiteral("atuMemoryErase"));
    m_reset = new QPushButton(ResourceString(IDS_MAINT_RESET_BUTTON), this);
    m_reset->setObjectName(QStringLiteral("resetConfiguration"));
    m_dateTime = new QPushButton(ResourceString(IDS_MAINT_DATE_TIME_BUTTON), this);
    m_dateTime->setObjectName(QStringLiteral("setDateAndTime"));

    // Each button with a line saying what it does, like the Port page's buttons beside their
    // purpose.
    auto* layout = new QGridLayout(this);
    int row = 0;
    for (auto [button, description] : std::initializer_list<std::pair<QPushButton*, unsigned>> {
             {m_edit, IDS_SETTINGS_BUTTON_DESCRIPTION},
             {m_save, IDS_CONFIG_SAVE_DESCRIPTION},
             {m_restore, IDS_CONFIG_RESTORE_DESCRIPTION},
             {m_faultTable, IDS_MAINT_FAULTS_DESCRIPTION},
             {m_eraseMemory, IDS_MAINT_ERASE_DESCRIPTION},
             {m_reset, IDS_MAINT_RESET_DESCRIPTION},
             {m_dateTime, IDS_MAINT_DATE_TIME_DESCRIPTION},
         }) {
        button->setMinimumWidth(
            button->fontMetrics().horizontalAdvance(ResourceString(IDS_CONFIG_RESTORE_BUTTON)) + 48);
        auto* label = new QLabel(ResourceString(description), this);
        label->setWordWrap(true);
        layout->addWidget(button, row, 0, Qt::AlignTop);
        layout->addWidget(label, row, 1, Qt::AlignTop);
        ++row;
    }
    layout->setColumnStretch(1, 1);
    layout->setHorizontalSpacing(16);
    layout->setVerticalSpacing(14);
    layout->setRowStretch(row, 1);

    connect(m_edit, &QPushButton::clicked, this, [this] { OpenEditSheet(); });
    connect(m_save, &QPushButton::clicked, this, [this] { OpenSaveDialog(); });
    connect(m_restore, &QPushButton::clicked, this, [this] { OpenRestoreDialog(); });
    connect(m_faultTable, &QPushButton::clicked, this, [this] { OpenFaultTableDialog(); });
    connect(m_eraseMemory, &QPushButton::clicked, this, [this] { OpenEraseMemoryDialog(); });
    connect(m_reset, &QPushButton::clicked, this, [this] { OpenResetDialog(); });
    connect(m_dateTime, &QPushButton::clicked, this, [this] { OpenDateTimeSheet(); });
    UpdateButtons();
}

void CConfigPage::UpdateButtons()
{
    const CActionAvailability availability
        = ActionAvailability(DeviceAction::ConfigTask, ReadConnectionFacts(*m_model));
    for (QPushButton* button : {m_edit, m_save, m_restore, m_faultTable, m_eraseMemory, m_reset, m_dateTime})
        ApplyAvailability(button, availability);
}

void CConfigPage::SetFileChoosers(ConfigFileChooser save, ConfigFileChooser open)
{
    m_saveChooser = std::move(save);
    m_openChooser = std::move(open);
}

int CConfigPage::OpenEditSheet()
{
    CEditConfigSheet sheet(m_model, m_prompt, window());
    return sheet.exec();
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

int CConfigPage::OpenFaultTableDialog()
{
    CFaultTableDlg dialog(m_model, m_prompt, window());
    return dialog.exec();
}

int CConfigPage::OpenEraseMemoryDialog()
{
    CEraseMemoryDlg dialog(m_model, m_prompt, window());
    return dialog.exec();
}

int CConfigPage::OpenResetDialog()
{
    CEraseConfigDlg dialog(m_model, m_prompt, window());
    return dialog.exec();
}

int CConfigPage::OpenDateTimeSheet()
{
    CDateTimeSheet sheet(m_model, m_prompt, window());
    return sheet.exec();
}
