#include "firmware/RtfToHtml.h"
#include <vector>

namespace {
struct Format {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0; // 0: the view's own size
    bool skip = false; // inside a destination that is not shown
    int unicodeSkip = 1; // characters that stand in for a \u character
    bool operator==(const Format& o) const
    {
        return bold == o.bold && italic == o.italic && underline == o.underline && halfPoints == o.halfPoints;
    }
};

// Groups deeper than this are read as text of the deepest level: no stack grows without limit.
constexpr std::size_t kMaxDepth = 256;

class CRtfReader {
public:
    explicit CRtfReader(const QByteArray& rtf)
        : m_text(rtf)
    {
    }

    QString Convert()
    {
        m_stack.push_back(Format());
        const qsizetype n = m_text.size();
        while (m_at < n) {
            const char c = m_text[m_at++];
            switch (c) {
            case '{':
                if (m_stack.size() < kMaxDepth)
                    m_stack.push_back(m_stack.back());
                else
                    ++m_overflow;
                m_groupStart = true;
                continue;
            case '}':
                if (m_overflow > 0)
                    --m_overflow;
                else if (m_stack.size() > 1)
                    m_stack.pop_back();
                break;
            case '\\':
                ControlSymbolOrWord();
                continue;
            case '\r':
            case '\n':
                break; // line ends in RTF source are not text
            default:
                Char(QChar(static_cast<unsigned char>(c)));
                break;
            }
            m_groupStart = false;
        }
        EndParagraph(false);
        return QStringLiteral("<html><body>") + m_html + QStringLiteral("</body></html>");
    }

private:
    Format& Current() { return m_stack.back(); }

    void ControlSymbolOrWord()
    {
        const qsizetype n = m_text.size();
        if (m_at >= n)
            return;
        const char c = m_text[m_at];
        if (!IsLetter(c)) {
            ++m_at;
            ControlSymbol(c);
            m_groupStart = false;
            return;
        }
        const qsizetype start = m_at;
        while (m_at < n && IsLetter(m_text[m_at]))
            ++m_at;
        const QByteArray word = m_text.mid(start, m_at - start);
        bool hasParameter = false;
        long long parameter = 0;
        bool negative = false;
        if (m_at < n && m_text[m_at] == '-') {
            negative = true;
            ++m_at;
        }
        while (m_at < n && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
            hasParameter = true;
            if (parameter < 100000000)
                parameter = parameter * 10 + (m_text[m_at] - '0');
            ++m_at;
        }
        if (negative)
            parameter = -parameter;
        if (m_at < n && m_text[m_at] == ' ')
            ++m_at; // the delimiter belongs to the control word
        const bool atGroupStart = m_groupStart;
        m_groupStart = false;
        ControlWord(word, hasParameter, static_cast<int>(parameter), atGroupStart);
    }

    void ControlSymbol(char c)
    {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            Char(QChar(c));
            break;
        case '~':
            Char(QChar(0x00A0));
            break;
        case '-':
            break; // optional hyphen
        case '_':
            Char(QChar(0x2011));
            break;
        case '*':
            Current().skip = true; // an extension this reader does not know
            break;
        case '\'': {
            const qsizetype n = m_text.size();
            if (m_at + 2 > n) {
                m_at = n; // a cut escape at the end of the text
                break;
            }
            bool ok = false;
            const int value = m_text.mid(m_at, 2).toInt(&ok, 16);
            m_at += 2;
            if (ok)
                Char(Windows1252(static_cast<unsigned char>(value)));
            break;
        }
        case '\r':
        case '\n':
            EndParagraph(true);
            break;
        default:
            break;
        }
    }

