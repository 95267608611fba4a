#include "cli/CliContext.h"
#include "cli/FirmwareCommand.h"
#include "firmware/download/DownloadStringIds.h"
#include "firmware/download/FirmwareDownload.h"
#include "model/StringTable.h"
#include <QEventLoop>
#include <QTimer>

namespace {
// The download's lines on standard error (details with --verbose), its progress as a bar.
class CCliDownloadSink : public IFirmwareDownloadSink {
public:
    explicit CCliDownloadSink(CCliContext& context)
        : m_context(context)
    {
    }
    void OnDownloadLine(Line kind, const QString& text) override
    {
        if (kind == Line::Detail && !m_context.GetOptions().verbose)
            return;
        QString line = text;
        line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        m_context.Err(line);
    }
    void OnDownloadProgress(qint64 received, qint64 total) override
    {
        if (m_download && total > 0)
            m_context.ShowProgress(FormatResource(IDS_DL_CLI_PROGRESS, m_download->CurrentName()),
                static_cast<DWORD>(received), static_cast<DWORD>(total));
    }
    void OnDownloadFinished(DWORD) override
    {
        m_context.EndProgress();
        m_finished = true;
    }

    CCliContext& m_context;
    const CFirmwareDownload* m_download = nullptr;
    bool m_finished = false;
};
} // namespace

int RunFirmwareDownload(CCliContext& context, const CCliArguments& arguments)
{
    CModel& model = context.Model();
    const QString server = arguments.Value("--server", model.m_fileServer.m_value);
    const QString folder = arguments.Value("--folder", model.m_firmwareFolder.m_value);

    CCliDownloadSink sink(context);
    CFirmwareDownload download(&sink);
    sink.m_download = &download;
    download.Start(server, folder);
    if (!sink.m_finished) {
        QEventLoop loop;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            // Ctrl+C ends the file in flight at once; nothing partial is left in the folder.
            if (context.Interrupted() && download.IsInFlight())
                download.Cancel();
            if (sink.m_finished)
                loop.quit();
        });
        tick.start(5);
        loop.exec();
    }
    // Standard output lists what was put in the folder, one path a line, for scripts.
    for (const QString& path : download.CopiedFiles())
        context.Out(path);
    if (download.ResultCode() != 0)
        return context.ReportFailure(download.ResultCode());
    return ExitSuccess;
}
