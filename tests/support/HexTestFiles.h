#pragma once
// Writing HEX texts to temporary files for the reader and image tests.
#include "TestFiles.h"
#include "model/Types.h"
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <vector>

class CHexTestFiles {
public:
    QString Write(const QString& name, const QByteArray& text)
    {
        WriteWholeFile(m_dir.filePath(name), text);
        return m_dir.filePath(name);
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // One record with its checksum computed here; the hand-written vectors in the tests carry
    // checksums worked out by hand and do not use this.
    static QByteArray Record(BYTE type, WORD address, const std::vector<BYTE>& data)
    {
        BYTE sum = static_cast<BYTE>(data.size() + (address >> 8) + (address & 0xFF) + type);
        QByteArray line = QByteArray(":") + Hex(static_cast<BYTE>(data.size())) + Hex(static_cast<BYTE>(address >> 8))
            + Hex(static_cast<BYTE>(address)) + Hex(type);
        for (BYTE b : data) {
            line += Hex(b);
            sum = static_cast<BYTE>(sum + b);
        }
        return line + Hex(static_cast<BYTE>(-sum)) + "\r\n";
    }
    static QByteArray Hex(BYTE b) { return QByteArray::number(b, 16).rightJustified(2, '0').toUpper(); }

private:
    QTemporaryDir m_dir;
};
