#include "maintenance/FaultTableReader.h"
#include "maintenance/FaultTableStateMachine.h"
#include "model/ResultCode.h"

CFaultTableReader::CFaultTableReader(CModel& model, EntryHandler onEntry, EndHandler onEnd)
    : m_model(model)
    , m_onEntry(std::move(onEntry))
    , m_onEnd(std::move(onEnd))
{
}

CFaultTableReader::~CFaultTableReader()
{
    Stop();
}

IStateMachine* CFaultTableReader::Machine() const
{
    return m_machine;
}

bool CFaultTableReader::Start()
{
    Stop();
    m_machine = m_model.CreateMachine<CFaultTableStateMachine>(&m_index, m_entry);
    if (!m_machine)
        return false;
    m_index = 0;
    m_stopSlot = 0;
    m_started = false;
    m_slotsRead = 0;
    m_entriesFound = 0;
    m_model.m_progressPosition.Set(0);
    m_model.m_progressRange.Set(kProgressRange);
    m_model.m_completion.AddObserver(this);
    m_running = true;
    if (!m_machine->StartReadIndex()) {
        Stop();
        return false;
    }
    return true;
}

bool CFaultTableReader::Cancel()
{
    return m_running && m_machine && m_machine->Cancel();
}

void CFaultTableReader::Stop()
{
    m_running = false;
    m_model.m_completion.RemoveObserver(this);
    if (m_machine) {
        m_machine->Release();
        m_machine = nullptr;
    }
}

void CFaultTableReader::End(DWORD result)
{
    m_running = false;
    m_model.m_completion.RemoveObserver(this);
    if (m_onEnd)
        m_onEnd(result);
}

void CFaultTableReader::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)extra;
    if (eventId != m_model.m_completion.EventId() || !m_running)
        return;
    const auto result = static_cast<DWORD>(index);
    if (Result::Failed(result)) {
        End(result);
        return;
    }
    if (!m_started) {
        m_started = true;
        m_stopSlot = m_index;
    } else {
        ++m_slotsRead;
        const CFaultEntry entry = DecodeFaultEntry(m_entry);
        if (!entry.IsEmpty()) {
            ++m_entriesFound;
            if (m_onEntry)
                m_onEntry(m_index, entry);
        }
        m_index = static_cast<WORD>(FaultLog::PreviousSlot(m_index));
        if (m_index == m_stopSlot) {
            End(0);
            return;
        }
    }
    // An index the log cannot have would make the machine refuse every read: say so instead
    // of waiting for an entry that never comes.
    if (!m_machine->StartReadEntry())
        End(m_index >= FaultLog::kSlots ? Result::FaultLogIndexOutOfRange : Result::IoPending);
}
