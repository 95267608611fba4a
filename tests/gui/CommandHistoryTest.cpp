#include "app/CommandHistory.h"
#include <gtest/gtest.h>

namespace {
enum class Step { Up, Down };
struct Move {
    Step step;
    bool moved;
    const char* shown;
};
} // namespace

TEST(CommandHistory, BrowsesUpAndDownKeepingTheTypedText)
{
    CCommandHistory history;
    history.Add(QStringLiteral("^sn;"));
    history.Add(QStringLiteral("^rv;"));
    const Move moves[] = {{Step::Down, false, "^b"}, {Step::Up, true, "^rv;"}, {Step::Up, true, "^sn;"},
        {Step::Up, false, "^sn;"}, {Step::Down, true, "^rv;"}, {Step::Down, true, "^b"}, {Step::Down, false, "^b"}};
    QString shown = QStringLiteral("^b");
    for (const Move& move : moves) {
        QString text;
        const bool moved = move.step == Step::Up ? history.Previous(shown, &text) : history.Next(&text);
        EXPECT_EQ(moved, move.moved);
        if (moved)
            shown = text;
        EXPECT_EQ(shown, QString::fromLatin1(move.shown));
    }
}

TEST(CommandHistory, SkipsEmptyTextsAndRepeatsAndKeepsTheNewestHundred)
{
    CCommandHistory history;
    for (const char* text : {"", "^sn;", "^sn;", "^rv;", "^sn;"})
        history.Add(QString::fromLatin1(text));
    EXPECT_EQ(history.Entries(), (QStringList {"^sn;", "^rv;", "^sn;"}));
    for (int i = 0; i < 150; ++i)
        history.Add(QString::number(i));
    ASSERT_EQ(history.Count(), 100);
    EXPECT_EQ(history.Entries().first(), QStringLiteral("50"));
    EXPECT_EQ(history.Entries().last(), QStringLiteral("149"));
}
