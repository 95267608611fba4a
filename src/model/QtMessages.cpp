#include "model/QtMessages.h"
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cstdio>

namespace {
std::atomic<bool> g_show {false};

void OnQtMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtFatalMsg || g_show)
        std::fprintf(stderr, "Qt: %s\n", text.toLocal8Bit().constData());
}
} // namespace

void KeepQtMessagesOffTheTerminal(bool show)
{
    g_show = show;
    qInstallMessageHandler(OnQtMessage);
}
