#include "ui/ElidedButton.h"
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

CElidedButton::CElidedButton(int width, QWidget* parent)
    : QPushButton(parent)
    , m_width(width)
{
    // Every button asks for the same width: the grid's columns stay even.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void CElidedButton::SetFullText(const QString& text)
{
    m_fullText = text;
    Elide();
}

QSize CElidedButton::sizeHint() const
{
    return {m_width, QPushButton::sizeHint().height()};
}

QSize CElidedButton::minimumSizeHint() const
{
    return sizeHint();
}

void CElidedButton::resizeEvent(QResizeEvent* event)
{
    QPushButton::resizeEvent(event);
    Elide();
}

void CElidedButton::Elide()
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const int room = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).width()
        - 2 * style()->pixelMetric(QStyle::PM_ButtonMargin, &option, this);
    setText(fontMetrics().elidedText(m_fullText, Qt::ElideMiddle, std::max(room, 0)));
}
