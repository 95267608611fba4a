#pragma once
#include <QString>
#include <vector>

class QWidget;

// The pop-up help texts of single controls ("What's This"), kept beside the help pages in
// help/Context.txt: a line ".topic 1000" (or a range, ".topic 3001-3032") starts the text for
// the control with that identifier; the text runs to the next ".topic" line. Lines starting
// with ";" are comments.
class CContextHelp {
public:
    explicit CContextHelp(const QString& content);

    // The text for the control, empty when it has none.
    QString Text(int controlId) const;
    std::size_t Count() const { return m_entries.size(); }

    // The texts compiled into the program.
    static const CContextHelp& Program();
    // Gives the widget the program's text for the control as its What's This text.
    static void Apply(QWidget* widget, int controlId);

private:
    struct Entry {
        int first;
        int last;
        QString text;
    };
    std::vector<Entry> m_entries;
};
