// The option text of the simulated amplifier ("QRO4000_SIM", qro4000-sim's switches).
#include "sim/SimOptions.h"
#include "RowName.h"
#include "TextMatchers.h"
#include <QStringList>
#include <gtest/gtest.h>

TEST(SimOptions, ReadsEveryOption)
{
    CSimDevice::Options o;
    QString error;
    ASSERT_TRUE(ParseSimOptions(QStringLiteral("baud=19200,serial=4321,revision=160,bootloader=1,pace=1,delay=5,seed=7,"
                                               "erase-ms=300,revision-after-load=170"),
        &o, &error))
        << error.toStdString();
    EXPECT_EQ(o.speed, 19200u);
    EXPECT_EQ(o.serialNumber, 4321);
    EXPECT_EQ(o.revision, 160);
    EXPECT_TRUE(o.bootLoader);
    EXPECT_TRUE(o.pace);
    EXPECT_EQ(o.answerDelayMs, 5u);
    EXPECT_EQ(o.seed, 7u);
    EXPECT_EQ(o.eraseMs, 300u);
    EXPECT_EQ(o.revisionAfterLoad, 170);
}

TEST(SimOptions, SpacesAndSwitchesWithoutValue)
{
    CSimDevice::Options o;
    EXPECT_TRUE(ParseSimOptions(QStringLiteral(" baud = 9600 , pace , bootloader=0"), &o));
    EXPECT_EQ(o.speed, 9600u);
    EXPECT_TRUE(o.pace);
    EXPECT_FALSE(o.bootLoader);
    EXPECT_TRUE(ParseSimOptions(QString(), &o)); // an empty text keeps what is set
    EXPECT_EQ(o.speed, 9600u);
}

struct BadOption {
    const char* name;
    const char* text;
    const char* named; // part of the error text
};

class SimOptionsBad : public ::testing::TestWithParam<BadOption> { };

TEST_P(SimOptionsBad, IsRefusedAndChangesNothing)
{
    CSimDevice::Options o;
    o.speed = 57600;
    o.serialNumber = 99;
    QString error;
    EXPECT_FALSE(ParseSimOptions(QString::fromLatin1(GetParam().text), &o, &error));
    EXPECT_THAT(error, HasText(QLatin1String(GetParam().named)));
    EXPECT_EQ(o.speed, 57600u);
    EXPECT_EQ(o.serialNumber, 99);
}

INSTANTIATE_TEST_SUITE_P(Cases, SimOptionsBad,
    ::testing::Values(BadOption {"UnsupportedSpeed", "serial=5,baud=14400", "baud"},
        BadOption {"SpeedInWords", "baud=fast", "baud"}, BadOption {"SerialAbove65535", "serial=70000", "serial"},
        BadOption {"PaceNeitherZeroNorOne", "pace=2", "pace"}, BadOption {"UnknownName", "colour=blue", "colour"},
        BadOption {"SpeedWithoutValue", "baud", "baud"}, BadOption {"NegativeDelay", "delay=-1", "delay"},
        BadOption {"RevisionWithADot", "revision=1.53", "revision"},
        BadOption {"FaultWhereOnlyOptionsAreTaken", "silent", "silent"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimOptions, ReadsEveryFault)
{
    CSimDevice::Options o;
    CSimDevice::Faults f;
    QString error;
    ASSERT_TRUE(ParseSimOptions(
        QStringLiteral("drop-answer=3,drop-rate=0.05,corrupt-answer=4,corrupt-rate=0.01,corrupt-pair=8,silent,"
                       "answer-speed=9600,unplugged=1,refuse-packet=2,refuse-times=6,drop-ack=5,"
                       "drop-ack-rate=0.5,answer-c=7,no-echo-d,power-loss=9,power-loss-ms=250,"
                       "unplug-after=1200"),
        &o, &f, &error))
        << error.toStdString();
    EXPECT_EQ(f.dropAnswerNumber, 3);
    EXPECT_DOUBLE_EQ(f.dropAnswerProbability, 0.05);
    EXPECT_EQ(f.corruptAnswerNumber, 4);
    EXPECT_DOUBLE_EQ(f.corruptByteProbability, 0.01);
    EXPECT_EQ(f.corruptPairNumber, 8);
    EXPECT_TRUE(f.silent);
    EXPECT_EQ(f.answerAtSpeed, 9600u);
    EXPECT_TRUE(f.unplugged);
    EXPECT_EQ(f.refusePacketNumber, 2);
    EXPECT_EQ(f.refusePacketTimes, 6);
    EXPECT_EQ(f.dropAckNumber, 5);
    EXPECT_DOUBLE_EQ(f.dropAckProbability, 0.5);
    EXPECT_EQ(f.answerCNumber, 7);
    EXPECT_TRUE(f.neverEchoD);
    EXPECT_EQ(f.powerLossPacketNumber, 9);
    EXPECT_EQ(f.powerLossMs, 250u);
    EXPECT_EQ(f.unplugAfterMs, 1200u);
}

TEST(SimOptions, ProbabilityAboveOneIsRefused)
{
    CSimDevice::Options o;
    CSimDevice::Faults f;
    EXPECT_FALSE(ParseSimOptions(QStringLiteral("drop-rate=1.5"), &o, &f));
    EXPECT_DOUBLE_EQ(f.dropAnswerProbability, 0);
}

TEST(SimOptions, EverySettingHasAUniqueNameAndHelp)
{
    QStringList names;
    for (const SimSetting& s : SimSettings()) {
        EXPECT_FALSE(names.contains(QLatin1String(s.name))) << s.name;
        names << QLatin1String(s.name);
        EXPECT_NE(std::string(s.help), std::string()) << s.name;
        EXPECT_EQ(FindSimSetting(QLatin1String(s.name)), &s);
    }
    EXPECT_EQ(FindSimSetting(QStringLiteral("link")), nullptr);
}
