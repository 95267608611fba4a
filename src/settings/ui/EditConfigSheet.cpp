#include "settings/ui/EditConfigSheet.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "settings/EditConfigStateMachine.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsProfile.h"
#include "settings/SettingsStringIds.h"
#include "settings/SettingsText.h"
#include "settings/ui/SettingEditor.h"
#include "ui/ErrorBox.h"
#include "ui/HelpRequest.h"
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
CEditConfigSheet::FileChooser DialogChooser(bool save, CModel* model)
{
    return [save, model](QWidget* parent, const QString& caption, const QString& filter) {
        const QString folder = model->m_configurationFolder.m_value;
        return save ? QFileDialog::getSaveFileName(parent, caption, folder, filter)
                    : QFileDialog::getOpenFileName(parent, caption, folder, filter);
    };
}
} // namespace

CEditConfigSheet::CEditConfigSheet(CModel* model, IUserPrompt* prompt, QWidget* parent)
    : QDialog(parent)
    , m_model(model)
    , m_prompt(prompt)
    , m_saveChooser(DialogChooser(true, model))
    , m_openChooser(DialogChooser(false, model))
{
    setObjectName(QStringLiteral("EditConfigSheet"));
    setWindowTitle(ResourceString(IDS_SETTINGS_SHEET_CAPTION));
    m_tabs = new QTabWidget(this);
    // Every page's tab in view at once.
    m_tabs->setUsesScrollButtons(false);
    BuildPages();

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(160);
    m_progress->hide();
    m_changedLegend = new QLabel(ResourceString(IDS_SETTINGS_CHANGED_LEGEND), this);
    m_changedLegend->setObjectName(QStringLiteral("changedLegend"));
    m_changedLegend->hide();

    m_export = new QPushButton(ResourceString(IDS_SETTINGS_EXPORT), this);
    m_import = new QPushButton(ResourceString(IDS_SETTINGS_IMPORT), this);
    m_readAgain = new QPushButton(ResourceString(IDS_SETTINGS_RELOAD), this);
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply | QDialogButtonBox::Help, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_cancel = buttons->button(QDialogButtonBox::Cancel);
    m_apply = buttons->button(QDialogButtonBox::Apply);
    m_help = buttons->button(QDialogButtonBox::Help);
    for (QPushButton* button : {m_export, m_import, m_readAgain, m_ok, m_cancel, m_apply, m_help})
        button->setAutoDefault(false);

    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_status, 1);
    statusRow->addWidget(m_progress);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_export);
    buttonRow->addWidget(m_import);
    buttonRow->addWidget(m_readAgain);
    buttonRow->addStretch(1);
    buttonRow->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(m_changedLegend);
    layout->addLayout(statusRow);
    layout->addLayout(buttonRow);

    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (!m_model->HasUnsavedChanges()) {
            accept();
            return;
        }
        ApplyAndClose();
    });
    connect(m_cancel, &QPushButton::clicked, this, &CEditConfigSheet::reject);
    connect(m_apply, &QPushButton::clicked, this, &CEditConfigSheet::Apply);
    connect(m_export, &QPushButton::clicked, this, &CEditConfigSheet::Export);
    connect(m_import, &QPushButton::clicked, this, &CEditConfigSheet::Import);
    connect(m_readAgain, &QPushButton::clicked, this, &CEditConfigSheet::ReadAgain);
    auto help = [this] { HelpRequest::Show(HelpTopic()); };
    connect(m_help, &QPushButton::clicked, this, help);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, help);

    m_model->m_completion.AddObserver(this);
    m_model->m_progressRange.AddObserver(this);
    m_model->m_progressPosition.AddObserver(this);
    UpdateControls();
}

CEditConfigSheet::~CEditConfigSheet()
{
    m_model->m_completion.RemoveObserver(this);
    m_model->m_progressRange.RemoveObserver(this);
    m_model->m_progressPosition.RemoveObserver(this);
    if (m_machine)
        m_machine->Release();
}

void CEditConfigSheet::SetFileChoosers(FileChooser save, FileChooser open)
{
    m_saveChooser = std::move(save);
    m_openChooser = std::move(open);
}

