// The printf-style formatter's safety with arguments that are missing or of the wrong kind (the
// conversions themselves show in every text the other tests compare), and Qt's own messages
// kept off the terminal.
#include "model/Format.h"
#include "TestFiles.h"
#include "model/QtMessages.h"
#include <QTemporaryFile>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

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
