#include "ConfigMachineTestSupport.h"
#include "link/EepromBlock.h"

QByteArray SimReadAnswer(CSimDevice& device, const QByteArray& command, DWORD addressDelta, int checkDelta)
{
    if (command.size() != 16)
        return {};
    bool ok1 = false, ok2 = false;
    const DWORD address = command.mid(3, 8).toUInt(&ok1, 16) + addressDelta;
    const DWORD count = command.mid(11, 2).toUInt(&ok2, 16);
    if (!ok1 || !ok2 || address + count > Eeprom::kSize)
        return {};
    const auto* data = reinterpret_cast<const BYTE*>(device.Eeprom().constData() + address);
    QByteArray answer = "^ER" + Eeprom::BuildWriteCommand(address, count, data).mid(3);
    if (checkDelta != 0) {
        const int check = answer.mid(answer.size() - 3, 2).toInt(nullptr, 16);
        answer.replace(
            answer.size() - 3, 2, QByteArray::number((check + checkDelta) & 0xFF, 16).toUpper().rightJustified(2, '0'));
    }
    return answer;
}

QList<QByteArray> Commands(const QByteArray& log)
{
    QList<QByteArray> out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < log.size(); ++i) {
        if (log[i] == ';') {
            out.append(log.mid(start, i + 1 - start));
            start = i + 1;
        }
    }
    return out;
}

QList<QByteArray> CommandsStartingWith(const QByteArray& log, const QByteArray& prefix)
{
    QList<QByteArray> out;
    for (const QByteArray& c : Commands(log))
        if (c.startsWith(prefix))
            out.append(c);
    return out;
}

CCompletionRecorder::CCompletionRecorder(CSimHarness& harness)
    : m_harness(harness)
{
    harness.model->m_completion.AddObserver(this);
}

CCompletionRecorder::~CCompletionRecorder()
{
    m_harness.model->m_completion.RemoveObserver(this);
}

void CCompletionRecorder::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t)
{
    if (eventId != 0x801D)
        return;
    results.append(static_cast<DWORD>(index));
    times.append(m_harness.host.Now());
}

CAnswerCorrupter::CAnswerCorrupter(CSimDevice& device, int every, std::uint32_t seed)
    : m_device(device)
    , m_every(every)
    , m_state(seed ? seed : 1)
{
    Rearm();
}

void CAnswerCorrupter::Rearm()
{
    if (m_device.GetFaults().corruptAnswerNumber != 0)
        return;
    // xorshift32: reproducible distances, on average `every`.
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    m_device.GetFaults().corruptAnswerNumber
        = 1 + static_cast<int>(m_state % static_cast<std::uint32_t>(2 * m_every - 1));
}

bool RunWithCorrupter(CSimHarness& harness, IStateMachine& machine, CAnswerCorrupter& corrupter, std::uint64_t limitMs)
{
    return harness.host.RunUntil(
        [&]() {
            corrupter.Rearm();
            return machine.IsIdle();
        },
        limitMs);
}
