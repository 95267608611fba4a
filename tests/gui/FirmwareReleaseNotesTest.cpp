#include "GuiTestSupport.h"
#include "TestFiles.h"
#include "firmware/ui/ReleaseInfoDlg.h"
#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {
TEST(FirmwareReleaseNotes, ShowsTheNotesWithTheirEmphasis)
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
    const QTextBlock first = dialog->View()->document()->firstBlock();
    ASSERT_TRUE(first.isValid());
    EXPECT_EQ(first.begin().fragment().charFormat().fontWeight(), QFont::Bold);
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog); // deleted on close
}

TEST(FirmwareReleaseNotes, MissingFileGivesTheErrorBox)
{
    QTemporaryDir dir;
    CScriptedPrompt prompt;
    EXPECT_EQ(CReleaseInfoDlg::ShowForFolder(dir.path(), &prompt), nullptr);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].icon, IUserPrompt::Icon::Error);
    EXPECT_EQ(prompt.messages[0].caption, QStringLiteral("Release Notes Error"));
    EXPECT_EQ(prompt.messages[0].text,
        "Release Notes file \"" + dir.path()
            + "/qro4000fwnotes.rtf\" was not found in the "
              "Firmware Folder");
}

TEST(FirmwareReleaseNotes, UnreadableFileGivesTheOtherErrorBox)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("qro4000fwnotes.rtf");
    ASSERT_TRUE(WriteWholeFile(path, "{\\rtf1 secret}"));
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    QFile probe(path);
    if (probe.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "files stay readable for this user (root)";
    CScriptedPrompt prompt;
    EXPECT_EQ(CReleaseInfoDlg::ShowForFolder(dir.path(), &prompt), nullptr);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "Unable to open Firmware Release Notes file \"" + path + "\"");
}
} // namespace
