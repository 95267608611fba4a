// The telemetry of the poll cycles: InfluxDB lines byte for byte, and the session summary of a
// scripted run on the simulated amplifier in virtual time.
#include "SimHarness.h"
#include "operate/InfluxLine.h"
#include "operate/OperateStateMachine.h"
#include "operate/SessionSummary.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <gtest/gtest.h>

// Snapshots are written with the readings they have: the others stay absent.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// InfluxDB's line protocol: measurement[,tag=value...] field=value[,field=value...] timestamp; a
// backslash escapes a space, comma or equals sign in a tag, a quote or backslash in a string field.
TEST(InfluxLine, EveryLineIsEscapedForTheLineProtocol)
{
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(Q_INT64_C(1796000000123), QTimeZone::utc());
    const OperateSnapshot full {.at = at,
        .display = QStringLiteral("OPER \"14\" \\ANT1\r\nFAULT 91"),
        .forwardW = 1200u,
        .swrTenths = 13u,
        .paVoltageMv = 48950u,
        .frequencyKhz = 0u /* nothing measured */,
        .band = 3,
        .operate = false,
        .faultCode = 0x91u};
    const InfluxLine::Tags odd {
        {QStringLiteral("st ation,a=b"), QStringLiteral("ro of\\,=")}, {QStringLiteral("x"), {}}};
    EXPECT_EQ(InfluxLine::Line(full, odd),
        R"(qro4000,st\ ation\,a\=b=ro\ of\\\,\= forward_w=1200i,swr=1.3,pa_voltage_v=49.0,band_mhz=7,operate=false,)"
        R"(fault=145i,fault_name="HIGH SWR",display="OPER \"14\" \\ANT1 | FAULT 91" 1796000000123000000)");
    EXPECT_EQ(InfluxLine::Line({.at = at, .powerOn = false}, InfluxLine::AmplifierTags(1234)),
        "qro4000,serial=1234 power=false 1796000000123000000");
    // A cycle that read nothing makes no line, not a line without fields.
    EXPECT_TRUE(InfluxLine::Line({.at = at}).isEmpty());
}

TEST(SessionSummary, ScriptedRunGivesItsKnownPeaksTimesAndFaults)
{
    CSimHarness harness;
    ASSERT_TRUE(harness.Connect());
    // Each cycle's answers: forward W, SWR in tenths, degrees C, operate, fault code, band.
    struct Step {
        int forward, swr, temperature, operate, fault, band;
    };
    const Step script[] = {
        {0, 45, 30, 1, 0x00, 5}, // not on the air: its SWR is no transmit SWR
        {800, 15, 33, 1, 0x00, 5},
        {1450, 18, 41, 1, 0x00, 3}, // the peak power and the worst SWR, on 7 MHz
        {5, 30, 45, 0, 0x91, 3}, // the hottest, and a fault: below 10 W is not transmitting
        {0, 0, 44, 0, 0x91, 3}, // the same fault still shown: listed once
        {1200, 12, 40, 1, 0x00, 5},
        {900, 17, 39, 1, 0x20, 5},
    };
    std::size_t step = 0;
    for (const auto& [name, field] : {std::pair {"pwf", &Step::forward}, {"sw", &Step::swr}, {"tm", &Step::temperature},
             {"os", &Step::operate}, {"fl", &Step::fault}, {"bn", &Step::band}})
        harness.device->SetCommandHandler(name, [&, name, field](const QByteArray&) {
            const int value = script[step].*field;
            return '^' + QByteArray(name).toUpper()
                + (field == &Step::fault ? QByteArray::number(value + 0x100, 16).right(2).toUpper()
                                         : QByteArray::number(value))
                + ';';
        });
    COperateStateMachine* machine = harness.model->CreateMachine<COperateStateMachine>();
    ASSERT_NE(machine, nullptr);
    const QDateTime start = QDateTime::fromSecsSinceEpoch(1796000000, QTimeZone(3600));
    CSessionSummary summary;
    const std::uint64_t begin = harness.host.Now();
    summary.Start(start, begin);
    std::uint64_t last = begin;
    std::uint64_t transmitMs = 0, operateMs = 0;
    std::vector<QString> faultTimes;
    for (step = 0; step < std::size(script); ++step) {
        harness.host.Advance(1000);
        ASSERT_TRUE(machine->StartPoll());
        ASSERT_TRUE(harness.RunUntilIdle(*machine));
        ASSERT_EQ(machine->ResultCode(), 0u);
        const std::uint64_t now = harness.host.Now();
        const QDateTime at = start.addMSecs(static_cast<qint64>(now));
        summary.Add(OperateSnapshots::Take(*harness.model, at, now));
        const std::uint64_t span = step > 0 ? now - last : 0; // the first cycle only marks the start
        transmitMs += script[step].forward >= 10 ? span : 0;
        operateMs += script[step].operate ? span : 0;
        if (step == 3 || step == 6)
            faultTimes.push_back(at.toString(Qt::ISODate));
        last = now;
    }
    harness.host.Advance(500);
    const std::uint64_t end = harness.host.Now();
    const QJsonObject json = QJsonDocument::fromJson(summary.Json(start.addMSecs(qint64(end)), end)).object();
    EXPECT_EQ(json["duration_s"].toDouble(), (end - begin) / 1000.0);
    EXPECT_EQ(json["transmit_s"].toDouble(), transmitMs / 1000.0);
    EXPECT_EQ(json["operate_s"].toDouble(), operateMs / 1000.0);
    EXPECT_EQ(json["poll_cycles"].toInt(), 7);
    EXPECT_EQ(json["peak_forward_w"].toInt(), 1450);
    EXPECT_EQ(json["max_swr"].toDouble(), 1.8);
    EXPECT_EQ(json["max_swr_band_mhz"].toDouble(), 7.0);
    EXPECT_EQ(json["max_temperature_c"].toInt(), 45);
    EXPECT_EQ(json["faults"].toArray(),
        QJsonArray({QJsonObject {{"time", faultTimes[0]}, {"code", 0x91}, {"name", "HIGH SWR"}},
            QJsonObject {{"time", faultTimes[1]}, {"code", 0x20}, {"name", "PA CURRENT"}}}));

    // Paused (the page hidden), the time does not count; a new stretch starts its own counting.
    summary.Pause(start, end);
    harness.host.Advance(60000);
    summary.Start(start, harness.host.Now());
    EXPECT_EQ(summary.DurationMs(harness.host.Now() + 250), end - begin + 250);
}

TEST(SessionSummary, AnAmplifierTrippingAllNightListsABoundedNumberOfFaults)
{
    CSessionSummary summary;
    summary.Start(QDateTime::currentDateTime(), 0);
    OperateSnapshot s;
    for (unsigned i = 0; i < 2 * CSessionSummary::kMaxListedFaults + 10; ++i) {
        s.faultCode = i % 2 ? 0x91 : 0x00; // tripped, reset, tripped again...
        summary.Add(s);
    }
    EXPECT_EQ(summary.Faults().size(), CSessionSummary::kMaxListedFaults);
    EXPECT_EQ(summary.FaultsNotListed(), 5u);
    EXPECT_TRUE(summary.Text(0).endsWith("and 5 more faults, not listed"));
}
