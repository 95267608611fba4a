#pragma once
#include "config/ConfigReceiver.h"
#include <QByteArray>
#include <vector>

// Holds what the reader delivers, in order, until the whole file has been accepted; only then
// is it handed on. A receiver that writes to the amplifier never sees a record of a file that
// turns out to be damaged further down.
class CBufferedConfigReceiver : public IConfigReceiver {
public:
    void StoreBlock(DWORD address, DWORD count, const BYTE* data) override;
    void StoreByte(WORD address, BYTE value) override;
    void SetSerialMismatch(bool mismatch) override;

    // Hands everything on, in the order it came.
    void Replay(IConfigReceiver& target) const;

private:
    enum class Kind { Block, Byte, Verdict };
    struct CItem {
        Kind kind;
        DWORD address;
        DWORD offset; // into m_data
        DWORD count; // bytes; for a verdict 0 or 1
    };
    std::vector<CItem> m_items;
    QByteArray m_data;
};
