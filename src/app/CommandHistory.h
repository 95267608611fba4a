#pragma once
#include <QString>
#include <QStringList>

// The texts sent from the Command Tester's entry in this session, recalled with Up and Down.
// Going up from the text being typed keeps it, and going down past the newest entry brings it
// back.
class CCommandHistory {
public:
    static constexpr int kMaximumEntries = 100;

    // An empty text, or the same text as the newest entry, adds nothing. Browsing starts again
    // below the newest entry.
    void Add(const QString& text);
    // The entry before the one shown; `current` is what the entry holds now. False at the oldest.
    bool Previous(const QString& current, QString* text);
    // The entry after the one shown, or the text that was being typed. False below the newest.
    bool Next(QString* text);

    int Count() const { return static_cast<int>(m_entries.size()); }
    const QStringList& Entries() const { return m_entries; }

private:
    QStringList m_entries;
    qsizetype m_position = 0; // m_entries.size() while the typed text is shown
    QString m_draft;
};
