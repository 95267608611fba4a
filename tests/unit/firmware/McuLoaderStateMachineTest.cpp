#include "LoaderFixture.h"
#include "RowName.h"
#include "model/ErrorText.h"

namespace {
using ::operator<<;
const QString kRestartAdvice = "The QRO4000 boot loader is still waiting for the rest of the firmware and answers "
                               "nothing else until it restarts.\r\nRemove power from the QRO4000, restore it, then "
                               "send the firmware again.";

QByteArray Header(DWORD address)
{
    return QByteArray(1, char(address >> 24)) + char(address >> 16) + char(address >> 8) + char(address);
}

int ByteSum(const QByteArray& bytes)
{
    int sum = 0;
    for (char c : bytes)
        sum += static_cast<BYTE>(c);
    return sum & 0xFF;
}

class McuLoader : public LoaderFixture {
protected:
    // The failure line of the packet, then the advice to restart the boot loader.
    void ExpectFailedAt(const char* address)
    {
        ASSERT_GE(notify.status.size(), 2);
        EXPECT_EQ(notify.status[notify.status.size() - 2],
            "Send QRO4000 firmware failed at load address " + QString::fromLatin1(address));
        ExpectRestartAdvice();
    }
    void ExpectRestartAdvice() { EXPECT_EQ(notify.status.last(), kRestartAdvice); }
};

TEST_F(McuLoader, FullLoadFromTheApplication)
{
    Begin();
    CProgressRecorder recorder(*h->model);
    const QString path = WriteImage(2);
    EXPECT_EQ(Load(path), 0u);

    // The whole conversation, byte for byte: speed poll, identify, enter the boot loader,
    // unlock, erase, begin, two data packets and the end packet, version, reset, then contact
    // with the restarted application.
    const QByteArray log = h->device->ReceivedLog();
    const QByteArray head(";^I;^ld;UPD");
    ASSERT_TRUE(log.startsWith(head));
    const QByteArray packets = log.mid(head.size(), 3 * 517);
    EXPECT_EQ(log.mid(head.size() + 3 * 517), QByteArray("V;R;^rv;^sn;"));

    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(packets.mid(517 * i, 4), Header(0x1D000000 + 0x200 * i));
        EXPECT_EQ(packets.mid(517 * i + 4, 512), image.mid(512 * i, 512));
        EXPECT_EQ(ByteSum(packets.mid(517 * i, 517)), 0);
    }
    // The end packet: 8F FF FF FF, 512 bytes FF; 8F + 515 * FF = 0x2018C, so its checksum is 74.
    EXPECT_EQ(packets.mid(1034, 4), QByteArray::fromHex("8FFFFFFF"));
    EXPECT_EQ(packets.mid(1038, 512), QByteArray(512, char(0xFF)));
    EXPECT_EQ(static_cast<BYTE>(packets[1550]), 0x74);
    // Progress counts units of 128 bytes.
    EXPECT_EQ(h->model->m_progressRange.m_value, 8u);
    EXPECT_EQ(recorder.positions, (QList<DWORD> {0, 0, 4, 8}));

    EXPECT_TRUE(FlashHoldsImage());
    EXPECT_EQ(h->model->m_firmwareRevision.m_value, 154);
    EXPECT_EQ(h->model->m_serialNumber.m_value, 1234);
    EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareApplication);
    EXPECT_EQ(h->model->PortSpeed(), 38400u);
    EXPECT_EQ(machine->TotalRetries(), 0u);
    EXPECT_EQ(machine->HighestRetries(), 0u);
    EXPECT_FALSE(h->device->InBootLoader());

    // Every message goes to the status line and to the notify sink alike.
    const QStringList expected = {"Sending firmware file " + path + " to QRO4000", "Boot ROM version BL01.02;\r\n",
        "Waiting 3 seconds for reset to complete"};
    EXPECT_EQ(notify.status, expected);
    for (const QString& line : expected)
        EXPECT_TRUE(h->sink.status.contains(line)) << line.toStdString();
}

TEST_F(McuLoader, ApplicationAtAnotherSpeedIsFoundAgainAfterReset)
{
    CSimDevice::Options options = Options();
    options.speed = 115200;
    Begin(options);
    EXPECT_EQ(Load(WriteImage(1)), 0u);
    // Polls at 38400, 19200, 9600, 4800 and 230400 go unanswered (4 each) before 115200.
    const QByteArray tail = h->device->ReceivedLog().mid(h->device->ReceivedLog().indexOf("V;R") + 3);
    EXPECT_EQ(tail, QByteArray(21, ';') + "^rv;^sn;");
    EXPECT_EQ(h->model->PortSpeed(), 115200u);
    EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareApplication);
}

