#pragma once
// Texts in the tests' failure messages: a QString prints as its text, and a missing piece of a
// text prints the whole text once, e.g. EXPECT_THAT(run.err, HasText("Error code 0x00000005: ")).
#include <QString>
#include <gmock/gmock.h>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

MATCHER_P(HasText, piece, "")
{
    return arg.contains(piece);
}
