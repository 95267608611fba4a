#pragma once
#include "maintenance/FaultEntry.h"
#include "model/EventSink.h"
#include "model/Model.h"
#include <functional>

class CFaultTableStateMachine;

// Reads the whole fault log through the fault table machine, as the dialog and the command line
// both do: the index, then every slot once, from the stored index downwards with wrap-around
// (index 5 reads 5, 4, ..., 0, 1023, ..., 6), so the newest entry comes first. Empty slots
// (code 0xFF) are skipped. Each completion of the machine starts the next read, so a full log
// is 1025 exchanges. Progress runs over the bytes read: 2 + 1024 x 32.
class CFaultTableReader : public IEventSink {
public:
    static constexpr DWORD kProgressRange = 2 + FaultLog::kSlots * FaultLog::kEntrySize;

    using EntryHandler = std::function<void(unsigned slot, const CFaultEntry& entry)>;
    // The end: 0 after the last slot, 1223 when cancelled, 0xE20000A0 for an index of 1024 or
    // more (StoredIndex() then tells it), or the machine's failure.
    using EndHandler = std::function<void(DWORD result)>;

    CFaultTableReader(CModel& model, EntryHandler onEntry, EndHandler onEnd);
    ~CFaultTableReader();
    CFaultTableReader(const CFaultTableReader&) = delete;
    CFaultTableReader& operator=(const CFaultTableReader&) = delete;

    // Creates the machine and starts with the index. False (and nothing sent) while another
    // conversation holds the amplifier.
    bool Start();
    // Stops at the next send; the end then reports 1223. False when nothing runs.
    bool Cancel();
    // Releases the machine; nothing more is reported.
    void Stop();

    bool IsRunning() const { return m_running; }
    IStateMachine* Machine() const;
    unsigned SlotsRead() const { return m_slotsRead; }
    unsigned EntriesFound() const { return m_entriesFound; }
    // The index as the amplifier stored it (valid once the index has been read).
    WORD StoredIndex() const { return m_stopSlot; }

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

private:
    void End(DWORD result);

    CModel& m_model;
    EntryHandler m_onEntry;
    EndHandler m_onEnd;
    CFaultTableStateMachine* m_machine = nullptr;
    WORD m_index = 0;
    WORD m_stopSlot = 0;
    bool m_started = false;
    bool m_running = false;
    unsigned m_slotsRead = 0;
    unsigned m_entriesFound = 0;
    BYTE m_entry[FaultLog::kEntrySize] = {};
};
