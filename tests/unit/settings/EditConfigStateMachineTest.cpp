// The edit-configuration sequence against the simulated amplifier in virtual time: what goes on
// the wire, what reaches the model, and how it fails.
#include "settings/EditConfigStateMachine.h"
#include "SimHarness.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsText.h"
#include "sim/SimSettings.h"
#include <gtest/gtest.h>

namespace {
class EditConfig : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(harness.Connect());
        completion.results.clear(); // the contact's own
        machine = harness.model->CreateMachine<CEditConfigStateMachine>();
        ASSERT_NE(machine, nullptr);
    }

    DWORD Run(bool write)
    {
        harness.device->ClearLogs();
        EXPECT_TRUE(write ? machine->StartWrite() : machine->StartRead());
        EXPECT_TRUE(harness.RunUntilIdle(*machine));
        return machine->ResultCode();
    }
    void SetPending(SettingId id, const char* text)
    {
        SettingValue value;
        QString message;
        ASSERT_TRUE(SettingsText::Parse(SettingsTable::Info(id), QString::fromLatin1(text), &value, &message));
        SettingsModel::SetPending(*harness.model, id, value);
    }
    QString Current(SettingId id) const
    {
        return SettingsText::Format(SettingsTable::Info(id), SettingsModel::Current(*harness.model, id));
    }
    CSimSettings& Sim() { return harness.device->Feature<CSimSettings>(); }
    QList<QByteArray> Wire() const { return Commands(harness.device->ReceivedLog()); }

    CSimHarness harness;
    CCompletionRecorder completion {*harness.model};
    CEditConfigStateMachine* machine = nullptr;
};
} // namespace

TEST_F(EditConfig, ReadAsksEverySettingInItsOrderAndFillsTheModel)
{
    ASSERT_EQ(Run(false), 0u);
    EXPECT_EQ(Wire(),
        (QList<QByteArray> {";", "^I;", "^aeab;", "^apab;", "^hsab;", "^aa;", "^abAB;", "^xk;", "^bt;", "^stbab;",
            "^stnab;", "^staab;", "^stsab;", "^dh;", "^ip;", "^gw;", "^ma;", "^nm;", "^cp;", "^wl;", "^pf1;",
            "^pf2;"}));
    EXPECT_EQ(Current(SettingId::AntennaEnable), "2,2,2,2,1,1,1,1,1,1,1");
    EXPECT_EQ(Current(SettingId::SwrStop), "3.5,3.5,3.5,3.5,3.5,3.5,3.5,3.5,3.5,3.5,3.0");
    EXPECT_EQ(Current(SettingId::AtuSettingsPerBin), "8,8,8,8,8,8,8,8,8,8,4");
    EXPECT_EQ(Current(SettingId::Banner), "QRO4000");
    EXPECT_EQ(Current(SettingId::NetMac), "00:1E:C0:00:04:D2");
    EXPECT_EQ(Current(SettingId::Pf1), "ATU TUNE");
    EXPECT_FALSE(harness.model->HasUnsavedChanges());
    EXPECT_EQ(harness.model->m_progressPosition.m_value, harness.model->m_progressRange.m_value);
    EXPECT_EQ(completion.results, QList<DWORD> {0});
}

// Nothing changed: only the poll and the identity go out.
TEST_F(EditConfig, TheBannerAloneIsOneWriteAndReadsBack)
{
    ASSERT_EQ(Run(false), 0u);
    ASSERT_EQ(Run(true), 0u);
    EXPECT_EQ(Wire(), (QList<QByteArray> {";", "^I;"}));
    SetPending(SettingId::Banner, "HELLO");
    ASSERT_EQ(Run(true), 0u);
    EXPECT_EQ(harness.device->ReceivedLog(), ";^I;^btHELLO;^bt;");
    EXPECT_EQ(Sim().m_state.banner, "HELLO");
    EXPECT_EQ(Current(SettingId::Banner), "HELLO");
    EXPECT_FALSE(harness.model->HasUnsavedChanges());
}

