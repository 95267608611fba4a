// Makes the README's pictures: the main window's pages on the built-in simulated amplifier, the
// Edit Configuration sheet, the fault table and the backup question, as a new user sees them.
// Runs on Qt's offscreen platform with a 1600x1000 screen, with settings and data folders in a
// temporary directory, so the user's own are never read or changed.
//
//   qro4000-screenshots FOLDER      writes FOLDER/<name>.png and says what it wrote
#include "app/CommandTesterPage.h"
#include "app/MainFrame.h"
#include "app/TabView.h"
#include "app/ConfigPage.h"
#include "firmware/ui/FirmwarePage.h"
#include "model/ContactStateMachineInterface.h"
#include "maintenance/MaintenanceStringIds.h"
#include "ui/ConfigBackupOffer.h"
#include "maintenance/ui/FaultTableDlg.h"
#include "operate/ui/HistoryChart.h"
#include "settings/ui/EditConfigSheet.h"
#include "sim/SimFirmwareImage.h"
#include "ui/OutputWindow.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {
constexpr int kWaitMs = 60000;

bool Save(QWidget* window, const QString& folder, const char* name)
{
    const QString path = QDir(folder).filePath(QLatin1String(name) + QStringLiteral(".png"));
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "qro4000-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Waits until `ready` holds; says which picture it gave up on otherwise.
bool WaitFor(const char* name, const std::function<bool()>& ready)
{
    if (QTest::qWaitFor(ready, kWaitMs))
        return true;
    std::fprintf(stderr, "qro4000-screenshots: %s did not come to show anything in %d s\n", name, kWaitMs / 1000);
    return false;
}

// The modal window open now, if any.
QWidget* ModalWindow()
{
    QWidget* modal = QApplication::activeModalWidget();
    return modal && modal->isVisible() ? modal : nullptr;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: qro4000-screenshots FOLDER\n");
        return 2;
    }
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const QString root = home.path();
    for (const char* folder : {"config", "data", "runtime", "settings"})
        QDir(root).mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(root + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + "/runtime"));
    qputenv("QRO4000_SIM", "baud=38400,pace=0");
    // A screen large enough for every window at its own size.
    QFile screens(root + "/screens.json");
    if (!screens.open(QIODevice::WriteOnly)
        || screens.write(R"({"screens":[{"name":"shots","x":0,"y":0,"width":1600,"height":1000,"logicalDpi":96}]})")
            < 0)
        return 1;
    screens.close();
    qputenv("QT_QPA_PLATFORM", QFile::encodeName("offscreen:configfile=" + screens.fileName()));
    QApplication application(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root + "/settings");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root + "/settings");

    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "qro4000-screenshots: cannot make the folder %s\n", qPrintable(folder));
        return 1;
    }

    // The Port page reports the search it was asked for in a box of its own; such boxes are
    // closed as they come (and said), up to the backup question, which is pictured.
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(ModalWindow())) {
            std::fprintf(stderr, "qro4000-screenshots: closed \"%s\": %s\n", qPrintable(box->windowTitle()),
                qPrintable(box->text()));
            box->close();
        }
    });
    dismiss.start(100);
    CMainFrame frame(QStringLiteral("SIM"));
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame)
        || !WaitFor("the contact", [&] { return frame.Model().m_firmwareStatus.m_value == FirmwareApplication; }))
        return 1;
    // A newer revision in the firmware folder, as after "Copy New Files from Brimwell".
    QFile image(QDir(frame.Model().m_firmwareFolder.m_value).filePath(QStringLiteral("qro4000fw0154.hex")));
    if (!QDir().mkpath(frame.Model().m_firmwareFolder.m_value) || !image.open(QIODevice::WriteOnly)
        || image.write(SimFirmwareImage::MakeHexImage(154)) < 0)
        return 1;
    image.close();

    auto* firmware = frame.findChild<CFirmwarePage*>();
    auto* history = frame.findChild<CHistoryChart*>();
    CCommandTesterPage* tester = frame.CommandTesterPage();
    // Each page once it has something to show; the Operate page once its history holds ten
    // points (20 s of polling) and the simulated amplifier is transmitting (it rests 10 s of
    // every 30).
    struct Page {
        int index;
        const char* name;
        std::function<bool()> ready; // empty: shown as soon as selected
    };
    const Page pages[] = {
        {CTabView::PortPage, "port", {}},
        {CTabView::FirmwarePage, "firmware", [&] { return firmware->OrderText()->text() == "newer"; }},
        {CTabView::OperatePage, "operate",
            [&] { return history->PointCount() >= 10 && frame.Model().m_powerForward.m_value >= 100; }},
        {CTabView::ConfigurationPage, "configuration", {}},
        {CTabView::CommandTesterPage, "command-tester",
            [&] { return tester->Output()->toPlainText().contains(QLatin1String("^RV01.53;")); }},
    };
    for (const Page& page : pages) {
        frame.TabView()->SelectPage(page.index);
        if (page.index == CTabView::CommandTesterPage)
            QTest::keyClicks(tester->Entry(), QStringLiteral("^rv;"));
        if (page.ready && !WaitFor(page.name, page.ready))
            return 1;
        // The page draws a whole cycle at its end: let the cycle that saw the power finish.
        if (page.index == CTabView::OperatePage)
            QTest::qWait(1500);
        if (!Save(&frame, folder, page.name))
            return 1;
    }

    {
        CEditConfigSheet sheet(&frame.Model(), &frame, &frame);
        sheet.show();
        if (!WaitFor("Edit Configuration", [&] { return sheet.OkButton()->isEnabled(); })
            || !Save(&sheet, folder, "edit-configuration"))
            return 1;
        sheet.CancelButton()->click();
    }
    {
        CFaultTableDlg table(&frame.Model(), &frame, &frame);
        table.show();
        table.Begin();
        if (!WaitFor("the fault table", [&] { return !table.IsReading(); }) || !Save(&table, folder, "fault-table"))
            return 1;
        table.close();
    }
    {
        // The question is a modal box: it is pictured from inside its own loop, then answered
        // as Escape answers it, which saves nothing.
        dismiss.stop();
        // The fault table's end looks for the amplifier again: the question waits for it.
        if (!WaitFor("the contact after the fault table", [&] {
                return frame.Model().ContactMachine()->IsIdle()
                    && frame.Model().m_firmwareStatus.m_value == FirmwareApplication;
            }))
            return 1;
        bool saved = false;
        QTimer poll;
        poll.setInterval(50);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QWidget* box = ModalWindow()) {
                poll.stop();
                QTest::qWait(200);
                saved = Save(box, folder, "backup-question");
                QTest::keyClick(box, Qt::Key_Escape);
            }
        });
        poll.start();
        CConfigBackupOffer offer(&frame.Model(), &frame);
        offer.Offer(&frame, IDS_BACKUP_OPERATION_RESET);
        if (!saved)
            return 1;
    }
    return 0;
}