// Refusals ("N", or "C" to a data packet): the first five are resent at once, from the sixth a
// whole packet of fill bytes resynchronises first, the tenth ends the load.
struct RefusalRow {
    const char* name;
    int packet, times, answerC;
    DWORD result;
    int sends; // of the refused packet
    int fills; // whole packets of fill bytes
    const char* status;
};

class McuLoaderRefusal : public McuLoader, public ::testing::WithParamInterface<RefusalRow> { };

TEST_P(McuLoaderRefusal, IsResentOrEndsTheLoad)
{
    const RefusalRow& r = GetParam();
    Begin();
    h->device->GetFaults().refusePacketNumber = r.packet;
    h->device->GetFaults().refusePacketTimes = r.times;
    h->device->GetFaults().answerCNumber = r.answerC;
    EXPECT_EQ(Load(WriteImage(3)), r.result);
    const QByteArray sent = AfterBeginDownload();
    const QByteArray refused = Header(0x1D000000 + 0x200 * DWORD(std::max(r.packet, r.answerC) - 1));
    EXPECT_EQ(sent.count(refused), r.sends);
    EXPECT_EQ(sent.count(QByteArray(517, ';')), r.fills);
    const DWORD retries = r.result == 0 ? r.sends - 1 : r.sends; // the last refusal counts too
    EXPECT_EQ(machine->TotalRetries(), retries);
    EXPECT_EQ(machine->HighestRetries(), retries);
    if (r.result == 0) {
        EXPECT_EQ(StatusCount(r.status), 1);
        EXPECT_TRUE(FlashHoldsImage());
    } else {
        ExpectFailedAt(r.status);
        EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareNone);
        EXPECT_TRUE(h->device->InBootLoader());
    }
}

