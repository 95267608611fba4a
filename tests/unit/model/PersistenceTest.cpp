// Settings read back from a real settings file: defaults, clamping, wrong types, the saved
// copies that make a save write only what changed, and a failed write tried again.
#include "link/VirtualEventHost.h"
#include "model/Model.h"
#include "model/QtSettingsStore.h"
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// Counts writes and can refuse them, over the real store.
class CCountingStore : public ISettingsStore {
public:
    explicit CCountingStore(const QString& file)
        : m_inner(file)
    {
    }
    bool IsOpen() const override { return true; }
    DWORD ReadDword(const QString& n, DWORD* v) override { return m_inner.ReadDword(n, v); }
    DWORD ReadString(const QString& n, QString* v) override { return m_inner.ReadString(n, v); }
    DWORD WriteDword(const QString& n, DWORD v) override { return Write(n) ? m_inner.WriteDword(n, v) : 5; }
    DWORD WriteString(const QString& n, const QString& v) override { return Write(n) ? m_inner.WriteString(n, v) : 5; }

    QStringList written;
    bool refuse = false;

private:
    bool Write(const QString& name)
    {
        if (refuse)
            return false;
        written << name;
        return true;
    }
    CQtSettingsStore m_inner;
};

class PersistenceTest : public ::testing::Test {
protected:
    QString File() const { return m_dir.filePath("settings.ini"); }
    void Store(const QString& name, const QVariant& value)
    {
        QSettings raw(File(), QSettings::IniFormat);
        raw.setValue(name, value);
    }
    QVariant Stored(const QString& name) const
    {
        QSettings raw(File(), QSettings::IniFormat);
        return raw.value(name);
    }
    std::unique_ptr<CModel> MakeModel(CCountingStore** counting = nullptr)
    {
        auto store = std::make_unique<CCountingStore>(File());
        if (counting)
            *counting = store.get();
        auto model = std::make_unique<CModel>(m_host, std::move(store));
        model->SetApplicationDataFolder(m_dir.filePath("appdata"));
        model->LoadSettings();
        return model;
    }

    QTemporaryDir m_dir;
    CVirtualEventHost m_host;
};

} // namespace

TEST_F(PersistenceTest, LoadClampsToTheBounds)
{
    const struct {
        const char* name;
        QVariant stored; // invalid: nothing stored
        DWORD expected;
    } rows[] = {{"OperatePollInterval", 50, 100}, {"OperatePollInterval", 40000, 30000},
        {"OperatePollInterval", QVariant(), 300}, {"OperatePollInterval", 2500, 2500},
        {"OperatePollInterval", "fast", 300}, {"FirmwareLoadRetryLimit", 2, 5}, {"FirmwareLoadRetryLimit", 99, 25},
        {"FirmwareLoadRetryLimit", QVariant(), 10}};
    for (const auto& row : rows) {
        QSettings(File(), QSettings::IniFormat).clear();
        if (row.stored.isValid())
            Store(row.name, row.stored);
        auto model = MakeModel();
        const DWORD value = QString(row.name) == "OperatePollInterval" ? model->m_operatePollInterval.m_value
                                                                       : model->m_firmwareLoadRetryLimit.m_value;
        EXPECT_EQ(value, row.expected) << row.name << " " << row.stored.toString().toStdString();
    }
}

// A value put right on loading (clamped, or an empty caption named) is written back; a string
// of the wrong type counts as missing.
TEST_F(PersistenceTest, ValuesPutRightOnLoadingAreWrittenBack)
{
    Store("OperatePollInterval", 50);
    Store("Port", QStringList {"COM1", "COM2"});
    Store("CommandCaption7", "");
    Store("CommandCaption8", "Tune");
    CCountingStore* store = nullptr;
    auto model = MakeModel(&store);
    EXPECT_EQ(model->m_commandCaptions[6], "Macro 7");
    EXPECT_EQ(model->m_commandCaptions[7], "Tune");
    EXPECT_EQ(model->m_port.m_value, "");
    model->SaveSettings();
    EXPECT_EQ(Stored("OperatePollInterval").toUInt(), 100u);
    EXPECT_EQ(Stored("CommandCaption7").toString(), "Macro 7");
    EXPECT_TRUE(store->written.contains("CommandCaption7"));
    EXPECT_FALSE(store->written.contains("CommandCaption8"));
}

// A save writes only what changed, in list order; a failed write is tried again at the next save.
TEST_F(PersistenceTest, ChangedValuesAreWrittenInListOrderRetriedAndRoundTrip)
{
    {
        auto first = MakeModel();
        first->SaveSettings(); // writes the generated captions and default folders once
    }
    CCountingStore* store = nullptr;
    {
        auto model = MakeModel(&store);
        model->SaveSettings();
        EXPECT_TRUE(store->written.isEmpty()) << store->written.join(",").toStdString();
        model->m_port.Set("COM7");
        model->m_activePage.Set(4);
        model->m_trace.Set(1);
        model->m_commandTexts.Set(31, "^sn;");
        store->refuse = true;
        model->SaveSettings();
        EXPECT_FALSE(Stored("Port").isValid());
        store->refuse = false;
        model->SaveSettings();
        EXPECT_EQ(store->written, (QStringList {"ActivePage", "CommandText32", "Port", "Trace"}));
    }
    auto again = MakeModel();
    EXPECT_EQ(again->m_port.m_value, "COM7");
    EXPECT_EQ(again->m_activePage.m_value, 4);
    EXPECT_EQ(again->m_trace.m_value, 1);
    EXPECT_EQ(again->m_commandTexts[31], "^sn;");
}

TEST_F(PersistenceTest, UnwritableSettingsFileKeepsDefaultsAndSavedCopies)
{
    // A folder where the settings file should be: nothing can be read or written.
    QDir().mkpath(File());
    auto model = MakeModel();
    EXPECT_EQ(model->m_operatePollInterval.m_value, 300u);
    model->m_port.Set("COM9");
    model->SaveSettings();
    EXPECT_EQ(model->m_port.m_saved, "");
}

TEST_F(PersistenceTest, DefaultFoldersAreCreatedUnderApplicationData)
{
    auto model = MakeModel();
    const QString firmware = QDir::fromNativeSeparators(model->m_firmwareFolder.m_value);
    const QString configuration = QDir::fromNativeSeparators(model->m_configurationFolder.m_value);
    EXPECT_EQ(firmware, m_dir.filePath("appdata/Brimwell/QRO4000 Firmware"));
    EXPECT_EQ(configuration, m_dir.filePath("appdata/Brimwell/QRO4000 Configuration"));
    EXPECT_TRUE(QDir(firmware).exists());
    EXPECT_TRUE(QDir(configuration).exists());
}
