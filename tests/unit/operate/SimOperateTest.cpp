// The simulated amplifier's operate options: what qro4000-sim and QRO4000_SIM accept.
#include "sim/SimOptions.h"
#include <gtest/gtest.h>

TEST(SimOperateOptions, PowerOffFaultCodeAndSilence)
{
    CSimDevice::Options o;
    CSimDevice::Faults f;
    QString error;
    ASSERT_TRUE(ParseSimOptions(QStringLiteral("power-off,amp-fault=33,fall-silent=4"), &o, &f, &error))
        << error.toStdString();
    EXPECT_TRUE(o.powerOff);
    EXPECT_EQ(f.amplifierFault, 33);
    EXPECT_EQ(f.fallSilentAnswer, 4);
}

TEST(SimOperateOptions, FaultCodeAbove255IsRefused)
{
    CSimDevice::Options o;
    CSimDevice::Faults f;
    QString error;
    EXPECT_FALSE(ParseSimOptions(QStringLiteral("amp-fault=256"), &o, &f, &error));
    EXPECT_TRUE(error.contains(QLatin1String("amp-fault")));
    EXPECT_EQ(f.amplifierFault, 0);
}
