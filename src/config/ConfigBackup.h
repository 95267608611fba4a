#pragma once
// The configuration backup offered before every firmware load: a new firmware may change or
// reset settings, so the amplifier's configuration is saved first, to the configuration folder
// under the name a save would offer.
#include "model/ModelBase.h"
#include <QDateTime>
#include <QString>

namespace ConfigBackup {
// "<configuration folder>/SN01234.20240105T134501.QRO4000Config", as the configuration save
// offers it (the default folder when the setting names no folder).
QString FileName(CModelBase& model, const QDateTime& timeStamp);
} // namespace ConfigBackup