QString CEditConfigSheet::HelpTopic() const
{
    const int page = m_tabs->currentIndex();
    if (page < 0 || page >= static_cast<int>(m_anchors.size()))
        return QString::fromLatin1(kHelpTopic);
    return QString::fromLatin1(kHelpTopic) + QLatin1Char('#') + m_anchors[static_cast<std::size_t>(page)];
}

CSettingEditor* CEditConfigSheet::Editor(SettingId id) const
{
    const auto it = m_editors.find(id);
    return it == m_editors.end() ? nullptr : it->second;
}

// --- pages -----------------------------------------------------------------------------------

void CEditConfigSheet::BuildPages()
{
    using S = SettingId;
    BuildBandPage(IDS_SETTINGS_PAGE_ANTENNAS, IDS_SETTINGS_DESC_ANTENNAS, "Antennas",
        {{S::AntennaEnable, IDS_SETTINGS_COL_ENABLE}, {S::AntennaPreferred, IDS_SETTINGS_COL_PREFERRED}});
    BuildBandPage(IDS_SETTINGS_PAGE_SWR, IDS_SETTINGS_DESC_SWR, "SwrThresholds",
        {{S::SwrBypass, IDS_SETTINGS_COL_BYPASS}, {S::SwrNoMatch, IDS_SETTINGS_COL_NOMATCH},
            {S::SwrRetune, IDS_SETTINGS_COL_RETUNE}, {S::SwrStop, IDS_SETTINGS_COL_STOP}});
    BuildSinglePage(IDS_SETTINGS_PAGE_ATU_MODE_SWITCH, IDS_SETTINGS_DESC_MODE_SWITCH, "AtuModeSwitch",
        {{S::AtuModeSwitch, IDS_SETTINGS_LABEL_MODE_SWITCH}});
    BuildSinglePage(
        IDS_SETTINGS_PAGE_BANNER, IDS_SETTINGS_DESC_BANNER, "Banner", {{S::Banner, IDS_SETTINGS_LABEL_BANNER}});
    BuildBandPage(IDS_SETTINGS_PAGE_HISWR, IDS_SETTINGS_DESC_HISWR, "AtuHiSwrRetune",
        {{S::AtuHiSwrRetune, IDS_SETTINGS_COL_HISWR}});
    BuildSinglePage(IDS_SETTINGS_PAGE_XCVR_KEY, IDS_SETTINGS_DESC_XCVR_KEY, "AtuXcvrKey",
        {{S::AtuXcvrKey, IDS_SETTINGS_LABEL_XCVR_KEY}});
    BuildBandPage(IDS_SETTINGS_PAGE_PER_BIN, IDS_SETTINGS_DESC_PER_BIN, "AtuSettingsPerBin",
        {{S::AtuSettingsPerBin, IDS_SETTINGS_COL_PER_BIN}});
    BuildSinglePage(IDS_SETTINGS_PAGE_NETWORK, IDS_SETTINGS_DESC_NETWORK, "Network",
        {{S::NetDhcp, IDS_SETTINGS_LABEL_DHCP}, {S::NetIp, IDS_SETTINGS_LABEL_IP},
            {S::NetMask, IDS_SETTINGS_LABEL_MASK}, {S::NetGateway, IDS_SETTINGS_LABEL_GATEWAY},
            {S::NetPort, IDS_SETTINGS_LABEL_PORT}, {S::NetMac, IDS_SETTINGS_LABEL_MAC},
            {S::NetWakeOnLan, IDS_SETTINGS_LABEL_WOL}});
    BuildSinglePage(IDS_SETTINGS_PAGE_PF_KEYS, IDS_SETTINGS_DESC_PF_KEYS, "PfKeys",
        {{S::Pf1, IDS_SETTINGS_LABEL_PF1}, {S::Pf2, IDS_SETTINGS_LABEL_PF2}});
}

QWidget* CEditConfigSheet::AddPage(unsigned titleId, unsigned descriptionId, const char* anchor)
{
    auto* page = new QWidget(m_tabs);
    page->setObjectName(QString::fromLatin1(anchor));
    auto* layout = new QVBoxLayout(page);
    auto* description = new QLabel(ResourceString(descriptionId), page);
    description->setWordWrap(true);
    layout->addWidget(description);
    m_tabs->addTab(page, ResourceString(titleId));
    m_pages.push_back(page);
    m_anchors.push_back(QString::fromLatin1(anchor));
    return page;
}

