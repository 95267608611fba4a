// Observable values: synchronous notification in attachment order, no duplicate observers,
// out-of-range elements ignored, pending copies.
#include "model/EventSource.h"
#include "model/ObservableArrayPending.h"
#include "model/ObservableValuePending.h"
#include "model/Types.h"
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {
struct Call {
    int observer;
    std::uint32_t id;
    std::uintptr_t index;
    bool operator==(const Call&) const = default;
};

class CLogSink : public IEventSink {
public:
    CLogSink(int id, std::vector<Call>* log)
        : m_id(id)
        , m_log(log)
    {
    }
    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t) override
    {
        m_log->push_back({m_id, eventId, index});
        if (onEvent)
            onEvent();
    }
    std::function<void()> onEvent;

private:
    int m_id;
    std::vector<Call>* m_log;
};
} // namespace

TEST(Observable, ObserversAreCalledOnceEachInOrderEvenForTheSameValueAndNotOnceRemoved)
{
    std::vector<Call> log;
    CLogSink a(1, &log), b(2, &log), c(3, &log);
    CObservableValue<int> value(0x8066, 5);
    EXPECT_TRUE(value.AddObserver(&a));
    EXPECT_TRUE(value.AddObserver(&a)); // attached twice: one entry
    EXPECT_EQ(value.ObserverCount(), 1u);
    value.AddObserver(&b);
    value.Set(5); // the same value still notifies, in attachment order
    EXPECT_EQ(log, (std::vector<Call> {{1, 0x8066, 0}, {2, 0x8066, 0}}));
    log.clear();
    value.AddObserver(&c);
    value.RemoveObserver(&a);
    value.RemoveObserver(&a); // not attached any more: ignored
    b.onEvent = [&]() { value.RemoveObserver(&c); }; // removed during the notification
    value.Set(1);
    EXPECT_EQ(log, (std::vector<Call> {{2, 0x8066, 0}}));
}

TEST(Observable, SetFromTheAmplifierReplacesAnUnappliedEditElementByElement)
{
    CObservableValuePending<CString> banner(0x8138);
    banner.m_pending = "EDITED";
    EXPECT_TRUE(banner.HasUnsavedChange());
    banner.Set("FROM AMP");
    EXPECT_FALSE(banner.HasUnsavedChange());
    EXPECT_EQ(banner.m_pending, "FROM AMP");
    CObservableArrayPending<WORD, 11> thresholds(0x8169);
    thresholds.m_pending[3] = 30;
    thresholds.m_pending[4] = 40;
    thresholds.Set(3, 30);
    EXPECT_TRUE(thresholds.HasUnsavedChange()); // element 4 still differs
    thresholds.Set(4, 40);
    EXPECT_FALSE(thresholds.HasUnsavedChange());
    // Element 10 notifies; there is no element 11.
    std::vector<Call> log;
    CLogSink a(1, &log);
    thresholds.AddObserver(&a);
    thresholds.Set(11, 1);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(thresholds.HasUnsavedChange());
    thresholds.Set(10, 7);
    EXPECT_EQ(log, (std::vector<Call> {{1, 0x8169, 10}}));
    EXPECT_EQ(thresholds[10], 7);
}
