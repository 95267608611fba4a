#include "cli/ConfigCommonCommand.h"
#include "config/ConfigImage.h"
#include "config/ConfigSaveCompletion.h"
#include "config/ConfigSaveStateMachine.h"
#include "config/ConfigStringIds.h"
#include "config/ConfigBackup.h"
#include "model/FileChecks.h"
#include "model/StringTable.h"
#include <QDateTime>

namespace ConfigCli {
CProgressBar::CProgressBar(CCliContext& context, const QString& label, const IStateMachine& machine)
    : m_context(context)
    , m_label(label)
    , m_machine(machine)
{
    m_context.Model().m_progressPosition.AddObserver(this);
    m_context.Model().m_progressRange.AddObserver(this);
}

CProgressBar::~CProgressBar()
{
    m_context.Model().m_progressPosition.RemoveObserver(this);
    m_context.Model().m_progressRange.RemoveObserver(this);
    m_context.EndProgress();
}

void CProgressBar::OnEvent(std::uint32_t, std::uintptr_t, std::intptr_t)
{
    const CModel& model = m_context.Model();
    m_context.ShowProgress(
        m_label, model.m_progressPosition.m_value, model.m_progressRange.m_value, m_machine.RetryCount());
}

DWORD SaveBackup(CCliContext& context, QString* fileName, QString* message)
{
    CModel& model = context.Model();
    const QDateTime timeStamp = QDateTime::currentDateTime();
    *fileName = ConfigBackup::FileName(model, timeStamp);
    message->clear();
    // A place that cannot take the file fails before a minute of reading.
    if (const DWORD refused = FileChecks::CheckSaveDestination(*fileName, message); refused != 0)
        return refused;
    auto* save = model.CreateMachine<CConfigSaveStateMachine>();
    if (!save)
        return Result::IoPending;
    DWORD result = 0;
    {
        CProgressBar bar(context, ResourceString(IDS_CONFIG_SAVING), *save);
        result = save->Start() ? context.RunUntilIdle(*save) : Result::IoPending;
    }
    result = CompleteConfigSave(model, *save, result, *fileName, timeStamp, message);
    save->Release();
    return result;
}

DWORD ReadAmplifier(CCliContext& context, CConfigImage& image, const QString& label)
{
    auto* machine = context.Model().CreateMachine<CConfigSaveStateMachine>();
    if (!machine)
        return Result::IoPending;
    DWORD result = 0;
    {
        CProgressBar bar(context, label, *machine);
        machine->Start();
        result = context.RunUntilIdle(*machine);
    }
    if (result == 0)
        image.Assign(machine->GetData(0), machine->GetTotalSize());
    machine->Release();
    return result;
}
} // namespace ConfigCli