CSettingEditor* CEditConfigSheet::AddEditor(SettingId id, unsigned labelId, QWidget* page)
{
    auto* editor = new CSettingEditor(id, ResourceString(labelId), page);
    connect(editor, &CSettingEditor::Edited, this, &CEditConfigSheet::OnEdited);
    m_editors[id] = editor;
    return editor;
}

void CEditConfigSheet::BuildBandPage(unsigned titleId, unsigned descriptionId, const char* anchor,
    std::initializer_list<std::pair<SettingId, unsigned>> columns)
{
    QWidget* page = AddPage(titleId, descriptionId, anchor);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(ResourceString(IDS_SETTINGS_COL_BAND)), page), 0, 0);
    for (int band = 0; band < kBandCount; ++band)
        grid->addWidget(new QLabel(SettingsTable::BandName(band), page), band + 1, 0);
    int column = 1;
    for (const auto& [id, headerId] : columns) {
        auto* header = new QLabel(QStringLiteral("<b>%1</b>").arg(ResourceString(headerId)), page);
        grid->addWidget(header, 0, column);
        // A check box per band needs no text of its own: the column says what it is.
        CSettingEditor* editor = AddEditor(id, 0, page);
        editor->SetCaption(ResourceString(headerId));
        for (int band = 0; band < kBandCount; ++band)
            grid->addWidget(editor->Control(band), band + 1, column);
        ++column;
    }
    grid->setColumnStretch(column, 1);
    grid->setHorizontalSpacing(18);
    auto* layout = static_cast<QVBoxLayout*>(page->layout());
    layout->addLayout(grid);
    for (const auto& column : columns) {
        if (QLabel* message = m_editors[column.first]->Message())
            layout->addWidget(message);
    }
    if (columns.begin()->first == SettingId::AntennaEnable) {
        // What the amplifier's digits mean, beside the digits themselves.
        auto meanings = [](unsigned columnId, unsigned first) {
            return FormatResource(IDS_SETTINGS_ANT_LEGEND, ResourceString(columnId), ResourceString(first),
                ResourceString(first + 1), ResourceString(first + 2));
        };
        auto* legend = new QLabel(meanings(IDS_SETTINGS_COL_ENABLE, IDS_SETTINGS_ANT_ENABLE_0) + QLatin1Char('\n')
                + meanings(IDS_SETTINGS_COL_PREFERRED, IDS_SETTINGS_ANT_PREFERRED_0),
            page);
        legend->setObjectName(QStringLiteral("antennaLegend"));
        legend->setWordWrap(true);
        layout->addWidget(legend);
    }
    layout->addStretch(1);
}

void CEditConfigSheet::BuildSinglePage(unsigned titleId, unsigned descriptionId, const char* anchor,
    std::initializer_list<std::pair<SettingId, unsigned>> rows)
{
    QWidget* page = AddPage(titleId, descriptionId, anchor);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    for (const auto& [id, labelId] : rows) {
        CSettingEditor* editor = AddEditor(id, labelId, page);
        if (editor->Info().kind == SettingKind::Flag) {
            form->addRow(editor->Control());
        } else {
            form->addRow(ResourceString(labelId), editor->Control());
            if (editor->Message())
                form->addRow(QString(), editor->Message());
        }
    }
    auto* layout = static_cast<QVBoxLayout*>(page->layout());
    layout->addLayout(form);
    layout->addStretch(1);
}

// --- running the sequence --------------------------------------------------------------------

void CEditConfigSheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_begun) {
        m_begun = true;
        QTimer::singleShot(0, this, &CEditConfigSheet::ReadAgain);
    }
}

void CEditConfigSheet::ReadAgain()
{
    if (IsBusy())
        return;
    // What the amplifier holds replaces edits that were not applied.
    SettingsModel::DiscardPending(*m_model);
    m_read = false;
    StartMachine(Running::Read);
}

