#include "model/QtSettingsStore.h"
#include "model/ResultCode.h"

namespace {
// The longest string value the program accepts from the store.
constexpr qsizetype kMaxStringLength = 0x200000;
}

CQtSettingsStore::CQtSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Brimwell", "QRO4000 Utility"))
{
}

CQtSettingsStore::CQtSettingsStore(const QString& iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

bool CQtSettingsStore::IsOpen() const
{
    return m_settings->status() != QSettings::FormatError;
}

DWORD CQtSettingsStore::ReadDword(const QString& name, DWORD* value)
{
    const QVariant v = m_settings->value(name);
    if (!v.isValid())
        return Result::FileNotFound;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        if (!ok || n < -0x80000000LL || n > 0xFFFFFFFFLL)
            return Result::InvalidData;
        *value = static_cast<DWORD>(n);
        return 0;
    }
    case QMetaType::QString: {
        // Text-based stores keep numbers as decimal text; anything else is not a number.
        const QString text = v.toString().trimmed();
        bool ok = false;
        const qulonglong n = text.toULongLong(&ok, 10);
        if (ok && n <= 0xFFFFFFFFULL && !text.startsWith('+')) {
            *value = static_cast<DWORD>(n);
            return 0;
        }
        const qlonglong s = text.toLongLong(&ok, 10);
        if (ok && s < 0 && s >= -0x80000000LL) {
            *value = static_cast<DWORD>(static_cast<std::int32_t>(s));
            return 0;
        }
        return Result::InvalidData;
    }
    default:
        return Result::InvalidData;
    }
}

DWORD CQtSettingsStore::ReadString(const QString& name, QString* value)
{
    const QVariant v = m_settings->value(name);
    if (!v.isValid())
        return Result::FileNotFound;
    if (v.typeId() != QMetaType::QString)
        return Result::InvalidData;
    QString text = v.toString();
    if (text.size() > kMaxStringLength)
        return Result::InvalidData;
    *value = text;
    return 0;
}

DWORD CQtSettingsStore::WriteDword(const QString& name, DWORD value)
{
    m_settings->setValue(name, static_cast<uint>(value));
    return Commit();
}

DWORD CQtSettingsStore::WriteString(const QString& name, const QString& value)
{
    m_settings->setValue(name, value);
    return Commit();
}

DWORD CQtSettingsStore::Commit()
{
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return 0;
    // The value stays in QSettings' memory; forget it so that a later read shows what is stored.
    return Result::AccessDenied;
}