INSTANTIATE_TEST_SUITE_P(Packets, McuLoaderRefusal,
    ::testing::Values(RefusalRow {"FiveAreResentAtOnce", 2, 5, 0, 0, 6, 0, "Retry 5 successful at address 0x1D000400"},
        RefusalRow {"TheSixthResynchronisesFirst", 1, 6, 0, 0, 7, 1,
            "Retry 6 successful at address 0x1D000200, 517 fill bytes"},
        RefusalRow {"TheTenthEndsTheLoad", 1, 100, 0, Result::RetryLimit, 10, 1, "0x1D000200"},
        RefusalRow {"AnswerCIsARefusal", 0, 0, 2, 0, 2, 0, "Retry 1 successful at address 0x1D000400"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(McuLoader, SixthTimeoutWithLimitFiveEndsTheLoad)
{
    Begin();
    h->model->m_firmwareLoadRetryLimit.Set(5); // taken when the machine is made
    h->device->GetFaults().dropAckProbability = 1.0;
    EXPECT_EQ(Load(WriteImage(2)), Result::NoPacketResponse);
    EXPECT_EQ(machine->PacketRetryLimit(), 5u);
    // Each of the five earlier time-outs resynchronised with a whole packet of fill bytes.
    const QByteArray sent = AfterBeginDownload();
    EXPECT_EQ(sent.count(Header(0x1D000000)), 6);
    EXPECT_EQ(sent.count(QByteArray(517, ';')), 5);
    EXPECT_EQ(machine->TotalRetries(), 6u);
    ExpectFailedAt("0x1D000200");
}

TEST_F(McuLoader, LostBytesAreMadeUpWithFillBytes)
{
    // Three bytes of the first packet never reach the amplifier: it waits for them, the packet
    // times out, three fill bytes complete the damaged packet, it is refused, and the resent
    // packet is taken.
    auto damaged = std::make_shared<bool>(false);
    Begin(Options(), [damaged](const QByteArray& bytes, int) {
        if (bytes.size() == 517 && bytes.startsWith(Header(0x1D000000)) && !*damaged) {
            *damaged = true;
            return bytes.left(514);
        }
        return bytes;
    });
    EXPECT_EQ(Load(WriteImage(2)), 0u);
    EXPECT_EQ(StatusCount("Retry 1 successful at address 0x1D000200, 3 fill bytes"), 1);
    const QByteArray sent = AfterBeginDownload();
    EXPECT_EQ(sent.mid(514, 3), QByteArray(";;;"));
    EXPECT_EQ(sent.mid(517, 4), Header(0x1D000000));
    EXPECT_EQ(machine->TotalRetries(), 1u);
    EXPECT_TRUE(FlashHoldsImage());
}

TEST_F(McuLoader, UnansweredFillBytesEndTheLoad)
{
    // After the first packet the line goes dead: 517 fill bytes get no answer.
    int fills = 0;
    bool dead = false;
    Begin(Options(), [&fills, &dead](const QByteArray& bytes, int) {
        if (dead) {
            fills += bytes == ";";
            return QByteArray();
        }
        dead = bytes.size() == 517;
        return bytes;
    });
    EXPECT_EQ(Load(WriteImage(2)), Result::NoResyncResponse);
    EXPECT_EQ(fills, 517);
    // The first packet was taken; the second is the one that got no answer.
    ExpectFailedAt("0x1D000400");
    EXPECT_EQ(machine->TotalRetries(), 1u);
}

// The end packet answered "C", or damaged and refused "N": anything but "B" fails the load.
TEST_F(McuLoader, EndPacketAnsweredAnythingButBFails)
{
    for (const bool damageEnd : {false, true}) {
        Begin(Options(), [damageEnd](const QByteArray& bytes, int) {
            if (damageEnd && bytes.size() == 517 && bytes.startsWith(QByteArray::fromHex("8FFFFFFF"))) {
                QByteArray damaged = bytes;
                damaged[100] = 0;
                return damaged;
            }
            return bytes;
        });
        h->device->GetFaults().answerCNumber = damageEnd ? 0 : 3; // the third packet is the end packet
        EXPECT_EQ(Load(WriteImage(2)), Result::RetryLimit) << damageEnd;
        EXPECT_EQ(AfterBeginDownload().count(QByteArray::fromHex("8FFFFFFF")), 1) << damageEnd;
        ExpectFailedAt("0x1D000400");
        EXPECT_FALSE(h->device->ReceivedLog().contains("V;")) << damageEnd;
    }
}

TEST_F(McuLoader, PowerLossThenASecondLoadSucceeds)
{
    Begin();
    h->device->GetFaults().powerLossPacketNumber = 5;
    const QString path = WriteImage(16, 11);
    const DWORD first = Load(path);
    EXPECT_TRUE(Result::Failed(first));
    EXPECT_NE(first, Result::Cancelled);
    EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareNone);
    EXPECT_TRUE(h->device->InBootLoader());
    EXPECT_FALSE(FlashHoldsImage());

    // The amplifier comes back in its boot loader; contact finds it there, and loading again
    // completes the image.
    ASSERT_TRUE(h->Connect());
    EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareBootLoader);
    notify.status.clear();
    EXPECT_EQ(Load(path), 0u);
    EXPECT_FALSE(h->device->ReceivedLog().contains("^ld;"));
    EXPECT_TRUE(FlashHoldsImage());
    EXPECT_EQ(h->model->m_firmwareRevision.m_value, 154);
    EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareApplication);
}

// A boot-loader step that fails ends the load before any packet: no "D" echoed (after which the
// amplifier is forgotten), a refused unlock ("P" for "U": no erase), an erase unanswered for 15 s;
// another device is never sent a boot-loader command.
struct StepRow {
    const char* name;
    CLossyPort::Filter filter;
    bool neverEchoD, otherDevice;
    DWORD result;
    const char* received;
};

class McuLoaderStep : public McuLoader, public ::testing::WithParamInterface<StepRow> { };

