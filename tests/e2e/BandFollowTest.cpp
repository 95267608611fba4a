// Band following with the real programs: "qro4000 -p SIM serve" following Debian's rigctld (the
// dummy radio, changed with rigctl) or RadioInfo datagrams sent from here.
#include "CliProcess.h"
#include <QUdpSocket>

namespace {
class BandFollow : public CliTest {
protected:
    void StartRigctld()
    {
        m_rig.Process().start("rigctld", {"-m", "1", "-P", "RIG", "-T", "127.0.0.1", "-t", QString::number(m_rigPort)});
    }
    void Rigctl(const QStringList& command)
    {
        const QStringList where {"-m", "2", "-r", "127.0.0.1:" + QString::number(m_rigPort)};
        ASSERT_EQ(QProcess::execute("rigctl", where + command), 0);
    }
    void Serve(const QStringList& follow)
    {
        Start(m_server, QStringList {"-p", "SIM", "serve", "--share", "off"} + follow, ",transmit=off");
    }

    CChild m_rig, m_server; // the server ends first
    quint16 m_rigPort = FreePort();
    const QString& m_log = m_server.err;
};
} // namespace

TEST_F(BandFollow, FollowsRigctldWaitsForReceiveAndComesBackAfterARestart)
{
    StartRigctld();
    const QString rig = "following rigctld at 127.0.0.1:" + QString::number(m_rigPort);
    Serve({"--follow-rig", "127.0.0.1:" + QString::number(m_rigPort)});
    ASSERT_TRUE(m_server.WaitForErr(rig)) << m_log.toStdString();
    Rigctl({"F", "7074000"});
    ASSERT_TRUE(m_server.WaitForErr("the radio is on 7.074 MHz: selecting the 7 MHz band")) << m_log.toStdString();
    EXPECT_TRUE(m_server.WaitForErr("the amplifier reads the 7 MHz band")) << m_log.toStdString();
    // Keyed: the band waits for receive.
    Rigctl({"T", "1", "F", "14074000"});
    EXPECT_TRUE(m_server.WaitForErr("on 14.074 MHz: waiting for receive to select the 14 MHz band (the radio transmits)"));
    EXPECT_FALSE(m_server.WaitForErr("selecting the 14 MHz band", 1, 1500)) << m_log.toStdString();
    Rigctl({"T", "0"});
    EXPECT_TRUE(m_server.WaitForErr("the amplifier reads the 14 MHz band")) << m_log.toStdString();
    // No key is known for 28 MHz: said once, nothing sent.
    Rigctl({"F", "28500000"});
    EXPECT_TRUE(m_server.WaitForErr("the radio is on 28.5 MHz: switch the amplifier to 10 m by hand"));
    Rigctl({"F", "28600000"});
    EXPECT_FALSE(m_server.WaitForErr("switch the amplifier", 2, 1000)) << m_log.toStdString();
    EXPECT_EQ(m_log.count("selecting"), 2);
    // rigctld restarts: following resumes.
    m_rig.Stop();
    EXPECT_TRUE(m_server.WaitForErr("rigctld at 127.0.0.1:" + QString::number(m_rigPort) + ": ")) << m_log.toStdString();
    StartRigctld();
    ASSERT_TRUE(m_server.WaitForErr(rig, 2)) << m_log.toStdString();
    Rigctl({"F", "21074000"});
    EXPECT_TRUE(m_server.WaitForErr("the amplifier reads the 21 MHz band")) << m_log.toStdString();
}

TEST_F(BandFollow, FollowsRadioInfoDatagramsAndIgnoresTheRest)
{
    const QString port = QString::number(FreePort());
    Serve({"--follow-udp", port});
    ASSERT_TRUE(m_server.WaitForErr("following RadioInfo datagrams on UDP 127.0.0.1:" + port)) << m_log.toStdString();
    QUdpSocket logger;
    const auto send = [&](const QByteArray& datagram) {
        logger.writeDatagram(datagram, QHostAddress::LocalHost, port.toUShort());
    };
    const auto radio = [](const char* nr, const char* freq) {
        return QByteArray("<?xml version=\"1.0\"?><RadioInfo><app>Test</app><RadioNr>") + nr + "</RadioNr><Freq>" + freq
            + "</Freq><TXFreq>" + freq + "</TXFreq><Mode>CW</Mode><ActiveRadioNr>1</ActiveRadioNr></RadioInfo>";
    };
    send(radio("1", "707400"));
    EXPECT_TRUE(m_server.WaitForErr("the amplifier reads the 7 MHz band")) << m_log.toStdString();
    // Each of these would have sent the amplifier to 14 MHz.
    send(radio("1", "1407400").chopped(5));
    send(radio("1", "1407400").replace("<app>Test</app>", "<app>" + QByteArray(5000, 'x') + "</app>"));
    send(radio("1", "1407400").replace("RadioInfo", "ContactInfo"));
    send(radio("2", "1407400"));
    send(radio("1", "2107400"));
    EXPECT_TRUE(m_server.WaitForErr("the amplifier reads the 21 MHz band")) << m_log.toStdString();
    EXPECT_FALSE(m_log.contains("14 MHz")) << m_log.toStdString();
}
