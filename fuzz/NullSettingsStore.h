#pragma once
#include "model/SettingsStore.h"

// A settings store that holds nothing and takes nothing: fuzz targets need a model, never the
// user's settings.
class CNullSettingsStore : public ISettingsStore {
public:
    bool IsOpen() const override { return false; }
    DWORD ReadDword(const QString&, DWORD*) override { return 2; }
    DWORD ReadString(const QString&, QString*) override { return 2; }
    DWORD WriteDword(const QString&, DWORD) override { return 5; }
    DWORD WriteString(const QString&, const QString&) override { return 5; }
};
