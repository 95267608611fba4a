// The printf-style formatter: the conversions the program's texts use, and safety with
// arguments that are missing or of the wrong kind; values echoed short, and Qt's own messages
// kept off the terminal.
#include "model/Format.h"
#include "TestFiles.h"
#include "model/QtMessages.h"
#include <QTemporaryFile>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(Format, ConversionsUsedByTheTexts)
{
    EXPECT_EQ(Fmt("%s Revision %u.%u.%u.%u", "QRO4000 Utility", 1, 0, 0, 0), "QRO4000 Utility Revision 1.0.0.0");
    EXPECT_EQ(Fmt("Error code 0x%08X: %s", 0xE2000044u, "x"), "Error code 0xE2000044: x");
    EXPECT_EQ(Fmt("%02u.%02u", 1, 5), "01.05");
    EXPECT_EQ(Fmt(" - S/N %05u", 1234), " - S/N 01234");
    EXPECT_EQ(Fmt("%3u ms", 7), "  7 ms");
    EXPECT_EQ(Fmt("0x%06X", 0x1D000200u), "0x1D000200");
    EXPECT_EQ(Fmt("%s%08X%02X%02X;", "^er", 0u, 0x40, 0xC0), "^er0000000040C0;");
    EXPECT_EQ(Fmt("%-5s|", "ab"), "ab   |");
    EXPECT_EQ(Fmt("%d %i", -5, 12), "-5 12");
    EXPECT_EQ(Fmt("%x", 255), "ff");
    EXPECT_EQ(Fmt("100%%"), "100%");
    EXPECT_EQ(Fmt("%c%c", 'O', QChar('K')), "OK");
    EXPECT_EQ(Fmt("%.2s", "abcdef"), "ab");
    EXPECT_EQ(Fmt("%u", -1), "4294967295");
}

TEST(Format, MissingOrMismatchedArgumentsFormatAsNothing)
{
    EXPECT_EQ(Fmt("a%sb%uc"), "abc");
    EXPECT_EQ(Fmt("%u|%s", "text", 5), "|");
    EXPECT_EQ(Fmt("%n%p"), "%n%p"); // unknown conversions stay as written, nothing is read
    EXPECT_EQ(Fmt("trailing %"), "trailing %");
    EXPECT_EQ(Fmt("%99999999999d", 1).size(), Fmt("%99999999999d", 1).size()); // no runaway width
}

TEST(QtMessages, StayOffTheTerminalUnlessTraced)
{
    // Standard error into a file for the length of the case.
    QTemporaryFile capture;
    ASSERT_TRUE(capture.open());
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(capture.handle(), STDERR_FILENO);
    KeepQtMessagesOffTheTerminal(false);
    qWarning("QIODevice::write (QTcpSocket): device not open");
    KeepQtMessagesOffTheTerminal(true);
    qWarning("traced");
    qInstallMessageHandler(nullptr);
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    EXPECT_EQ(ReadWholeFile(capture.fileName()), QByteArray("Qt: traced\n"));
}
