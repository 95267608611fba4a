#include "maintenance/FaultTableStateMachine.h"
#include "maintenance/FaultEntry.h"
#include "maintenance/MaintenanceEnd.h"

CFaultTableStateMachine::CFaultTableStateMachine(CModel* model, WORD* index, BYTE* entry)
    : CStateHost(model, kTimerId)
    , m_index(index)
    , m_determineSpeedState(this, "DetermineSpeedState", &m_queryIState, Result::NoResponseAfterReset)
    , m_queryIState(this, "QueryIState", &m_readIndexState, Result::BootLoaderNoFaultLog)
    , m_readIndexState(this, "ReadIndexState", &m_finalState, kReadTimeout, Result::NoReadBlockResponse,
          FaultLog::kIndexAddress, index)
    , m_readEntryState(this, "ReadEntryState", &m_finalState, kReadTimeout, Result::NoReadBlockResponse,
          FaultLog::kEntryBase, FaultLog::kEntrySize, entry)
{
}

bool CFaultTableStateMachine::StartReadIndex()
{
    return StartAt(&m_determineSpeedState, true);
}

bool CFaultTableStateMachine::StartReadEntry()
{
    if (*m_index >= FaultLog::kSlots || !IsIdle())
        return false;
    m_readEntryState.m_startAddress = FaultLog::EntryAddress(*m_index);
    return StartAt(&m_readEntryState, true);
}

void CFaultTableStateMachine::OnFinalState()
{
    m_status = Maintenance::StatusAfter(m_result, m_status, Result::BootLoaderNoFaultLog);
    m_model->PublishFirmwareStatus(m_status);
    m_model->NotifyCompletion(m_result);
}
