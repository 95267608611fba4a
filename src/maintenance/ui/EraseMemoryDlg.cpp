#include "maintenance/ui/EraseMemoryDlg.h"
#include "maintenance/AtuBands.h"
#include "maintenance/EraseConfigStateMachine.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringIds.h"
#include "model/StringTable.h"
#include "ui/DialogWaitCursor.h"
#include "ui/ErrorBox.h"
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CEraseMemoryDlg::CEraseMemoryDlg(CModel* model, IUserPrompt* prompt, QWidget* parent)
    : QDialog(parent)
    , m_model(model)
    , m_prompt(prompt)
    , m_backup(model, prompt)
{
    setObjectName(QStringLiteral("EraseMemoryDlg"));
    setWindowTitle(ResourceString(IDS_ERASE_CAPTION));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ResourceString(IDS_ERASE_TEXT), this));

    auto* group = new QGroupBox(ResourceString(IDS_ERASE_BAND_GROUP), this);
    auto* grid = new QGridLayout(group);
    m_bands = new QButtonGroup(this);
    for (int band = 0; band <= AtuBands::kAll; ++band) {
        const QString text = band == AtuBands::kAll ? ResourceString(IDS_ERASE_ALL) : AtuBands::Metres(band);
        auto* radio = new QRadioButton(text, group);
        radio->setObjectName(QStringLiteral("band%1").arg(band));
        m_bands->addButton(radio, band);
        grid->addWidget(radio, band / 6, band % 6);
    }
    layout->addWidget(group);

    m_antenna1 = new QPushButton(ResourceString(IDS_ERASE_ANTENNA_1), this);
    m_antenna1->setObjectName(QStringLiteral("antenna1"));
    m_antenna2 = new QPushButton(ResourceString(IDS_ERASE_ANTENNA_2), this);
    m_antenna2->setObjectName(QStringLiteral("antenna2"));
    m_close = new QPushButton(ResourceString(IDS_CLOSE), this);
    m_close->setObjectName(QStringLiteral("close"));
    // Enter closes; an erase always takes a click on an antenna.
    m_close->setDefault(true);
    for (QPushButton* b : {m_antenna1, m_antenna2})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_antenna1);
    buttons->addWidget(m_antenna2);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    setMinimumWidth(420);

    connect(m_bands, &QButtonGroup::idClicked, this, [this](int band) { m_model->m_band.Set(CModel::Band(band)); });
    connect(m_antenna1, &QPushButton::clicked, this, [this] { Erase(1); });
    connect(m_antenna2, &QPushButton::clicked, this, [this] { Erase(2); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
}

CEraseMemoryDlg::~CEraseMemoryDlg()
{
    Observe(false);
    if (m_machine)
        m_machine->Release();
}

void CEraseMemoryDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_machine)
        EnsureMachine();
    Observe(true);
    ShowBand();
}

void CEraseMemoryDlg::Observe(bool on)
{
    if (on == m_observing)
        return;
    m_observing = on;
    if (on) {
        m_model->m_band.AddObserver(this);
        m_model->m_completion.AddObserver(this);
    } else {
        m_model->m_band.RemoveObserver(this);
        m_model->m_completion.RemoveObserver(this);
    }
}

bool CEraseMemoryDlg::EnsureMachine()
{
    if (!m_machine)
        m_machine = m_model->CreateMachine<CEraseConfigStateMachine>();
    return m_machine != nullptr;
}

void CEraseMemoryDlg::ShowBand()
{
    const int band = m_model->m_band.m_value;
    if (band >= 0 && band <= AtuBands::kAll)
        if (QAbstractButton* radio = m_bands->button(band))
            radio->setChecked(true);
}

bool CEraseMemoryDlg::Erase(int antenna)
{
    if (m_inProgress != 0)
        return false;
    const int band = m_model->m_band.m_value;
    const QString bandText = AtuBands::Description(band);
    if (m_prompt
        && !m_prompt->AskYesNo(IUserPrompt::Icon::Warning, ResourceString(IDS_ERASE_CAPTION),
            FormatResource(IDS_ERASE_CONFIRM, bandText, unsigned(antenna)))) {
        m_status->setText(ResourceString(IDS_ERASE_NOT_CONFIRMED));
        return false;
    }
    if (!m_backup.WasOffered()) {
        // The backup's save takes the amplifier for its own machine; the erase gets a new one.
        if (m_machine) {
            m_machine->Release();
            m_machine = nullptr;
        }
        if (!m_backup.Offer(this, IDS_BACKUP_OPERATION_ERASE)) {
            m_status->setText(ResourceString(IDS_ERASE_NOT_CONFIRMED));
            return false;
        }
    }
    if (!EnsureMachine()) {
        PopupError(*m_model, m_prompt, IDS_ERASE_ERROR_CAPTION, ResourceString(IDS_MAINT_BUSY));
        return false;
    }
    m_model->m_antenna.Set(static_cast<BYTE>(antenna));
    if (!m_machine->StartEraseMemory())
        return false;
    ++m_inProgress;
    m_erasingBand = band;
    m_erasingAntenna = antenna;
    m_antenna1->setEnabled(false);
    m_antenna2->setEnabled(false);
    m_status->setText(FormatResource(IDS_ERASE_RUNNING, bandText, unsigned(antenna)));
    BeginWait();
    return true;
}

void CEraseMemoryDlg::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)extra;
    if (eventId == m_model->m_band.EventId()) {
        ShowBand();
        return;
    }
    if (eventId != m_model->m_completion.EventId() || m_inProgress == 0)
        return;
    --m_inProgress;
    EndWait();
    m_antenna1->setEnabled(true);
    m_antenna2->setEnabled(true);
    m_lastResult = static_cast<DWORD>(index);
    const QString bandText = AtuBands::Description(m_erasingBand);
    const auto antenna = static_cast<unsigned>(m_erasingAntenna);
    if (m_lastResult == 0) {
        const QString done = FormatResource(IDS_ERASE_DONE, bandText, antenna);
        m_status->setText(done);
        m_model->Status(done);
        return;
    }
    // The amplifier's memories may be half erased: the user must know this erase did not end.
    const QString failed
        = FormatResource(IDS_ERASE_FAILED, bandText, antenna, m_lastResult, GetErrorText(m_lastResult));
    m_status->setText(failed);
    m_model->Status(failed);
    if (m_lastResult != Result::Cancelled)
        ShowErrorBox(m_prompt, m_lastResult, IDS_ERASE_ERROR_CAPTION);
}

void CEraseMemoryDlg::ApplyWaitCursor(bool wait)
{
    ApplyDialogWaitCursor(this, m_close, wait);
}