TEST_F(EditConfig, EverySettingMakesTheRoundTripThroughTheAmplifier)
{
    ASSERT_EQ(Run(false), 0u);
    // clang-format off
    const std::pair<SettingId, const char*> changes[] = {
        {SettingId::AntennaEnable, "0,1,2,0,1,2,0,1,2,0,1"}, {SettingId::AntennaPreferred, "2,2,2,2,2,2,1,1,1,1,0"},
        {SettingId::AtuHiSwrRetune, "0,1,0,1,0,1,0,1,0,1,0"}, {SettingId::AtuModeSwitch, "off"},
        {SettingId::AtuSettingsPerBin, "1,2,3,4,5,6,7,8,9,10,31"}, {SettingId::AtuXcvrKey, "on"},
        {SettingId::Banner, "CQ CONTEST, 73!"}, {SettingId::SwrBypass, "1.0,1.5,2,2.5,3,3.5,4,5,10,50.5,99.9"},
        {SettingId::SwrNoMatch, "2.2"}, {SettingId::SwrRetune, "1.7"}, {SettingId::SwrStop, "4.0"},
        {SettingId::NetDhcp, "off"}, {SettingId::NetIp, "10.0.0.5"}, {SettingId::NetGateway, "10.0.0.1"},
        {SettingId::NetMask, "255.0.0.0"}, {SettingId::NetPort, "65535"}, {SettingId::NetWakeOnLan, "on"},
        {SettingId::Pf1, "TUNE"}, {SettingId::Pf2, "BAND UP"},
    };
    // clang-format on
    for (const auto& [id, text] : changes)
        SetPending(id, text);
    ASSERT_EQ(Run(true), 0u);
    EXPECT_EQ(Wire().size(), 2 + 2 * 19);
    EXPECT_TRUE(Wire().contains("^stbab 010 015 020 025 030 035 040 050 100 505 999;"));
    // A fresh read answers what was written.
    SettingsModel::DiscardPending(*harness.model);
    for (const SettingInfo& info : SettingsTable::All())
        SettingsModel::Store(*harness.model, info.id, SettingValue());
    ASSERT_EQ(Run(false), 0u);
    for (const auto& [id, text] : changes) {
        SettingValue expected;
        QString message;
        SettingsText::Parse(SettingsTable::Info(id), QString::fromLatin1(text), &expected, &message);
        EXPECT_EQ(Current(id), SettingsText::Format(SettingsTable::Info(id), expected)) << text;
    }
}

TEST_F(EditConfig, AnAntennaAnswerOneBandShortIsDroppedUntilTheReadFails)
{
    int asked = 0;
    harness.device->SetCommandHandler("aeab", [&](const QByteArray&) {
        ++asked;
        return QByteArray("^AEAB1111111111;");
    });
    const SettingValue before = SettingsModel::Current(*harness.model, SettingId::AntennaEnable);
    EXPECT_EQ(Run(false), Result::NoAntennaEnableResponse);
    EXPECT_EQ(asked, 10);
    EXPECT_EQ(SettingsModel::Current(*harness.model, SettingId::AntennaEnable), before);
    EXPECT_EQ(Wire().back(), "^aeab;");
    // As after every failed sequence, no device is taken to be in contact.
    EXPECT_EQ(harness.model->m_firmwareStatus.m_value, FirmwareNone);
}

TEST_F(EditConfig, UnansweredOptionalSettingsKeepTheirValuesAndTheReadSucceeds)
{
    Sim().m_noNetwork = true;
    SettingValue ip;
    ip.text = QStringLiteral("172.16.0.9");
    SettingsModel::Store(*harness.model, SettingId::NetIp, ip);
    ASSERT_EQ(Run(false), 0u);
    EXPECT_EQ(Current(SettingId::NetIp), "172.16.0.9");
    EXPECT_FALSE(machine->WasAnswered(SettingId::NetIp));
    EXPECT_TRUE(machine->WasAnswered(SettingId::Pf2));
}

