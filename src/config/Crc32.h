#pragma once
#include "model/Types.h"
#include <cstddef>

// The running CRC-32 of a configuration file: the standard reflected CRC-32 (polynomial
// 0xEDB88320) of every byte fed so far, starting from 0. A file feeds the text of each line
// without its terminator; the "CRC32" line carries the raw register, that is NOT Value().
class CCrc32 {
public:
    void Update(const void* data, std::size_t size) { m_value = Update(m_value, data, size); }
    DWORD Value() const { return m_value; }
    DWORD Register() const { return ~m_value; }
    void Reset() { m_value = 0; }

    // The CRC-32 of the bytes fed after `value`, the CRC-32 of what came before them.
    static DWORD Update(DWORD value, const void* data, std::size_t size);

private:
    DWORD m_value = 0;
};
