#pragma once
#include <QColor>
#include <QPlainTextEdit>
#include <QTime>
#include <functional>

// A read-only output window: fixed-pitch font, the local time at the start of every line,
// carriage returns left out (the amplifier ends lines with "\r\n").
class COutputWindow : public QPlainTextEdit {
    Q_OBJECT
public:
    using Clock = std::function<QTime()>;
    explicit COutputWindow(QWidget* parent = nullptr);

    // Appends text as it comes: a line begun by an earlier call goes on in this one.
    void AppendText(const QString& text);
    // The same, with `marker` after the time of every line that begins in it, in `colour`
    // (an invalid colour: the window's own), so that two sides of a conversation read apart.
    void AppendText(const QString& text, const QString& marker, const QColor& colour);
    // Ends the current line unless nothing has been written on it yet.
    void EndLine();
    void ClearOutput();
    bool AtLineStart() const { return m_atLineStart; }
    // The clock that stamps lines (tests give a fixed one).
    void SetClock(Clock clock) { m_clock = std::move(clock); }

    // The text to insert for `text` with `prefix` before each line that begins in it, and the
    // line-start state after it.
    static QString Decorate(const QString& text, const QString& prefix, bool* atLineStart);
    // "Courier New" at 10 points when the system has it, else the system's fixed-pitch font.
    static QFont OutputFont();

private:
    Clock m_clock;
    bool m_atLineStart = true;
};
