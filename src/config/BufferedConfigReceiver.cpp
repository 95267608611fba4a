#include "config/BufferedConfigReceiver.h"

void CBufferedConfigReceiver::StoreBlock(DWORD address, DWORD count, const BYTE* data)
{
    m_items.push_back({Kind::Block, address, static_cast<DWORD>(m_data.size()), count});
    m_data.append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
}

void CBufferedConfigReceiver::StoreByte(WORD address, BYTE value)
{
    m_items.push_back({Kind::Byte, address, 0, value});
}

void CBufferedConfigReceiver::SetSerialMismatch(bool mismatch)
{
    m_items.push_back({Kind::Verdict, 0, 0, mismatch ? 1u : 0u});
}

void CBufferedConfigReceiver::Replay(IConfigReceiver& target) const
{
    const auto* bytes = reinterpret_cast<const BYTE*>(m_data.constData());
    for (const CItem& item : m_items) {
        switch (item.kind) {
        case Kind::Block:
            target.StoreBlock(item.address, item.count, bytes + item.offset);
            break;
        case Kind::Byte:
            target.StoreByte(static_cast<WORD>(item.address), static_cast<BYTE>(item.count));
            break;
        case Kind::Verdict:
            target.SetSerialMismatch(item.count != 0);
            break;
        }
    }
}
