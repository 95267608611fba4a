#include "ui/ElidedLabel.h"
#include <algorithm>

CElidedLabel::CElidedLabel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void CElidedLabel::SetFullText(const QString& text)
{
    if (m_fullText == text)
        return;
    m_fullText = text;
    updateGeometry();
    Elide();
}

QSize CElidedLabel::sizeHint() const
{
    const int margins = contentsMargins().left() + contentsMargins().right() + 2 * margin();
    return {fontMetrics().horizontalAdvance(m_fullText) + margins + 2, QLabel::sizeHint().height()};
}

QSize CElidedLabel::minimumSizeHint() const
{
    return {fontMetrics().horizontalAdvance(QStringLiteral("M\u2026")), QLabel::minimumSizeHint().height()};
}

void CElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Elide();
}

void CElidedLabel::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    Elide();
}

void CElidedLabel::Elide()
{
    // Not laid out yet: its width says nothing about the room it will have.
    if (!isVisible()) {
        if (text() != m_fullText)
            setText(m_fullText);
        return;
    }
    const int room = std::max(0, contentsRect().width() - 2 * margin());
    const QString shown = fontMetrics().elidedText(m_fullText, Qt::ElideRight, room);
    if (text() != shown)
        setText(shown);
}
