// Wire time of the edit-configuration sequences: reading every setting, writing the banner
// alone, and writing every setting, through a real serial port object and qro4000-sim on a
// pseudo-terminal that paces both directions at the line's bit rate. Each query waits for its
// answer before the next goes out, so the time is the line time of the bytes plus one turn
// (the amplifier's answer delay and the program's reaction) per exchange; the table gives both.
//
//   bench_settings_wire --sim PATH [--baud 38400] [--delay MS]
#include "WireBench.h"
#include "model/ContactStateMachineInterface.h"
#include "link/QtEventHost.h"
#include "model/QtSettingsStore.h"
#include "settings/EditConfigStateMachine.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsText.h"
#include "sim/PortFactory.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void Change(CModel& model, SettingId id, const char* text)
{
    SettingValue value;
    QString message;
    SettingsText::Parse(SettingsTable::Info(id), QString::fromLatin1(text), &value, &message);
    SettingsModel::SetPending(model, id, value);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CWireBenchOptions options {{}, 38400, QStringLiteral("1")};
    if (!ParseWireBenchOptions(app.arguments(), &options)) {
        std::fprintf(stderr, "usage: bench_settings_wire --sim PATH [--baud 38400] [--delay MS]\n");
        return 2;
    }
    const QString& simPath = options.simPath;
    const DWORD baud = options.baud;
    const QString& delay = options.delay;
    QProcess sim;
    const QString pty = StartSimulator(
        sim, simPath, {"--baud", QString::number(baud), "--pace", "--delay", delay}, "bench_settings_wire");
    if (pty.isEmpty())
        return 1;

    QTemporaryDir dir;
    CQtEventHost host;
    CModel model(host, std::make_unique<CQtSettingsStore>(dir.filePath("settings.ini")));
    CCountingPort* counter = nullptr;
    model.SetPortFactory([&](const QString& name) -> std::unique_ptr<ISerialPort> {
        auto port = std::make_unique<CCountingPort>(CreatePort(name, host));
        counter = port.get();
        return port;
    });
    if (!ContactAmplifier(model, pty, "bench_settings_wire")) {
        return 1;
    }

    auto* machine = model.CreateMachine<CEditConfigStateMachine>();
    int status = 0;
    auto run = [&](const char* name, bool write) {
        counter->sent = counter->received = counter->writes = 0;
        QElapsedTimer clock;
        clock.start();
        write ? machine->StartWrite() : machine->StartRead();
        RunUntil([&] { return machine->IsIdle(); }, 60000);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        const double line = static_cast<double>(counter->sent + counter->received) * 10.0 / baud;
        const DWORD result = machine->ResultCode();
        status |= result != 0;
        std::printf("%-10s %7u %6llu %6llu %9llu %9.3f %9.3f %11.2f%s\n", name, baud,
            static_cast<unsigned long long>(counter->sent), static_cast<unsigned long long>(counter->received),
            static_cast<unsigned long long>(counter->writes), seconds, line,
            (seconds - line) * 1000.0 / static_cast<double>(counter->writes), result == 0 ? "" : "  FAILED");
    };
    run("read all", false);
    Change(model, SettingId::Banner, "BENCH");
    run("banner", true);
    const std::pair<SettingId, const char*> all[]
        = {{SettingId::AntennaEnable, "0"}, {SettingId::AntennaPreferred, "2"}, {SettingId::AtuHiSwrRetune, "0"},
            {SettingId::AtuModeSwitch, "off"}, {SettingId::AtuSettingsPerBin, "31"}, {SettingId::AtuXcvrKey, "on"},
            {SettingId::Banner, "ALL"}, {SettingId::SwrBypass, "9.9"}, {SettingId::SwrNoMatch, "8.8"},
            {SettingId::SwrRetune, "7.7"}, {SettingId::SwrStop, "6.6"}, {SettingId::NetDhcp, "off"},
            {SettingId::NetGateway, "10.0.0.1"}, {SettingId::NetIp, "10.0.0.2"}, {SettingId::NetMask, "255.0.0.0"},
            {SettingId::NetPort, "999"}, {SettingId::NetWakeOnLan, "on"}, {SettingId::Pf1, "A"}, {SettingId::Pf2, "B"}};
    for (const auto& [id, text] : all)
        Change(model, id, text);
    run("write all", true);
    machine->Release();
    model.ClosePort();
    sim.terminate();
    sim.waitForFinished(3000);
    return status;
}
