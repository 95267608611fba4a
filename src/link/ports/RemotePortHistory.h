#pragma once
#include <QStringList>

class ISettingsStore;

// The serial device servers the user chose last ("rfc2217://station:3000" ...), newest first,
// so that the Port page can offer them again. Kept in the settings store as "RemotePort1" to
// "RemotePort5".
class CRemotePortHistory {
public:
    static constexpr int kSize = 5;
    explicit CRemotePortHistory(ISettingsStore& store)
        : m_store(store)
    {
    }

    QStringList Names() const;
    // Puts a well-formed remote name first (moving it up when it is there already); any other
    // name is not remembered.
    void Remember(const QString& name);

private:
    ISettingsStore& m_store;
};
