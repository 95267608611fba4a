// The model's own operations: the device table, lost contact, unsaved edits, the SWR
// threshold group and the speed commands.
#include "model/Model.h"
#include "link/VirtualEventHost.h"
#include "model/QtSettingsStore.h"
#include "model/WaitCursor.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
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

} // namespace

// The first entry of the device table found in the answer names the device; the case of its
// name tells the application (upper) from the boot loader (lower).
TEST_F(ModelTest, IdentifySearchOrderAndKind)
{
    const struct {
        const char* response;
        bool found;
        int device, kind;
    } rows[] = {{"^IQRO4000;", true, 15, 3}, {"^Iqro4000;", true, 15, 2}, {"^I RX5 QRO4000;", true, 2, 2},
        {"^IQRO800;", true, 3, 2}, {"^IQrO4000;", false, 0, 0}, {";", false, 0, 0}};
    for (const auto& r : rows) {
        model.m_device.Set(CModelBase::DeviceATU800);
        int kind = -1;
        EXPECT_EQ(model.IdentifyDevice(r.response, &kind), r.found) << r.response;
        EXPECT_EQ(model.m_device.m_value, r.found ? r.device : CModelBase::DeviceATU800) << r.response;
        EXPECT_EQ(kind, r.found ? r.kind : -1) << r.response;
    }
}

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
