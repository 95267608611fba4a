#include "app/CommandHistory.h"

void CCommandHistory::Add(const QString& text)
{
    if (!text.isEmpty() && (m_entries.isEmpty() || m_entries.last() != text)) {
        m_entries.append(text);
        if (m_entries.size() > kMaximumEntries)
            m_entries.removeFirst();
    }
    m_position = m_entries.size();
    m_draft.clear();
}

bool CCommandHistory::Previous(const QString& current, QString* text)
{
    if (m_position == 0)
        return false;
    if (m_position == m_entries.size())
        m_draft = current;
    --m_position;
    *text = m_entries.at(m_position);
    return true;
}

bool CCommandHistory::Next(QString* text)
{
    if (m_position >= m_entries.size())
        return false;
    ++m_position;
    *text = m_position == m_entries.size() ? m_draft : m_entries.at(m_position);
    return true;
}
