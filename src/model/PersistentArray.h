#pragma once
#include "model/ObservableArray.h"
#include "model/PersistentValue.h"

// An array of persistent values stored under numbered names ("CommandCaption1" ...).
template <class T, std::size_t N>
class CPersistentArray : public CObservableArray<T, N>, public IPersistentValue {
public:
    CPersistentArray(std::uint32_t eventId, const QString& nameFormat, unsigned firstNumber)
        : CObservableArray<T, N>(eventId), m_saved{}, m_nameFormat(nameFormat), m_firstNumber(firstNumber)
    {
    }

    QString NameOf(unsigned index) const { return m_nameFormat.arg(index + m_firstNumber); }

    // Answers the status of the last element, as each element loads on its own.
    DWORD Load(ISettingsStore& store) override
    {
        DWORD status = 0;
        for (unsigned i = 0; i < N; ++i) {
            T read{};
            status = PersistentDetail::Read(store, NameOf(i), &read);
            if (status == 0) {
                m_saved[i] = read;
                this->m_values[i] = read;
            } else {
                this->m_values[i] = m_saved[i];
            }
        }
        return status;
    }

    DWORD Save(ISettingsStore& store) override
    {
        DWORD result = 0;
        for (unsigned i = 0; i < N; ++i) {
            if (this->m_values[i] == m_saved[i])
                continue;
            const DWORD status = PersistentDetail::Write(store, NameOf(i), this->m_values[i]);
            if (status == 0)
                m_saved[i] = this->m_values[i];
            else
                result = status;
        }
        return result;
    }

    std::array<T, N> m_saved;

private:
    QString m_nameFormat;  // with one %1 for the number
    unsigned m_firstNumber;
};