bool CEditConfigSheet::StartMachine(Running what)
{
    if (!m_machine) {
        m_machine = m_model->CreateMachine<CEditConfigStateMachine>();
        if (!m_machine) {
            SetStatus(ResourceString(IDS_SETTINGS_BUSY));
            UpdateControls();
            return false;
        }
    }
    m_running = what;
    SetStatus(ResourceString(what == Running::Read ? IDS_SETTINGS_READING : IDS_SETTINGS_WRITING));
    m_progress->setValue(0);
    m_progress->show();
    UpdateControls();
    if (what == Running::Read ? !m_machine->StartRead() : !m_machine->StartWrite()) {
        m_running = Running::None;
        m_progress->hide();
        SetStatus(ResourceString(IDS_SETTINGS_BUSY));
        UpdateControls();
        return false;
    }
    return true;
}

void CEditConfigSheet::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)extra;
    if (eventId == m_model->m_progressRange.EventId()) {
        m_progress->setRange(0, static_cast<int>(m_model->m_progressRange.m_value));
    } else if (eventId == m_model->m_progressPosition.EventId()) {
        m_progress->setValue(static_cast<int>(m_model->m_progressPosition.m_value));
    } else if (eventId == m_model->m_completion.EventId() && IsBusy()) {
        OnCompletion(static_cast<DWORD>(index));
    }
}

void CEditConfigSheet::OnCompletion(DWORD result)
{
    const Running finished = m_running;
    m_running = Running::None;
    m_progress->hide();
    if (finished == Running::Read) {
        m_read = result == 0;
        if (m_read) {
            for (int i = 0; i < kSettingCount; ++i)
                m_answered.set(static_cast<std::size_t>(i), m_machine->WasAnswered(static_cast<SettingId>(i)));
        }
    }
    if (m_closeWhenIdle) {
        // The user closed the sheet while the sequence ran; it has stopped now.
        SettingsModel::DiscardPending(*m_model);
        QDialog::reject();
        return;
    }
    ShowValues();
    if (result == 0) {
        SetStatus(ResourceString(finished == Running::Read ? IDS_SETTINGS_READ : IDS_SETTINGS_WRITTEN));
        UpdateControls();
        if (finished == Running::Write && m_closeAfterWrite)
            accept();
        return;
    }
    m_closeAfterWrite = false;
    SetStatus(ResourceString(finished == Running::Read ? IDS_SETTINGS_READ_FAILED : IDS_SETTINGS_WRITE_FAILED));
    UpdateControls();
    if (result == Result::SettingNotTaken) {
        QStringList names;
        for (SettingId id : m_machine->NotTaken())
            names << QString::fromLatin1(SettingsTable::Info(id).name);
        ShowError(GetErrorText(result) + QStringLiteral("\n\n")
            + FormatResource(IDS_SETTINGS_NOT_TAKEN, names.join(QStringLiteral(", "))));
    } else if (result != Result::Cancelled) {
        ShowError(ErrorCodeLine(result));
    }
}

bool CEditConfigSheet::Apply()
{
    if (IsBusy() || !m_read || !m_model->HasUnsavedChanges())
        return false;
    if (ShowRefusedValue())
        return false;
    return StartMachine(Running::Write);
}

void CEditConfigSheet::ApplyAndClose()
{
    // Set first: a write that cannot even begin ends before Apply returns.
    m_closeAfterWrite = true;
    if (!Apply())
        m_closeAfterWrite = false;
}

void CEditConfigSheet::reject()
{
    if (IsBusy()) {
        // The sequence stops at its next send; the sheet closes when it has.
        m_closeWhenIdle = true;
        m_machine->Cancel();
        return;
    }
    if (m_read && m_model->HasUnsavedChanges()) {
        if (m_prompt
            && m_prompt->AskYesNo(IUserPrompt::Icon::Question, windowTitle(), ResourceString(IDS_SETTINGS_UNAPPLIED))) {
            ApplyAndClose();
            return;
        }
    }
    SettingsModel::DiscardPending(*m_model);
    QDialog::reject();
}

// --- profiles --------------------------------------------------------------------------------

