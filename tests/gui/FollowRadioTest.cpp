// The Operate page's "Follow radio" on the simulated amplifier in receive: a RadioInfo datagram
// presses the band key through the page's poller, and the source is kept in the settings.
#include "MainFrameFixture.h"
#include "operate/ui/OperatePage.h"
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QUdpSocket>

TEST_F(CMainFrameFixture, FollowRadioFollowsRadioInfoDatagramsAndIsKeptInTheSettings)
{
    qputenv("QRO4000_SIM", "baud=38400,pace=0,transmit=off");
    ConnectToSim();
    SelectPage(COperatePage::kTabIndex);
    QUdpSocket logger;
    logger.bind(QHostAddress::LocalHost, 0);
    const QString port = QString::number(logger.localPort());
    logger.close(); // a free port for the page
    frame->findChild<QLineEdit*>("followAddress")->setText(port);
    auto* source = frame->findChild<QComboBox*>("followSource");
    source->setCurrentIndex(2);
    emit source->activated(2);
    logger.writeDatagram("<RadioInfo><Freq>707400</Freq></RadioInfo>", QHostAddress::LocalHost, port.toUShort());
    auto* status = frame->findChild<QLabel*>("followStatus");
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->text() == "the amplifier reads the 7 MHz band"; }, 10000))
        << qPrintable(status->text());
    CloseFrame();
    EXPECT_EQ(GuiTest::ReadSetting("FollowRadio").toString(), "udp " + port);
}
