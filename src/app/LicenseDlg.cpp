#include "app/LicenseDlg.h"
#include "app/AppResources.h"
#include "app/AppStringIds.h"
#include "model/StringTable.h"
#include "ui/OutputWindow.h"
#include <QFile>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

CLicenseDlg::CLicenseDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(ResourceString(IDS_APP_LICENSE_CAPTION));
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setFont(COutputWindow::OutputFont());
    // The licence is laid out in lines of its own: wrapping them again at the window's edge
    // would break every sentence twice.
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setPlainText(LicenseText());
    auto* close = new QPushButton(ResourceString(IDS_CLOSE), this);
    close->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    // Wide enough for the longest line, so that no scrolling sideways is needed either.
    int longest = 0;
    for (const QString& line : m_text->toPlainText().split(QLatin1Char('\n')))
        longest = std::max(longest, m_text->fontMetrics().horizontalAdvance(line));
    resize(std::max(620, longest + 80), 480);
}

QString CLicenseDlg::Text() const
{
    return m_text->toPlainText();
}

QString CLicenseDlg::LicenseText()
{
    InitAppResources();
    QFile file(QStringLiteral(":/LICENSE"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}
