#include "app/HelpWindow.h"
#include "app/AppResources.h"
#include "app/AppStringIds.h"
#include "model/StringTable.h"
#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

QPointer<CHelpWindow> CHelpWindow::s_instance;

CHelpWindow::CHelpWindow()
    : QWidget(nullptr, Qt::Window)
{
    InitAppResources();
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(ResourceString(IDS_APP_HELP_CAPTION));

    auto* contents = new QToolButton(this);
    contents->setText(ResourceString(IDS_APP_HELP_CONTENTS));
    m_back = new QToolButton(this);
    m_back->setText(ResourceString(IDS_APP_HELP_BACK));
    m_back->setEnabled(false);
    m_forward = new QToolButton(this);
    m_forward->setText(ResourceString(IDS_APP_HELP_FORWARD));
    m_forward->setEnabled(false);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);

    connect(contents, &QToolButton::clicked, this, [this] { OpenTopic(QString::fromLatin1(kContentsTopic)); });
    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    resize(640, 560);
}

CHelpWindow* CHelpWindow::Instance()
{
    return s_instance.data();
}

CHelpWindow* CHelpWindow::ShowTopic(const QString& topic)
{
    if (!s_instance)
        s_instance = new CHelpWindow;
    CHelpWindow* window = s_instance.data();
    // A modal dialog blocks every window but its own children, so help asked for from one
    // becomes that dialog's child window for as long as it is open.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != window && window->parentWidget() != modal)
        window->setParent(modal, window->windowFlags() | Qt::Window);
    window->OpenTopic(topic);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void CHelpWindow::CloseInstance()
{
    if (s_instance)
        s_instance->close();
}

QUrl CHelpWindow::TopicUrl(const QString& topic)
{
    InitAppResources();
    const qsizetype hash = topic.indexOf(QLatin1Char('#'));
    const QString page = hash < 0 ? topic : topic.left(hash);
    if (page.isEmpty() || page.contains(QLatin1String("..")) || !QFile::exists(QStringLiteral(":/help/") + page))
        return {};
    QUrl url(QStringLiteral("qrc:/help/") + page);
    if (hash >= 0)
        url.setFragment(topic.mid(hash + 1));
    return url;
}

void CHelpWindow::OpenTopic(const QString& topic)
{
    const QUrl url = TopicUrl(topic);
    if (url.isEmpty()) {
        m_browser->setPlainText(FormatResource(IDS_APP_HELP_MISSING, topic));
        return;
    }
    m_browser->setSource(url);
}

QUrl CHelpWindow::CurrentSource() const
{
    return m_browser->source();
}

QString CHelpWindow::CurrentText() const
{
    return m_browser->toPlainText();
}
