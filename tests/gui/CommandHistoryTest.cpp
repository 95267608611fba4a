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
    const Move moves[] = {
        {Step::Down, false, "^b"},
        {Step::Up, true, "^rv;"},
        {Step::Up, true, "^sn;"},
        {Step::Up, false, "^sn;"},
        {Step::Down, true, "^rv;"},
        {Step::Down, true, "^b"},
        {Step::Down, false, "^b"},
    };
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

TEST(CommandHistory, SkipsEmptyTextsAndRepeats)
{
    CCommandHistory history;
    history.Add(QString());
    history.Add(QStringLiteral("^sn;"));
    history.Add(QStringLiteral("^sn;"));
    history.Add(QStringLiteral("^rv;"));
    history.Add(QStringLiteral("^sn;"));
    EXPECT_EQ(history.Entries(), (QStringList {"^sn;", "^rv;", "^sn;"}));
}

TEST(CommandHistory, AddingStartsBrowsingBelowTheNewestAgain)
{
    CCommandHistory history;
    history.Add(QStringLiteral("a"));
    history.Add(QStringLiteral("b"));
    QString text;
    ASSERT_TRUE(history.Previous(QString(), &text));
    ASSERT_TRUE(history.Previous(text, &text));
    EXPECT_EQ(text, QStringLiteral("a"));
    history.Add(QStringLiteral("a"));
    ASSERT_TRUE(history.Previous(QStringLiteral("typed"), &text));
    EXPECT_EQ(text, QStringLiteral("a"));
    ASSERT_TRUE(history.Next(&text));
    EXPECT_EQ(text, QStringLiteral("typed"));
}

TEST(CommandHistory, KeepsTheNewestHundred)
{
    CCommandHistory history;
    for (int i = 0; i < 150; ++i)
        history.Add(QString::number(i));
    ASSERT_EQ(history.Count(), CCommandHistory::kMaximumEntries);
    EXPECT_EQ(history.Entries().first(), QStringLiteral("50"));
    EXPECT_EQ(history.Entries().last(), QStringLiteral("149"));
}