TEST_F(EditConfig, AValueThatWouldEndItsCommandNeverReachesThePort)
{
    ASSERT_EQ(Run(false), 0u);
    SettingValue banner;
    banner.text = QStringLiteral("X;^ec");
    SettingsModel::SetPending(*harness.model, SettingId::Banner, banner);
    SetPending(SettingId::AtuModeSwitch, "off");
    EXPECT_EQ(Run(true), Result::SettingRefused);
    EXPECT_TRUE(harness.device->ReceivedLog().isEmpty());
    EXPECT_TRUE(machine->IsIdle());
    EXPECT_EQ(completion.results.back(), Result::SettingRefused);
    EXPECT_EQ(harness.model->m_firmwareStatus.m_value, FirmwareApplication);
    EXPECT_TRUE(harness.sink.Contains("banner cannot be set"));
}

TEST_F(EditConfig, AValueTheAmplifierKeepsOutOrLeavesUnansweredIsReportedAndStaysPending)
{
    ASSERT_EQ(Run(false), 0u);
    Sim().m_refuseSets = true;
    SetPending(SettingId::Banner, "HELLO");
    SetPending(SettingId::SwrStop, "4.0");
    EXPECT_EQ(Run(true), Result::SettingNotTaken);
    EXPECT_EQ(machine->NotTaken(), (std::vector<SettingId> {SettingId::Banner, SettingId::SwrStop}));
    EXPECT_EQ(Current(SettingId::Banner), "QRO4000");
    EXPECT_EQ(harness.model->m_bannerText.m_pending, "HELLO");
    EXPECT_TRUE(harness.model->HasUnsavedChanges());
    EXPECT_EQ(harness.model->m_firmwareStatus.m_value, FirmwareApplication);
    // An optional setting the amplifier does not answer is not confirmed either.
    Sim().m_refuseSets = false;
    Sim().m_noNetwork = true;
    SettingsModel::DiscardPending(*harness.model);
    SetPending(SettingId::NetPort, "5000");
    EXPECT_EQ(Run(true), Result::SettingNotTaken);
    EXPECT_EQ(machine->NotTaken(), std::vector<SettingId> {SettingId::NetPort});
    EXPECT_EQ(harness.model->m_networkPort.m_pending, "5000");
}

// What the amplifier holds after a set is read back, not guessed from one lost answer.
TEST_F(EditConfig, ALostReadBackIsAskedAgainAndALostLinkLeavesTheSetUnconfirmed)
{
    ASSERT_EQ(Run(false), 0u);
    harness.device->GetFaults().dropAnswerNumber = 3; // ";", "^I;", then the banner's read-back
    SetPending(SettingId::Banner, "HELLO");
    EXPECT_EQ(Run(true), 0u);
    EXPECT_EQ(harness.device->ReceivedLog(), ";^I;^btHELLO;^bt;^bt;");
    EXPECT_TRUE(machine->NotTaken().empty());
    EXPECT_EQ(Current(SettingId::Banner), "HELLO");

    // The port goes as the set arrives: neither taken nor refused, but unknown.
    harness.device->SetCommandHandler("aa", [this](const QByteArray& command) {
        harness.device->GetFaults().unplugged = command != "^aa;";
        return QByteArray();
    });
    SetPending(SettingId::AtuModeSwitch, Current(SettingId::AtuModeSwitch) == "on" ? "off" : "on");
    EXPECT_NE(Run(true), 0u);
    EXPECT_TRUE(machine->NotTaken().empty());
    EXPECT_EQ(machine->Unconfirmed(), std::vector<SettingId> {SettingId::AtuModeSwitch});
}

TEST_F(EditConfig, ABootLoaderIsNotReadAsIfItHadSettings)
{
    // The identity a QRO4000 gives from its boot loader.
    harness.device->SetCommandHandler("i", [](const QByteArray&) { return QByteArray("^Iqro4000;"); });
    EXPECT_EQ(Run(false), Result::UnexpectedDevice);
    EXPECT_EQ(Wire(), (QList<QByteArray> {";", "^I;"}));
}