TEST_P(McuLoaderStep, FailsBeforeAnyPacket)
{
    const StepRow& r = GetParam();
    Begin(Options(), r.filter);
    h->device->GetFaults().neverEchoD = r.neverEchoD;
    if (r.otherDevice)
        h->device->SetCommandHandler("I", [](const QByteArray&) { return QByteArray("^IQRO800;"); });
    const std::uint64_t start = h->host.Now();
    EXPECT_EQ(Load(WriteImage(1)), r.result);
    EXPECT_EQ(QString::fromLatin1(h->device->ReceivedLog()), QString::fromLatin1(r.received));
    EXPECT_EQ(h->host.Now() - start >= 15000, r.result == Result::NoEraseResponse);
    if (r.neverEchoD) {
        EXPECT_EQ(notify.status.last(),
            QStringLiteral("QRO4000 Bootstrap Loader did not echo \"D\"\r\nRemove power and retry firmware load"));
        EXPECT_EQ(h->model->m_firmwareRevision.m_value, 0);
        EXPECT_EQ(h->model->m_serialNumber.m_value, kNoSerialNumber);
        EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareNone);
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, McuLoaderStep,
    ::testing::Values(StepRow {"NoEchoOfDClearsTheDevice", {}, true, false, Result::NoDEcho, ";^I;^ld;UPD"},
        StepRow {"RefusedUnlock", [](const QByteArray& b, int) { return b == "U" ? QByteArray("P") : b; }, false, false,
            Result::UnlockRefused, ";^I;^ld;P"},
        StepRow {"UnansweredErase", [](const QByteArray& b, int) { return b == "P" ? QByteArray() : b; }, false, false,
            Result::NoEraseResponse, ";^I;^ld;U"},
        StepRow {"OtherDevice", {}, false, true, Result::UnexpectedDevice, ";^I;"}),
    [](const auto& info) { return std::string(info.param.name); });

// A damaged or missing file is refused before anything is sent: the amplifier was not touched, so
// it is still known to be there.
TEST_F(McuLoader, DamagedFileIsRefusedBeforeAnythingIsSent)
{
    Begin();
    CCompletionRecorder completion(*h->model);
    const QString missing = files.Path("qro4000fw0200.hex");
    const struct {
        QString path;
        DWORD code;
        QString status;
    } rows[] = {{files.Write("qro4000fw0154.hex", ":020000041D00DD\r\n:0401000001020304F2\r\n:00000001FF\r\n"),
                    Result::HexChecksum, "Line 2, error code 0xE2000022: intel hex line checksum error"},
        {missing, Result::AsFailureCode(Result::FileNotFound),
            "CreateFile failed on \"" + missing + "\"\r\nError 0x00000002: The system cannot find the file specified."}};
    for (const auto& row : rows) {
        notify.status.clear();
        h->model->m_firmwareFile.Set(FileNameParts::Revisioned(row.path));
        NewMachine();
        h->device->ClearLogs();
        EXPECT_FALSE(machine->StartLoad(&notify));
        h->host.Advance(10000);
        EXPECT_EQ(machine->ResultCode(), row.code);
        EXPECT_TRUE(machine->IsIdle());
        EXPECT_EQ(notify.status, QStringList {row.status});
        EXPECT_TRUE(h->sink.status.contains(row.status));
        EXPECT_EQ(h->device->ReceivedLog(), QByteArray());
        EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareApplication);
        EXPECT_EQ(h->model->m_firmwareRevision.m_value, 153);
    }
    EXPECT_EQ(completion.results, (QList<DWORD> {Result::HexChecksum, Result::AsFailureCode(Result::FileNotFound)}));
}

TEST_F(McuLoader, CancelStopsAtTheNextPacketAndSaysHowToRecover)
{
    Begin();
    const QString path = WriteImage(8);
    h->model->m_firmwareFile.Set(FileNameParts::Revisioned(path));
    NewMachine();
    ASSERT_TRUE(machine->StartLoad(&notify));
    ASSERT_TRUE(h->host.RunUntil([&]() { return AfterBeginDownload().size() >= 3 * 517; }, kLimitMs));
    EXPECT_FALSE(machine->IsIdle());
    EXPECT_TRUE(machine->IsDownloadOpen());
    EXPECT_TRUE(machine->Cancel());
    EXPECT_TRUE(h->RunUntilIdle(*machine, kLimitMs));
    EXPECT_EQ(machine->ResultCode(), Result::Cancelled);
    EXPECT_EQ(AfterBeginDownload().size(), 3 * 517); // the packet on the line is answered, then no more
    EXPECT_TRUE(h->device->InBootLoader());
    EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareNone);
    ExpectRestartAdvice();
}

