#pragma once
#include "config/ConfigReceiver.h"
#include <QByteArray>
#include <vector>

// A whole configuration memory as a file holds it: the bytes, which of them the file gave, and
// the file's serial number verdict. Used where a file is checked or compared, not restored.
class CConfigImage : public IConfigReceiver {
public:
    CConfigImage();

    void StoreBlock(DWORD address, DWORD count, const BYTE* data) override;
    void StoreByte(WORD address, BYTE value) override;
    void SetSerialMismatch(bool mismatch) override { m_serialMismatch = mismatch; }

    // Takes the bytes of a memory read (the save sequence's image).
    void Assign(const BYTE* data, DWORD size);

    const QByteArray& Bytes() const { return m_bytes; }
    bool IsPresent(DWORD address) const { return address < m_present.size() && m_present[address] != 0; }
    DWORD PresentCount() const;
    // Bytes the file named outside the memory (dropped).
    DWORD OutsideCount() const { return m_outside; }
    bool SerialMismatch() const { return m_serialMismatch; }

private:
    QByteArray m_bytes;
    std::vector<BYTE> m_present;
    DWORD m_outside = 0;
    bool m_serialMismatch = false;
};
