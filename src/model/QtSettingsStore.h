#pragma once
#include "model/SettingsStore.h"
#include <QSettings>
#include <memory>

// The settings store of the program: QSettings in the platform's native format under
// organisation "Brimwell", application "QRO4000 Utility" (on Windows that is the registry key
// HKCU\Software\Brimwell\QRO4000 Utility; on Linux ~/.config/Brimwell/QRO4000 Utility.conf).
class CQtSettingsStore : public ISettingsStore {
public:
    CQtSettingsStore();
    // A store in one given file (INI format); used by tools and tests.
    explicit CQtSettingsStore(const QString& iniFile);

    bool IsOpen() const override;
    DWORD ReadDword(const QString& name, DWORD* value) override;
    DWORD ReadString(const QString& name, QString* value) override;
    DWORD WriteDword(const QString& name, DWORD value) override;
    DWORD WriteString(const QString& name, const QString& value) override;

    QString FileName() const { return m_settings->fileName(); }

private:
    DWORD Commit();
    std::unique_ptr<QSettings> m_settings;
};