// After a load, the revision the amplifier reports is checked against the file's name.
TEST_F(McuLoader, VerifyReportsTheRevision)
{
    const QString loaded154 = "Loaded QRO4000 firmware revision 01.54\r\n";
    const struct {
        const char* file;
        WORD revisionAfterLoad;
        bool quiet;
        DWORD result;
        QStringList status;
    } rows[] = {{"qro4000fw0154.hex", 154, false, 0, {"QRO4000 verification succeeded"}},
        {"qro4000fw0154.hex", 154, true, 0, {loaded154 + "QRO4000 responded with revision 01.54"}},
        {"qro4000fw0154.hex", 160, true, Result::RevisionVerifyFailed,
            {loaded154 + "QRO4000 responded with revision 01.60", "QRO4000 verification failed. Reload QRO4000."}},
        {"test-build.hex", 154, true, 0,
            {"The file name gives no revision to compare: the QRO4000 now runs revision 01.54."}}};
    for (const auto& row : rows) {
        CSimDevice::Options options = Options();
        options.revisionAfterLoad = row.revisionAfterLoad;
        Begin(options);
        EXPECT_EQ(Load(WriteImage(1, 7, row.file)), 0u);
        notify.status.clear();
        EXPECT_EQ(machine->VerifyRevision(row.quiet), row.result) << row.file << " " << row.revisionAfterLoad;
        EXPECT_EQ(notify.status, row.status);
    }
}

} // namespace

TEST_F(McuLoader, LostAcknowledgementResynchronisesAfterTheLinesPace)
{
    // Answers come within a millisecond: the packet waits its 100 ms floor, each fill byte 30 ms.
    Begin();
    h->model->m_verboseLogging.Set(1);
    h->model->m_trace.Set(1);
    h->device->GetFaults().dropAckNumber = 4;
    EXPECT_EQ(Load(WriteImage(6)), 0u);
    EXPECT_TRUE(FlashHoldsImage());
    EXPECT_TRUE(notify.trace.contains("LoadFirmwareInitialState Timer Elapsed 100 ms"));
    EXPECT_EQ(notify.trace.count("LoadResyncInitialState Timer Elapsed  30 ms"), 516);
    EXPECT_TRUE(notify.verbose.contains("Packet for 0x1D000600: no answer within 100 ms (try 1)"));
    EXPECT_EQ(machine->RetryCount(), 1u);
    EXPECT_FALSE(
        notify.trace.filter("LoadFirmwareInitialState Send 517 bytes 0x1D000000" + image.left(8).toHex().toUpper())
            .isEmpty());
    EXPECT_FALSE(h->sink.trace.join('\n').contains("LoadResyncInitialState")); // the loader's own sink only
    notify.trace.clear();
    h->model->m_verboseLogging.Set(0); // and only while verbose
    EXPECT_EQ(Load(WriteImage(1)), 0u);
    EXPECT_TRUE(notify.trace.isEmpty());
}

TEST_F(McuLoader, DamagedAcknowledgementIsSentAgainWithoutFillBytes)
{
    bool damaged = false;
    Begin(Options(), [this, &damaged](const QByteArray& bytes, int) {
        if (!damaged && bytes.startsWith(Header(0x1D000400))) {
            damaged = true;
            h->device->GetFaults().corruptAnswerNumber = 1;
        }
        return bytes;
    });
    EXPECT_EQ(Load(WriteImage(4)), 0u);
    EXPECT_TRUE(FlashHoldsImage());
    const QByteArray sent = AfterBeginDownload();
    const qsizetype first = sent.indexOf(Header(0x1D000400));
    ASSERT_GE(first, 0);
    EXPECT_EQ(sent.mid(first + 517, 4), Header(0x1D000400));
}

TEST_F(McuLoader, LateAcknowledgementDuringResynchronisationGoesOnWithTheNextPacket)
{
    // The fifth packet's "A" comes after 500 ms, when its 100 ms wait has ended and fill bytes
    // are going out; they went into the next buffer, so after the "N" the sixth packet follows.
    Begin(Options(), [this](const QByteArray& bytes, int) {
        if (bytes.startsWith(Header(0x1D000800)))
            h->device->GetOptions().answerDelayMs = 500;
        else if (bytes == ";")
            h->device->GetOptions().answerDelayMs = 1;
        return bytes;
    });
    h->model->m_verboseLogging.Set(1);
    EXPECT_EQ(Load(WriteImage(6)), 0u);
    EXPECT_TRUE(FlashHoldsImage());
    EXPECT_EQ(AfterBeginDownload().count(Header(0x1D000800)), 1);
    EXPECT_EQ(StatusCount("Retry 1 successful at address 0x1D000A00, 517 fill bytes"), 1);
    EXPECT_TRUE(
        notify.verbose.contains("Packet for 0x1D000800: its acknowledgement came late, during the resynchronisation"));
}
