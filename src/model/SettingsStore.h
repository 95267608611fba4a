#pragma once
#include "model/Types.h"

// A per-user key-value store of 32-bit numbers and strings. Names may hold one "/" to reach a
// sub-key ("Window/left"). Every operation returns a status: 0 success, 2 the value is
// missing, 13 the value has the wrong type or invalid data, 5 the store cannot be written.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    virtual bool IsOpen() const = 0;
    virtual DWORD ReadDword(const QString& name, DWORD* value) = 0;
    virtual DWORD ReadString(const QString& name, QString* value) = 0;
    virtual DWORD WriteDword(const QString& name, DWORD value) = 0;
    virtual DWORD WriteString(const QString& name, const QString& value) = 0;
};
