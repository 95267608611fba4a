#include "GuiTestSupport.h"
#include "TestFiles.h"
#include "firmware/ui/ReleaseInfoDlg.h"
#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {
TEST(FirmwareReleaseNotes, ShowsTheNotesFoundWhateverTheCaseOfTheirName)
{
    QTemporaryDir dir;
    // Found whatever the case of its name.
    ASSERT_TRUE(WriteWholeFile(dir.filePath("QRO4000FWNOTES.RTF"),
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 {\\b Revision 01.54}\\par Fixes the \\i band\\i0  "
        "display.\\par}"));
    CScriptedPrompt prompt;
    QPointer<CReleaseInfoDlg> dialog = CReleaseInfoDlg::ShowForFolder(dir.path(), &prompt);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->FileName(), dir.filePath("QRO4000FWNOTES.RTF"));
    EXPECT_TRUE(dialog->isVisible() && !dialog->isModal());
    EXPECT_EQ(dialog->View()->toPlainText(), QStringLiteral("Revision 01.54\nFixes the band display."));
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog); // deleted on close
}

TEST(FirmwareReleaseNotes, AMissingOrUnreadableFileGivesItsErrorBox)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("qro4000fwnotes.rtf");
    CScriptedPrompt prompt;
    EXPECT_EQ(CReleaseInfoDlg::ShowForFolder(dir.path(), &prompt), nullptr);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].icon, IUserPrompt::Icon::Error);
    EXPECT_EQ(prompt.messages[0].caption, QStringLiteral("Release Notes Error"));
    EXPECT_EQ(prompt.messages[0].text, "Release Notes file \"" + path + "\" was not found in the Firmware Folder");
    ASSERT_TRUE(WriteWholeFile(path, "{\\rtf1 secret}"));
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    if (QFile probe(path); probe.open(QIODevice::ReadOnly))
        return; // files stay readable for this user (root)
    EXPECT_EQ(CReleaseInfoDlg::ShowForFolder(dir.path(), &prompt), nullptr);
    ASSERT_EQ(prompt.messages.size(), 2u);
    EXPECT_EQ(prompt.messages[1].text, "Unable to open Firmware Release Notes file \"" + path + "\"");
}
} // namespace
