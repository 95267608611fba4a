#pragma once
#include <QPushButton>

// A push button whose label is cut in the middle when it does not fit, so that buttons of one
// grid keep one width whatever their labels; the whole label is kept and shown when it fits.
class CElidedButton : public QPushButton {
    Q_OBJECT
public:
    // `width` is the width every such button asks for, whatever its label.
    explicit CElidedButton(int width, QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    const QString& FullText() const { return m_fullText; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString m_fullText;
    int m_width;
};