    void ControlWord(const QByteArray& word, bool hasParameter, int parameter, bool atGroupStart)
    {
        Format& f = Current();
        const bool on = !hasParameter || parameter != 0;
        if (word == "par") {
            EndParagraph(true);
        } else if (word == "line") {
            Text(QStringLiteral("<br/>"));
        } else if (word == "tab") {
            Char(QChar('\t'));
        } else if (word == "b") {
            f.bold = on;
        } else if (word == "i") {
            f.italic = on;
        } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw") {
            f.underline = on;
        } else if (word == "ulnone") {
            f.underline = false;
        } else if (word == "fs") {
            f.halfPoints = hasParameter && parameter > 0 && parameter < 4000 ? parameter : 0;
        } else if (word == "plain") {
            f.bold = f.italic = f.underline = false;
            f.halfPoints = 0;
        } else if (word == "uc") {
            f.unicodeSkip = hasParameter && parameter >= 0 && parameter < 16 ? parameter : 1;
        } else if (word == "u" && hasParameter) {
            Char(QChar(static_cast<char16_t>(parameter < 0 ? parameter + 65536 : parameter)));
            SkipFallback(f.unicodeSkip);
        } else if (word == "bullet") {
            Char(QChar(0x2022));
        } else if (word == "emdash") {
            Char(QChar(0x2014));
        } else if (word == "endash") {
            Char(QChar(0x2013));
        } else if (word == "lquote") {
            Char(QChar(0x2018));
        } else if (word == "rquote") {
            Char(QChar(0x2019));
        } else if (word == "ldblquote") {
            Char(QChar(0x201C));
        } else if (word == "rdblquote") {
            Char(QChar(0x201D));
        } else if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info" || word == "pict"
            || word == "object" || word == "header" || word == "footer" || word == "headerl" || word == "headerr"
            || word == "footerl" || word == "footerr" || word == "listtable" || word == "listoverridetable"
            || word == "rsidtbl" || word == "generator" || word == "themedata" || word == "colorschememapping"
            || word == "latentstyles" || word == "datastore" || word == "xmlnstbl" || word == "mmathPr"
            || word == "pgdsctbl") {
            f.skip = true;
        } else if (atGroupStart && word == "field") {
            // A field shows its result; its instruction group is a destination of its own.
        } else if (word == "fldinst") {
            f.skip = true;
        }
    }

    // The characters after \uN that stand in for readers without Unicode.
    void SkipFallback(int count)
    {
        const qsizetype n = m_text.size();
        while (count > 0 && m_at < n) {
            const char c = m_text[m_at];
            if (c == '{' || c == '}')
                return;
            if (c == '\\') {
                if (m_at + 1 < n && m_text[m_at + 1] == '\'')
                    m_at += 4;
                else {
                    ++m_at;
                    while (m_at < n && IsLetter(m_text[m_at]))
                        ++m_at;
                    while (m_at < n && (m_text[m_at] == '-' || (m_text[m_at] >= '0' && m_text[m_at] <= '9')))
                        ++m_at;
                    if (m_at < n && m_text[m_at] == ' ')
                        ++m_at;
                }
            } else {
                ++m_at;
            }
            --count;
        }
        if (m_at > n)
            m_at = n;
    }

    void Char(QChar c)
    {
        if (Current().skip)
            return;
        OpenRun();
        switch (c.unicode()) {
        case '<':
            m_html += QStringLiteral("&lt;");
            break;
        case '>':
            m_html += QStringLiteral("&gt;");
            break;
        case '&':
            m_html += QStringLiteral("&amp;");
            break;
        case '"':
            m_html += QStringLiteral("&quot;");
            break;
        case '\t':
            m_html += QStringLiteral("&#9;");
            break;
        default:
            m_html += c;
            break;
        }
    }

    void Text(const QString& html)
    {
        if (Current().skip)
            return;
        OpenRun();
        m_html += html;
    }

    void OpenRun()
    {
        if (!m_inParagraph) {
            m_html += QStringLiteral("<p style=\"margin-top:0; margin-bottom:0; white-space:pre-wrap\">");
            m_inParagraph = true;
        }
        const Format& f = Current();
        if (m_inRun && f == m_run)
            return;
        CloseRun();
        m_run = f;
        QString style;
        if (f.bold)
            style += QStringLiteral("font-weight:bold;");
        if (f.italic)
            style += QStringLiteral("font-style:italic;");
        if (f.underline)
            style += QStringLiteral("text-decoration:underline;");
        if (f.halfPoints)
            style += QStringLiteral("font-size:%1pt;").arg(f.halfPoints / 2.0);
        m_html += QStringLiteral("<span style=\"%1\">").arg(style);
        m_inRun = true;
    }

    void CloseRun()
    {
        if (m_inRun)
            m_html += QStringLiteral("</span>");
        m_inRun = false;
    }

    // A paragraph mark always makes a paragraph, empty ones included (they are the spacing).
    void EndParagraph(bool mark)
    {
        if (Current().skip && mark)
            return;
        if (!m_inParagraph && mark) {
            m_html += QStringLiteral("<p style=\"margin-top:0; margin-bottom:0\">&nbsp;</p>");
            return;
        }
        CloseRun();
        if (m_inParagraph)
            m_html += QStringLiteral("</p>");
        m_inParagraph = false;
    }

    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

    static QChar Windows1252(unsigned char b)
    {
        static const char16_t kHigh[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
            0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
        if (b >= 0x80 && b < 0xA0)
            return QChar(kHigh[b - 0x80]);
        return QChar(b);
    }

    const QByteArray& m_text;
    qsizetype m_at = 0;
    std::vector<Format> m_stack;
    std::size_t m_overflow = 0;
    bool m_groupStart = false;
    QString m_html;
    bool m_inParagraph = false;
    bool m_inRun = false;
    Format m_run;
};
} // namespace

QString RtfToHtml(const QByteArray& rtf)
{
    return CRtfReader(rtf).Convert();
}
