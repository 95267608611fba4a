// "qro4000 settings" as a user runs it against qro4000-sim on pseudo-terminals: a change that
// reads back, and a profile carried from one amplifier to another.
#include "CliProcess.h"
#include <QJsonDocument>
#include <QJsonObject>

namespace {
class SettingsCli : public CliTest {
protected:
    CliRun Run(const QString& link, QStringList args)
    {
        return RunCli(m_dir, QStringList {"-p", m_dir.filePath(link)} + args);
    }
    static QJsonObject Json(const CliRun& run) { return QJsonDocument::fromJson(run.out.toUtf8()).object(); }
};
} // namespace

TEST_F(SettingsCli, AProfileCarriesTheSettingsToAnotherAmplifier)
{
    CChild first, second;
    ASSERT_FALSE(StartSimOnPty(first, Path("first"), {"--baud", "115200", "--serial", "1111"}).isEmpty());
    ASSERT_FALSE(StartSimOnPty(second, Path("second"), {"--baud", "115200", "--serial", "2222"}).isEmpty());
    ASSERT_EQ(Run("first",
                  {"settings", "set", "banner=STATION 1", "swr-stop=4.0", "net-dhcp=off", "net-ip=10.1.1.2",
                      "antenna-preferred=0,1,2,0,1,2,0,1,2,0,1", "pf1=MEM"})
                  .exitCode,
        0);
    const CliRun exported = Run("first", {"settings", "--json"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const QString profile = Path("station.json");
    ASSERT_TRUE(WriteWholeFile(profile, exported.out.toUtf8()));

    const CliRun imported = Run("second", {"settings", "set", "--from", profile});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_THAT(imported.out, HasText("banner: QRO4000 -> STATION 1\n"));
    const CliRun shown = Run("second", {"settings"});
    EXPECT_TRUE(shown.out.startsWith("antenna-enable=2,2,2,2,1,1,1,1,1,1,1\n")) << shown.out.toStdString();
    EXPECT_THAT(shown.out, HasText("\nbanner=STATION 1\n"));
    EXPECT_THAT(shown.out, HasText("\nswr-stop=4.0,4.0,4.0,4.0,4.0,4.0,4.0,4.0,4.0,4.0,4.0\n"));
    EXPECT_TRUE(shown.out.endsWith("\npf2=ANTENNA\n"));

    QJsonObject expected = Json(exported);
    QJsonObject actual = Json(Run("second", {"settings", "--json"}));
    ASSERT_EQ(expected.size(), 20);
    EXPECT_EQ(actual.take("net-mac").toString(), "00:1E:C0:00:08:AE");
    EXPECT_EQ(expected.take("net-mac").toString(), "00:1E:C0:00:04:57");
    EXPECT_EQ(actual, expected);
}
