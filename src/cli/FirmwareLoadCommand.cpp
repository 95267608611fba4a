#include "cli/CliContext.h"
#include "cli/ConfigCommonCommand.h"
#include "cli/FirmwareCommand.h"
#include "cli/Terminal.h"
#include "cli/MaintenanceCli.h"
#include "config/ConfigBackup.h"
#include "firmware/FileNameParts.h"
#include "firmware/FirmwareFiles.h"
#include "firmware/FirmwareLoadPlan.h"
#include "firmware/FirmwareStringIds.h"
#include "firmware/McuLoaderStateMachine.h"
#include "firmware/RevisionOrder.h"
#include "model/DeviceName.h"
#include "model/ErrorText.h"
#include "model/FolderInUse.h"
#include "model/RevisionText.h"
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>

namespace {
// The loader's trace lines (its status lines reach the terminal through the model already).
class CTraceToTerminal : public IStatusSink {
public:
    explicit CTraceToTerminal(CCliContext& context)
        : m_context(context)
    {
    }
    void OnStatusLine(Kind kind, const QString& text) override
    {
        if (kind == Kind::Trace)
            m_context.Err(text);
    }

private:
    CCliContext& m_context;
};

// The progress bar: packets sent of all, retries so far and the time left at the pace so far.
class CLoadProgress : public IEventSink {
public:
    CLoadProgress(CCliContext& context, CMcuLoaderStateMachine& machine)
        : m_context(context)
        , m_machine(machine)
    {
        m_context.Model().m_progressPosition.AddObserver(this);
    }
    ~CLoadProgress() { m_context.Model().m_progressPosition.RemoveObserver(this); }

    void OnEvent(std::uint32_t, std::uintptr_t, std::intptr_t) override
    {
        CModel& model = m_context.Model();
        const DWORD position = model.m_progressPosition.m_value;
        const DWORD range = model.m_progressRange.m_value;
        constexpr DWORD kUnitsPerPacket = LoaderPacket::kDataSize / CMcuLoaderStateMachine::kProgressUnit;
        if (!m_clock.isValid()) {
            m_clock.start();
            m_startPosition = position;
        }
        QString left = QStringLiteral("--:--");
        const qint64 elapsed = m_clock.elapsed();
        if (position > m_startPosition && elapsed > 0) {
            const qint64 seconds = elapsed * (range - position) / (position - m_startPosition) / 1000;
            left = QStringLiteral("%1:%2").arg(seconds / 60, 2, 10, QChar('0')).arg(seconds % 60, 2, 10, QChar('0'));
        }
        m_context.ShowProgress(FormatResource(IDS_FW_CLI_PROGRESS, position / kUnitsPerPacket, range / kUnitsPerPacket,
                                   m_machine.RetryCount(), left),
            position, range);
    }

private:
    CCliContext& m_context;
    CMcuLoaderStateMachine& m_machine;
    QElapsedTimer m_clock;
    DWORD m_startPosition = 0;
};

} // namespace

