#pragma once
#include "model/ObservableValue.h"
#include "model/SettingsStore.h"
#include <type_traits>

// A value that loads itself from and saves itself to the settings store.
class IPersistentValue {
public:
    virtual DWORD Load(ISettingsStore& store) = 0;
    virtual DWORD Save(ISettingsStore& store) = 0;

protected:
    ~IPersistentValue() = default;
};

namespace PersistentDetail {
inline DWORD Read(ISettingsStore& store, const QString& name, int* out)
{
    DWORD raw = 0;
    const DWORD status = store.ReadDword(name, &raw);
    if (status == 0)
        *out = static_cast<int>(raw);
    return status;
}
inline DWORD Read(ISettingsStore& store, const QString& name, DWORD* out) { return store.ReadDword(name, out); }
inline DWORD Read(ISettingsStore& store, const QString& name, QString* out) { return store.ReadString(name, out); }
inline DWORD Write(ISettingsStore& store, const QString& name, int v) { return store.WriteDword(name, static_cast<DWORD>(v)); }
inline DWORD Write(ISettingsStore& store, const QString& name, DWORD v) { return store.WriteDword(name, v); }
inline DWORD Write(ISettingsStore& store, const QString& name, const QString& v) { return store.WriteString(name, v); }
}  // namespace PersistentDetail

// The saved copy is what the store holds as far as the program knows: the value last read
// from or written to it, or the default until then. Save writes only a value that differs from
// it, so a save with no change writes nothing, and a failed write is tried again next time.
template <class T>
class CPersistentValue : public CObservableValue<T>, public IPersistentValue {
public:
    CPersistentValue(std::uint32_t eventId, const QString& name, const T& defaultValue)
        : CObservableValue<T>(eventId, defaultValue), m_saved(defaultValue), m_name(name)
    {
    }

    DWORD Load(ISettingsStore& store) override
    {
        if (m_name.isEmpty())
            return 0;
        T read{};
        const DWORD status = PersistentDetail::Read(store, m_name, &read);
        if (status != 0) {
            this->m_value = m_saved;
            return status;
        }
        m_saved = read;
        this->m_value = read;
        AfterLoad();
        return 0;
    }

    DWORD Save(ISettingsStore& store) override
    {
        if (m_name.isEmpty() || this->m_value == m_saved)
            return 0;
        const DWORD status = PersistentDetail::Write(store, m_name, this->m_value);
        if (status == 0)
            m_saved = this->m_value;
        return status;
    }

    const QString& Name() const { return m_name; }

    T m_saved;

protected:
    virtual void AfterLoad() {}
    QString m_name;
};
