#pragma once
#include <QPointer>
#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

// The help window: the help pages compiled into the program, shown at a topic and anchor
// ("CommandTester.htm#MacroEditor"). There is at most one; every help request reuses it.
class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kContentsTopic = "index.htm";

    // Shows the window (creating it if needed) at the topic, raised above the others.
    static CHelpWindow* ShowTopic(const QString& topic);
    // The open window, or nullptr.
    static CHelpWindow* Instance();
    static void CloseInstance();

    // The resource address of a topic, anchor kept; an empty URL when the page does not exist.
    static QUrl TopicUrl(const QString& topic);

    void OpenTopic(const QString& topic);
    QUrl CurrentSource() const;
    QString CurrentText() const;
    QTextBrowser* Browser() const { return m_browser; }

private:
    CHelpWindow();

    QTextBrowser* m_browser;
    QToolButton* m_back;
    QToolButton* m_forward;
    static QPointer<CHelpWindow> s_instance;
};