int RunFirmwareLoad(CCliContext& context, const CCliArguments& arguments)
{
    const bool backup = !arguments.Has("--no-backup");
    const bool downgrade = arguments.Has("--downgrade");
    const QString given = arguments.Positional(0);
    CModel& model = context.Model();
    QElapsedTimer elapsed;
    elapsed.start();

    CRevisionedFileName file;
    if (!given.isEmpty()) {
        file = FileNameParts::Revisioned(QFileInfo(given).absoluteFilePath());
        if (!CFirmwareFiles::IsFirmwareFile(file.m_fileName) || file.m_revision == 0)
            context.Err(FormatResource(IDS_FW_CLI_NOT_A_FIRMWARE_NAME, FileNameParts::Name(file.m_fileName)));
    } else {
        QString note;
        const QString folder
            = FolderInUse::Choose(model.m_firmwareFolder.m_value, model.DefaultFirmwareFolder(), &note);
        if (!note.isEmpty())
            context.Err(note);
        CFirmwareFiles files;
        files.ScanFolder(folder);
        if (!files.HasFirmwareFile()) {
            context.Err(ResourceString(IDS_FW_FILE_MISSING));
            context.Err(FormatResource(IDS_FW_CLI_FOLDER, folder));
            return ExitFailure;
        }
        file = files.FirmwareFile();
    }

    // The whole file is read and checked as the loader will read it before the amplifier is
    // even contacted: a file that cannot be loaded, or has nothing to load, fails at once.
    if (const QString damaged = FirmwareLoadPlan::CheckImage(file.m_fileName); !damaged.isEmpty()) {
        context.Err(damaged);
        return ExitFailure;
    }

    const DWORD contact = context.Connect();
    // Another device is named by the contact and refused below.
    if (contact != Result::UnexpectedDevice && (contact != 0 || model.m_firmwareStatus.m_value == FirmwareNone)) {
        context.Err(FormatResource(IDS_NOT_RESPONDING, ProductName()));
        return context.ReportFailure(contact ? contact : Result::NoIdentifyResponse);
    }
    if (const QString refused = FirmwareLoadPlan::CheckDevice(model); !refused.isEmpty()) {
        context.Err(refused);
        return ExitFailure;
    }
    const bool application = model.m_firmwareStatus.m_value == FirmwareApplication;
    const QString installed
        = application ? RevisionText(model.m_firmwareRevision.m_value) : ResourceString(IDS_FW_REVISION_MISSING);
    // Going back to an older revision must be meant: --yes answers every question of a script,
    // so only --downgrade, or the user at the terminal, lets an older file through.
    if (FirmwareLoadPlan::IsDowngrade(model, file) && !downgrade) {
        if (context.GetOptions().yes || !Terminal::StdinIsTerminal()) {
            context.Err(FirmwareLoadPlan::DowngradeRefused(model, file));
            return ExitFailure;
        }
        if (!context.AskYesNo(IUserPrompt::Icon::Warning, FirmwareLoadPlan::DowngradeCaption(),
                FirmwareLoadPlan::DowngradeQuestion(model, file))) {
            context.Err(ResourceString(IDS_FW_CLI_NOT_CONFIRMED));
            return ExitFailure;
        }
    }
    if (!context.AskYesNo(IUserPrompt::Icon::Question, ResourceString(IDS_FW_CLI_CONFIRM_CAPTION),
            FormatResource(IDS_FW_CLI_CONFIRM, FileNameParts::Name(file.m_fileName), RevisionText(file.m_revision),
                ProductName(), context.PortName(), installed))) {
        context.Err(ResourceString(IDS_FW_CLI_NOT_CONFIRMED));
        return ExitFailure;
    }

    // A new firmware may reset settings; a unit waiting in its boot loader has no
    // configuration to read (the question is not asked then).
    if (FirmwareLoadPlan::OffersBackup(model)) {
        const BackupOffer::Texts texts
            = FirmwareLoadPlan::BackupTexts(ConfigBackup::FileName(model, QDateTime::currentDateTime()), false);
        int exitStatus = ExitFailure;
        if (!MaintenanceCli::BackupFirst(
                context, backup, texts, {IDS_FW_BACKUP_FAILED, IDS_FW_CLI_USE_NO_BACKUP, true}, &exitStatus))
            return exitStatus;
    }

    model.m_firmwareFile.Set(file);
    auto* machine = model.CreateMachine<CMcuLoaderStateMachine>();
    if (!machine) {
        context.Err(FormatResource(IDS_FW_BUSY, ProductName()));
        return ExitFailure;
    }
    CTraceToTerminal trace(context);
    DWORD result = 0;
    {
        CLoadProgress progress(context, *machine);
        if (machine->StartLoad(&trace))
            result = context.RunUntilIdle(*machine);
        else
            result = machine->ResultCode();
        context.EndProgress();
    }
    if (machine->TotalRetries() != 0) {
        context.Out(FormatResource(IDS_FW_TOTAL_RETRIES, machine->TotalRetries()));
        context.Out(FormatResource(IDS_FW_HIGHEST_RETRIES, machine->HighestRetries()));
    }
    if (result == 0)
        result = machine->VerifyRevision(true);
    if (result != 0) {
        const int exitCode = context.ReportFailure(result);
        // A load stopped with Ctrl+C failed no verification: the loader has said what comes next.
        if (result != Result::UnexpectedDevice && result != Result::RevisionVerifyFailed && result != Result::Cancelled)
            context.Err(FormatResource(IDS_FW_VERIFICATION_FAILED, ProductName(), ProductName()));
        return exitCode;
    }
    // A file name without a revision was not compared: the revision it runs has been reported.
    if (file.m_revision != 0)
        context.Out(FormatResource(IDS_FW_VERIFICATION_SUCCEEDED, ProductName()));
    context.Out(FormatResource(IDS_FW_LOAD_COMPLETE, ProductName()));
    context.Out(FormatResource(IDS_ELAPSED_TIME, static_cast<unsigned>((elapsed.elapsed() + 500) / 1000)));
    return ExitSuccess;
}
