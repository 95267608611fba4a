#include "config/ConfigBackup.h"
#include "SimHarness.h"
#include <QDir>
#include <gtest/gtest.h>

namespace {
const QDateTime kTime(QDate(2024, 1, 5), QTime(13, 45, 1));

TEST(ConfigBackup, ConfigurationFolderOrTheDefaultAndTheDefaultName)
{
    CSimHarness h;
    const QString folder = h.TempPath("configs");
    QDir().mkpath(folder);
    h.model->m_configurationFolder.Set(folder);
    h.model->m_serialNumber.Set(1234);
    EXPECT_EQ(ConfigBackup::FileName(*h.model, kTime),
        QDir::toNativeSeparators(folder + "/SN01234.20240105T134501.QRO4000Config"));
    // A folder that has gone, and no serial number: the default folder, a name without it.
    h.model->m_serialNumber.Set(0xFFFF);
    h.model->m_configurationFolder.Set(h.TempPath("gone"));
    const QString name = ConfigBackup::FileName(*h.model, kTime);
    EXPECT_EQ(name,
        QDir::toNativeSeparators(QDir(h.model->DefaultConfigurationFolder()).filePath("20240105T134501.QRO4000Config")))
        << name.toStdString();
}
} // namespace
