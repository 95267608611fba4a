#include "ui/OutputWindow.h"
#include "model/RevisionText.h"
#include <QFontDatabase>
#include <QFontInfo>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextCursor>

namespace {
// Enough for a long session; older lines go so that appending stays quick.
constexpr int kMaximumLines = 20000;
} // namespace

COutputWindow::COutputWindow(QWidget* parent)
    : QPlainTextEdit(parent)
    , m_clock([] { return QTime::currentTime(); })
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setMaximumBlockCount(kMaximumLines);
    setFont(OutputFont());
}

QFont COutputWindow::OutputFont()
{
    QFont font;
    if (QFontDatabase::hasFamily(QStringLiteral("Courier New"))) {
        font = QFont(QStringLiteral("Courier New"));
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        // Some systems map "monospace" to a font that does not say it is fixed-pitch; columns
        // of answers only line up in one that does.
        if (!QFontInfo(font).fixedPitch()) {
            for (const char* family : {"DejaVu Sans Mono", "Liberation Mono", "Noto Mono", "Nimbus Mono PS"}) {
                const QString name = QString::fromLatin1(family);
                if (QFontDatabase::hasFamily(name) && QFontDatabase::isFixedPitch(name)) {
                    font = QFont(name);
                    break;
                }
            }
        }
    }
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(10);
    return font;
}

QString COutputWindow::Decorate(const QString& text, const QString& prefix, bool* atLineStart)
{
    QString out;
    out.reserve(text.size() + prefix.size());
    for (QChar c : text) {
        if (c == QLatin1Char('\r'))
            continue;
        if (*atLineStart) {
            out += prefix;
            *atLineStart = false;
        }
        out += c;
        if (c == QLatin1Char('\n'))
            *atLineStart = true;
    }
    return out;
}

void COutputWindow::AppendText(const QString& text)
{
    AppendText(text, QString(), QColor());
}

void COutputWindow::AppendText(const QString& text, const QString& marker, const QColor& colour)
{
    const QTime now = m_clock();
    const QString prefix = OutputLinePrefix(now.hour(), now.minute(), now.second()) + marker;
    const QString insert = Decorate(text, prefix, &m_atLineStart);
    if (insert.isEmpty())
        return;
    QScrollBar* bar = verticalScrollBar();
    const bool followEnd = bar->value() == bar->maximum();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    if (colour.isValid())
        format.setForeground(colour);
    cursor.insertText(insert, format);
    if (followEnd)
        bar->setValue(bar->maximum());
}

void COutputWindow::EndLine()
{
    if (!m_atLineStart)
        AppendText(QStringLiteral("\n"));
}

void COutputWindow::ClearOutput()
{
    clear();
    m_atLineStart = true;
}