void CEditConfigSheet::Export()
{
    if (IsBusy() || !m_read || ShowRefusedValue())
        return;
    const QString path
        = m_saveChooser(this, ResourceString(IDS_SETTINGS_EXPORT_CAPTION), ResourceString(IDS_SETTINGS_FILE_FILTER));
    if (path.isEmpty())
        return;
    SettingsProfile::Values values;
    for (const SettingInfo& info : SettingsTable::All())
        if (m_answered.test(static_cast<std::size_t>(info.id)))
            values.emplace_back(info.id, SettingsModel::Pending(*m_model, info.id));
    QString message;
    if (SettingsProfile::Save(path, values, &message) != 0) {
        ShowError(message);
        return;
    }
    SetStatus(FormatResource(IDS_SETTINGS_EXPORTED, QDir::toNativeSeparators(path)));
}

void CEditConfigSheet::Import()
{
    if (IsBusy() || !m_read)
        return;
    const QString path
        = m_openChooser(this, ResourceString(IDS_SETTINGS_IMPORT_CAPTION), ResourceString(IDS_SETTINGS_FILE_FILTER));
    if (path.isEmpty())
        return;
    SettingsProfile::Values values;
    QString message;
    if (SettingsProfile::Load(path, &values, &message) != 0) {
        ShowError(message);
        return;
    }
    for (const auto& [id, value] : values)
        SettingsModel::SetPending(*m_model, id, value);
    ShowValues();
    SetStatus(FormatResource(IDS_SETTINGS_IMPORTED, QDir::toNativeSeparators(path)));
    UpdateControls();
}

// --- controls --------------------------------------------------------------------------------

void CEditConfigSheet::ShowValues()
{
    for (const auto& [id, editor] : m_editors) {
        editor->Show(SettingsModel::Pending(*m_model, id));
        editor->MarkChanges(SettingsModel::Current(*m_model, id));
    }
    m_refusal = nullptr;
}

void CEditConfigSheet::OnEdited(SettingId id)
{
    CSettingEditor* editor = m_editors[id];
    SettingsModel::SetPending(*m_model, id, editor->Value());
    editor->MarkChanges(SettingsModel::Current(*m_model, id));
    // The refusal said for this field goes once the field is edited again.
    if (m_refusal == editor) {
        m_refusal = nullptr;
        m_status->clear();
    }
    UpdateControls();
}

bool CEditConfigSheet::ShowRefusedValue()
{
    SettingId id {};
    QString reason;
    if (!SettingsText::FindRefusedPending(*m_model, &id, &reason))
        return false;
    CSettingEditor* editor = m_editors[id];
    for (std::size_t page = 0; page < m_pages.size(); ++page)
        if (m_pages[page]->isAncestorOf(editor->Control()))
            m_tabs->setCurrentIndex(static_cast<int>(page));
    editor->SetMessage(reason);
    editor->Control()->setFocus();
    SetStatus(FormatResource(IDS_SETTINGS_CHECK_FIELD, editor->Caption(), reason));
    m_refusal = editor;
    return true;
}

void CEditConfigSheet::UpdateControls()
{
    const bool editable = m_read && !IsBusy();
    for (QWidget* page : m_pages)
        page->setEnabled(editable);
    const bool changed = editable && m_model->HasUnsavedChanges();
    m_apply->setEnabled(changed);
    m_changedLegend->setVisible(changed);
    m_ok->setEnabled(editable);
    m_export->setEnabled(editable);
    m_import->setEnabled(editable);
    m_readAgain->setEnabled(!IsBusy());
    // The address fields are the network's own while DHCP is on.
    const bool dhcp = m_model->m_networkDhcp.m_pending != 0;
    for (SettingId id : {SettingId::NetIp, SettingId::NetMask, SettingId::NetGateway})
        m_editors[id]->Control()->setEnabled(!dhcp);
}

void CEditConfigSheet::SetStatus(const QString& text)
{
    m_status->setText(text);
    m_model->Status(text);
}

void CEditConfigSheet::ShowError(const QString& text)
{
    if (m_prompt)
        m_prompt->ShowMessage(IUserPrompt::Icon::Error, ResourceString(IDS_SETTINGS_ERROR_CAPTION), text);
}
