#pragma once
#include "firmware/IntelHexReader.h"
#include "model/Types.h"
#include <QString>
#include <memory>

// A flat memory image of one address window of the amplifier's microcontroller, read from an
// Intel HEX file. Every byte the file does not give holds the fill pattern (erased flash), and
// the loader takes the image in fixed-size blocks up to the last block that holds data.
class CFirmwareImage {
public:
    // The window and block size the boot loader works with: 0x1D000000 up to (not including)
    // 0x1D07FFFF, 512-byte packets, erased flash reads 0xFF.
    static constexpr DWORD kLoaderLow = 0x1D000000;
    static constexpr DWORD kLoaderHigh = 0x1D07FFFF;
    static constexpr DWORD kLoaderBlockSize = 0x200;
    static constexpr DWORD kLoaderFill = 0xFFFFFFFF;

    CFirmwareImage() = default;
    CFirmwareImage(const CFirmwareImage&) = delete;
    CFirmwareImage& operator=(const CFirmwareImage&) = delete;

    // Forgets the last load: no buffer, no name, the fields of a new image.
    void Reset();
    // Reads the file into a fresh buffer covering low .. high (high exclusive). False when the
    // file cannot be read or does not parse; LastError() and ErrorLine() then say why and
    // where, and the image must not be sent.
    bool Load(const QString& fileName, DWORD low, DWORD high, DWORD blockSize, DWORD fill);
    // Loads with the boot loader's window, and refuses (0xE2000077) a file that has no data
    // byte inside it: loading it would erase the program flash and program nothing, leaving
    // the amplifier without an application.
    bool LoadForLoader(const QString& fileName);

    // The end of the data worth sending: past the last word that differs from the fill word
    // (the first word always counts), rounded up to a whole block. Computed once per load.
    const BYTE* UsedEnd();
    DWORD UsedLength() { return Buffer() ? static_cast<DWORD>(UsedEnd() - Buffer()) : 0; }
    // The byte of address in the buffer; nullptr without a buffer or outside the window.
    const BYTE* BlockAt(DWORD address) const;

    const BYTE* Buffer() const { return m_buffer.get(); }
    BYTE* Buffer() { return m_buffer.get(); }
    DWORD Size() const { return m_size; }
    DWORD Capacity() const { return m_capacity; }
    DWORD BlockSize() const { return m_blockSize; }
    DWORD Fill() const { return m_fill; }
    DWORD Low() const { return m_low; }
    DWORD High() const { return m_high; }
    bool IsLoaded() const { return m_loaded; }
    const QString& FileName() const { return m_fileName; }
    DWORD ErrorLine() const { return m_errorLine; }
    DWORD LastError() const { return m_lastError; }
    // Why the last load failed, for the user: the file and the cause when the file was refused
    // or could not be read or held nothing to load, else the line and the code of the parse
    // error ("Line %u, error code 0x%08X: %s").
    QString ErrorText() const;
    const CIntelHexReader::Statistics& Stats() const { return m_stats; }

private:
    DWORD m_size = 0;
    DWORD m_capacity = 0;
    DWORD m_blockSize = 64;
    DWORD m_fill = 0;
    bool m_loaded = false;
    const BYTE* m_usedEnd = nullptr;
    std::unique_ptr<BYTE[]> m_buffer;
    DWORD m_high = 0xFFFFFFFF;
    DWORD m_low = 0;
    QString m_fileName;
    DWORD m_errorLine = 0;
    DWORD m_lastError = 0;
    QString m_errorMessage;
    CIntelHexReader::Statistics m_stats;
};
