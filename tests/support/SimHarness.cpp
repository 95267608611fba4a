#include "SimHarness.h"

bool CRecordingSink::Contains(const QString& fragment) const
{
    for (const QStringList* list : {&status, &verbose, &trace, &messages, &questions})
        for (const QString& line : *list)
            if (line.contains(fragment))
                return true;
    return false;
}

CSimDevice::Options CSimHarness::DefaultOptions()
{
    CSimDevice::Options options;
    options.speed = 38400;
    options.pace = false;
    return options;
}

CSimHarness::CSimHarness(const CSimDevice::Options& options)
{
    device = std::make_shared<CSimDevice>(host, options);
    model = std::make_unique<CModel>(host, std::make_unique<CQtSettingsStore>(dir.filePath("settings.ini")));
    model->SetApplicationDataFolder(dir.filePath("appdata"));
    model->SetPortFactory([this](const QString& name) -> std::unique_ptr<ISerialPort> {
        if (name != QLatin1String("SIM"))
            return nullptr;
        return std::make_unique<CSimPort>(host, device);
    });
    model->SetStatusSink(&sink);
    model->SetUserPrompt(&sink);
}

CSimHarness::~CSimHarness()
{
    model.reset();
}

bool CSimHarness::Connect()
{
    model->m_port.Set(QStringLiteral("SIM"));
    IContactStateMachine* contact = model->ContactMachine();
    contact->StartContact();
    if (!RunUntilIdle(*contact))
        return false;
    return contact->ResultCode() == 0 && model->m_firmwareStatus.m_value != FirmwareNone;
}

bool CSimHarness::RunUntilIdle(IStateMachine& machine, std::uint64_t limitMs)
{
    return host.RunUntil([&]() { return machine.IsIdle(); }, limitMs);
}

void CCompletionRecorder::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t)
{
    if (eventId != 0x801D)
        return;
    results.append(static_cast<DWORD>(index));
    if (m_clock)
        times.append(m_clock->Now());
}

QList<QByteArray> Commands(const QByteArray& log)
{
    QList<QByteArray> commands;
    for (qsizetype start = 0, end; (end = log.indexOf(';', start)) >= 0; start = end + 1)
        commands << log.mid(start, end - start + 1);
    return commands;
}

QList<QByteArray> CommandsStartingWith(const QByteArray& log, const QByteArray& prefix)
{
    QList<QByteArray> out;
    for (const QByteArray& c : Commands(log))
        if (c.startsWith(prefix))
            out.append(c);
    return out;
}
