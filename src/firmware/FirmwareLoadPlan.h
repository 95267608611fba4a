#pragma once
// What is checked and asked before firmware is sent, the same for the Firmware page and
// `qro4000 firmware load` (the front ends only ask and show):
//  - the image, read and checked as the loader will read it: a file that cannot be loaded
//    fails before anything is asked or saved;
//  - the device: an amplifier that answers, and a QRO4000 (its application or its boot loader);
//  - the revision: a file older than the revision installed needs its own yes;
//  - the backup: offered while the amplifier runs its application (BackupOffer's rule), since a
//    new firmware may change or reset settings.
#include "link/BackupOffer.h"
#include "model/Model.h"
#include "model/RevisionedFileName.h"
#include <QString>

namespace FirmwareLoadPlan {
// Empty when the file can be loaded; otherwise what is wrong with it.
QString CheckImage(const QString& fileName);
// Empty when the amplifier found is a QRO4000 that answers; otherwise why nothing can be sent.
QString CheckDevice(const CModel& model);
// True when the file is older than the revision the amplifier runs.
bool IsDowngrade(const CModel& model, const CRevisionedFileName& file);
QString DowngradeCaption();
QString DowngradeQuestion(const CModel& model, const CRevisionedFileName& file);
// What an unattended load says when it refuses an older file.
QString DowngradeRefused(const CModel& model, const CRevisionedFileName& file);
// Whether a backup is offered, and its texts for the backup saved as `fileName`.
bool OffersBackup(const CModel& model);
BackupOffer::Texts BackupTexts(const QString& fileName, bool askWhenSaveFails);
} // namespace FirmwareLoadPlan
