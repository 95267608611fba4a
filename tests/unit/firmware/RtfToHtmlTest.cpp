#include "firmware/RtfToHtml.h"
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
// The text of the converted notes as a view shows it: paragraphs and breaks as line ends,
// tags left out, entities read.
QString Shown(const QByteArray& rtf)
{
    QString html = RtfToHtml(rtf);
    EXPECT_TRUE(html.startsWith("<html><body>"));
    EXPECT_TRUE(html.endsWith("</body></html>"));
    html.replace("<br/>", "\n").replace("</p>", "\n");
    html.remove(QRegularExpression("<[^>]*>"));
    html.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&#9;", "\t");
    html.replace("&nbsp;", QChar(0xA0)).replace("&amp;", "&");
    if (html.endsWith('\n'))
        html.chop(1);
    return html;
}

TEST(RtfToHtml, ShowsTheText)
{
    const struct {
        const char* name;
        const char* rtf;
        const char* shown;
    } rows[] = {
        {"Paragraphs", "{\\rtf1\\ansi First\\par Second\\par}", "First\nSecond"},
        {"FontAndColourTablesAreNotText",
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
            "{\\*\\generator Riched20;}\\f0 Notes\\par}",
            "Notes"},
        {"EscapedCharacters", "{\\rtf1 a\\{b\\}c\\\\d}", "a{b}c\\d"},
        {"HexCharactersAreWindows1252", "{\\rtf1 caf\\'e9 \\'93q\\'94 \\'80}", "caf\u00e9 \u201cq\u201d \u20ac"},
        {"UnicodeWithFallback", "{\\rtf1\\uc1 \\u8364?5 \\u-3913?}", "\u20ac5 \uf0b7"},
        {"TypographicSymbols",
            "{\\rtf1 \\bullet\\tab x\\emdash y\\endash z\\lquote a\\rquote \\ldblquote b\\rdblquote}",
            "\u2022\tx\u2014y\u2013z\u2018a\u2019\u201cb\u201d"}, // a space after a word is its delimiter
        {"LineBreak", "{\\rtf1 one\\line two}", "one\ntwo"},
        {"HtmlIsNotInterpreted", "{\\rtf1 <b>&amp;</b>}", "<b>&amp;</b>"},
        {"SourceLineEndsAreNotText", "{\\rtf1 Revision\r\n 01.54\\par}", "Revision 01.54"},
        {"EmptyParagraphsKeepSpacing", "{\\rtf1 A\\par\\par B\\par}", "A\n\u00a0\nB"},
        {"FieldShowsItsResult",
            "{\\rtf1 see {\\field{\\*\\fldinst{HYPERLINK \"http://x\"}}{\\fldrslt{brimwell.com}}}.}",
            "see brimwell.com."},
        {"UnbalancedGroupsDoNotFail", "{\\rtf1 a}}}} b{{{", "a b"},
        {"TruncatedEscape", "{\\rtf1 a\\'4", "a"},
        {"NotRtfAtAll", "plain words", "plain words"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Shown(row.rtf).toStdString(), QString::fromUtf8(row.shown).toStdString()) << row.name;
}

TEST(RtfToHtml, EmphasisBecomesSpans)
{
    const QString html
        = RtfToHtml("{\\rtf1 plain {\\b bold} {\\i italic\\i0  upright} \\ul under\\ulnone  \\fs32 big}");
    // The group ends the bold: the text after it is plain again.
    for (const char* span :
        {"font-weight:bold;\">bold</span><span style=\"\"> </span>", "font-style:italic;\">italic</span>",
            "text-decoration:underline;\">under</span>", "font-size:16pt;\">big</span>"})
        EXPECT_TRUE(html.contains(QStringLiteral("<span style=\"") + span)) << span << "\n" << html.toStdString();
}

TEST(RtfToHtml, DeepNestingIsBounded)
{
    const QByteArray rtf = QByteArray(100000, '{') + "deep" + QByteArray(100000, '}');
    EXPECT_EQ(Shown(rtf), QStringLiteral("deep"));
}
} // namespace
