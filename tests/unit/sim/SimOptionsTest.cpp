// The option text of the simulated amplifier ("QRO4000_SIM", qro4000-sim's switches).
#include "sim/SimOptions.h"
#include "RowName.h"
#include "TextMatchers.h"
#include <gtest/gtest.h>

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

TEST(SimOptions, ProbabilityAboveOneAndFaultCodeAbove255AreRefused)
{
    CSimDevice::Options o;
    CSimDevice::Faults f;
    EXPECT_FALSE(ParseSimOptions(QStringLiteral("drop-rate=1.5"), &o, &f));
    EXPECT_DOUBLE_EQ(f.dropAnswerProbability, 0);
    QString error;
    EXPECT_FALSE(ParseSimOptions(QStringLiteral("amp-fault=256"), &o, &f, &error));
    EXPECT_THAT(error, HasText("amp-fault"));
    EXPECT_EQ(f.amplifierFault, 0);
}
