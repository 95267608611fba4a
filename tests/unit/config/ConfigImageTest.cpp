#include "ConfigTestSupport.h"
#include "config/BufferedConfigReceiver.h"
#include "config/ConfigDiff.h"
#include "model/ConfigFolder.h"
#include "config/ConfigRegions.h"
#include "link/VirtualEventHost.h"
#include "model/Model.h"
#include "model/QtSettingsStore.h"
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
CConfigImage Filled(BYTE value)
{
    CConfigImage image;
    const std::vector<BYTE> bytes(0x40000, value);
    image.Assign(bytes.data(), 0x40000);
    return image;
}

void Put(CConfigImage& image, DWORD address, BYTE value)
{
    image.StoreBlock(address, 1, &value);
}
} // namespace

TEST(ConfigDiff, AdjacentBytesFormOneRangeWithinEachRegion)
{
    CConfigImage a = Filled(0);
    CConfigImage b = Filled(0);
    for (DWORD address : {0x05u, 0x20u, 0x21u, 0x22u, 0x7Fu, 0x80u, 0x38000u})
        Put(b, address, 1);
    const auto matching = CompareImages(a, b, ConfigRegions::RestoreRegions(false));
    ASSERT_EQ(matching.size(), 3u);
    EXPECT_EQ(matching[0].start, 0x20u);
    EXPECT_EQ(matching[0].length, 3u);
    // 0x7F and 0x80 lie in two regions: two ranges.
    EXPECT_EQ(matching[1].start, 0x7Fu);
    EXPECT_EQ(matching[1].length, 1u);
    EXPECT_EQ(matching[2].start, 0x80u);
    EXPECT_TRUE(CompareImages(a, b, ConfigRegions::RestoreRegions(true)).empty());
    const auto all = CompareImages(a, b, ConfigRegions::SaveRegions());
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].start, 0x05u);
    EXPECT_EQ(all[2].start, 0x7Fu);
    EXPECT_EQ(all[2].length, 2u);
    EXPECT_EQ(all[3].start, 0x38000u);
}

TEST(ConfigDiff, ByteOnlyOneImageHoldsDiffers)
{
    CConfigImage a;
    CConfigImage b;
    Put(a, 0x200, 0);
    Put(b, 0x300, 0);
    Put(a, 0x400, 9);
    Put(b, 0x400, 9);
    const auto d = CompareImages(a, b, ConfigRegions::SaveRegions());
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].start, 0x200u);
    EXPECT_EQ(d[1].start, 0x300u);
}

TEST(ConfigImage, BytesOutsideTheMemoryAreCountedNotStored)
{
    CConfigImage image;
    const std::vector<BYTE> data(64, 7);
    image.StoreBlock(0x3FFF0, 64, data.data());
    image.StoreBlock(0xFFFFFFF0, 64, data.data());
    EXPECT_EQ(image.PresentCount(), 16u);
    EXPECT_EQ(image.OutsideCount(), 48u + 64u);
}

TEST(BufferedConfigReceiver, ReplaysEverythingInOrder)
{
    class CLog : public IConfigReceiver {
    public:
        void StoreBlock(DWORD address, DWORD count, const BYTE* data) override
        {
            log << QString("block %1 %2")
                       .arg(address)
                       .arg(QByteArray(reinterpret_cast<const char*>(data), count).toHex());
        }
        void StoreByte(WORD address, BYTE value) override { log << QString("byte %1 %2").arg(address).arg(value); }
        void SetSerialMismatch(bool m) override { log << QString("verdict %1").arg(m); }
        QStringList log;
    } target;
    CBufferedConfigReceiver buffer;
    const BYTE a[2] = {1, 2};
    const BYTE b[1] = {3};
    buffer.SetSerialMismatch(true);
    buffer.StoreBlock(0x100, 2, a);
    buffer.StoreByte(0x20, 9);
    buffer.SetSerialMismatch(false);
    buffer.StoreBlock(0x200, 1, b);
    EXPECT_TRUE(target.log.isEmpty());
    buffer.Replay(target);
    EXPECT_EQ(target.log, (QStringList {"verdict 1", "block 256 0102", "byte 32 9", "verdict 0", "block 512 03"}));
}

TEST(ConfigFolder, EmptyOrMissingFolderFallsBackToTheDefaultWhichDoesNotReplaceIt)
{
    QTemporaryDir dir;
    CVirtualEventHost host;
    CModel model(host, std::make_unique<CQtSettingsStore>(dir.filePath("s.ini")));
    model.SetApplicationDataFolder(dir.filePath("appdata"));
    const QString fallback = model.DefaultConfigurationFolder();
    EXPECT_EQ(ConfigFile::InitialFolder(model), fallback);
    model.m_configurationFolder.Set(dir.filePath("gone"));
    EXPECT_EQ(ConfigFile::InitialFolder(model), fallback);
    // A USB stick not plugged in: the default serves, the setting waits for the stick.
    ConfigFile::RememberFolder(model, fallback + "/x.QRO4000Config");
    EXPECT_EQ(model.m_configurationFolder.m_value, dir.filePath("gone"));
    QDir(dir.path()).mkpath("kept");
    model.m_configurationFolder.Set(dir.filePath("kept"));
    EXPECT_EQ(ConfigFile::InitialFolder(model), dir.filePath("kept"));
    ConfigFile::RememberFolder(model, dir.filePath("kept/x.QRO4000Config"));
    EXPECT_EQ(model.m_configurationFolder.m_value, QDir::toNativeSeparators(dir.filePath("kept")));
}
