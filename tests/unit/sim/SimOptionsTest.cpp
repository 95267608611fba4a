// The option text of the simulated amplifier ("QRO4000_SIM", qro4000-sim's switches).
#include "sim/SimOptions.h"
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

TEST(SimOptions, BadOptionsAreRefusedByNameAndChangeNothing)
{
    const std::pair<const char*, const char*> rows[]
        = {{"serial=5,baud=14400", "baud"}, {"baud=fast", "baud"}, {"serial=70000", "serial"}, {"pace=2", "pace"},
            {"colour=blue", "colour"}, {"baud", "baud"}, {"delay=-1", "delay"}, {"revision=1.53", "revision"},
            {"silent", "silent"} /* a fault, where only options are taken */};
    for (const auto& [text, named] : rows) {
        CSimDevice::Options o;
        o.speed = 57600;
        o.serialNumber = 99;
        QString error;
        EXPECT_FALSE(ParseSimOptions(QString::fromLatin1(text), &o, &error)) << text;
        EXPECT_THAT(error, HasText(QLatin1String(named)));
        EXPECT_EQ(o.speed, 57600u) << text;
        EXPECT_EQ(o.serialNumber, 99) << text;
    }
}

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
