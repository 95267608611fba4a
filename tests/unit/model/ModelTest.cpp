// The model's own operations: the device table, lost contact, unsaved edits, the SWR
// threshold group and the speed commands.
#include "model/Model.h"
#include "RowName.h"
#include "link/VirtualEventHost.h"
#include "model/QtSettingsStore.h"
#include "model/WaitCursor.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
using ::operator<<;
class ModelTest : public ::testing::Test {
protected:
    ModelTest()
        : model(host, std::make_unique<CQtSettingsStore>(dir.filePath("s.ini")))
    {
    }
    QTemporaryDir dir;
    CVirtualEventHost host;
    CModel model;
};

struct IdentifyCase {
    const char* name;
    const char* response;
    bool found;
    int device;
    int kind;
};
} // namespace

class Identify : public ModelTest, public ::testing::WithParamInterface<IdentifyCase> { };

TEST_P(Identify, SearchOrderAndKind)
{
    const IdentifyCase& c = GetParam();
    model.m_device.Set(CModelBase::DeviceATU800);
    int kind = -1;
    EXPECT_EQ(model.IdentifyDevice(c.response, &kind), c.found);
    EXPECT_EQ(model.m_device.m_value, c.found ? c.device : CModelBase::DeviceATU800);
    EXPECT_EQ(kind, c.found ? c.kind : -1);
}

INSTANTIATE_TEST_SUITE_P(Responses, Identify,
    ::testing::Values(IdentifyCase {"Qro4000Application", "^IQRO4000;", true, 15, 3},
        IdentifyCase {"Qro4000BootLoader", "^Iqro4000;", true, 15, 2},
        IdentifyCase {"EarlierEntryOfTheTableWins", "^I RX5 QRO4000;", true, 2, 2},
        IdentifyCase {"AnotherAmplifier", "^IQRO800;", true, 3, 2},
        IdentifyCase {"MixedCaseIsNoDevice", "^IQrO4000;", false, 0, 0},
        IdentifyCase {"PollAnswerIsNoDevice", ";", false, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModelTest, UnsavedChangesFollowEveryPendingValue)
{
    EXPECT_FALSE(model.HasUnsavedChanges());
    model.m_swrThresholdStop.m_pending[10] = 25;
    EXPECT_TRUE(model.HasUnsavedChanges());
    model.m_swrThresholdStop.Set(10, 25);
    EXPECT_FALSE(model.HasUnsavedChanges());
    model.m_networkGateway.m_pending = "192.0.2.1";
    EXPECT_TRUE(model.HasUnsavedChanges());
}

TEST_F(ModelTest, SpeedCommands)
{
    const std::pair<DWORD, const char*> cases[] = {{4800, "^BR0;"}, {9600, "^BR1;"}, {19200, "^BR2;"}, {38400, "^BR3;"},
        {57600, "^BR4;"}, {115200, "^BR5;"}, {230400, "^BR6;"}, {14400, ""}};
    for (const auto& [speed, command] : cases)
        EXPECT_EQ(CModelBase::SpeedCommand(speed), QByteArray(command)) << speed;
    // Only while the application runs.
    EXPECT_FALSE(model.ChangeSpeed(38400));
}

namespace {
class CCursorOwner : public CWaitCursorE<CCursorOwner> {
public:
    void ApplyWaitCursor(bool on) { changes.push_back(on); }
    std::vector<bool> changes;
};
} // namespace

TEST(WaitCursor, NestedWaitsRestoreTheCursorOnlyAtTheLastEnd)
{
    CCursorOwner owner;
    owner.BeginWait();
    owner.BeginWait();
    owner.EndWait();
    EXPECT_EQ(owner.changes, (std::vector<bool> {true}));
    owner.EndWait();
    EXPECT_EQ(owner.changes, (std::vector<bool> {true, false}));
    owner.EndWait(); // unbalanced: ignored
    EXPECT_EQ(owner.WaitCount(), 0u);
}
