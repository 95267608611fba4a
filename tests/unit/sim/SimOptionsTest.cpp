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

// Faults are taken everywhere but in the "silent" row, which is refused where only options are.
TEST(SimOptions, BadOptionsAreRefusedByNameAndChangeNothing)
{
    const std::pair<const char*, const char*> rows[] = {{"serial=5,baud=14400", "baud"}, {"baud=fast", "baud"},
        {"serial=70000", "serial"}, {"pace=2", "pace"}, {"colour=blue", "colour"}, {"baud", "baud"},
        {"delay=-1", "delay"}, {"revision=1.53", "revision"}, {"silent", "silent"}, {"drop-rate=1.5", "drop-rate"},
        {"amp-fault=256", "amp-fault"}};
    for (const auto& [text, named] : rows) {
        CSimDevice::Options o;
        o.speed = 57600;
        o.serialNumber = 99;
        CSimDevice::Faults f;
        QString error;
        const bool faultsTaken = std::string_view(text) != "silent";
        EXPECT_FALSE(ParseSimOptions(QString::fromLatin1(text), &o, faultsTaken ? &f : nullptr, &error)) << text;
        EXPECT_THAT(error, HasText(QLatin1String(named)));
        EXPECT_EQ(o.speed, 57600u) << text;
        EXPECT_EQ(o.serialNumber, 99) << text;
        EXPECT_TRUE(f.dropAnswerProbability == 0 && f.amplifierFault == 0) << text;
    }
}
