#include "link/ports/RemotePortHistory.h"
#include "model/RemotePortName.h"
#include "model/SettingsStore.h"

namespace {
QString Key(int index)
{
    return QStringLiteral("RemotePort%1").arg(index + 1);
}
} // namespace

QStringList CRemotePortHistory::Names() const
{
    QStringList names;
    CRemoteAddress address;
    for (int i = 0; i < kSize; ++i) {
        QString name;
        // A hand-edited entry that is no remote name is skipped rather than offered.
        if (m_store.ReadString(Key(i), &name) == 0 && ParseRemotePortName(name, &address)
            && !names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    return names;
}

void CRemotePortHistory::Remember(const QString& name)
{
    CRemoteAddress address;
    if (!ParseRemotePortName(name, &address))
        return;
    QStringList names = Names();
    names.removeIf([&](const QString& n) { return n.compare(name, Qt::CaseInsensitive) == 0; });
    names.prepend(name);
    for (int i = 0; i < kSize; ++i)
        m_store.WriteString(Key(i), i < names.size() ? names[i] : QString());
}
