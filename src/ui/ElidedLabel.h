#pragma once
#include <QLabel>

// A one-line label that cuts its text with "…" where it does not fit, instead of pushing its
// neighbours aside or running into them; the whole text is kept, and is its tooltip unless
// another is set. It asks for the room of its whole text but makes do with little.
class CElidedLabel : public QLabel {
public:
    explicit CElidedLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    const QString& FullText() const { return m_fullText; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Elide();

    QString m_fullText;
};
