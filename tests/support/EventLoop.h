#pragma once
// For tests on Qt's own event loop (real ports, sockets, processes): the application object, and
// the loop run until a condition holds, and a free loopback port.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTimer>
#include <functional>

// Makes the application object once; it lives as long as the test program.
inline void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "qro4000_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

// Runs the event loop until `done` (asked every `everyMs`) holds or `limitMs` has passed;
// answers `done()`.
inline bool RunEventsUntil(const std::function<bool()>& done, int limitMs, int everyMs = 2)
{
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    tick.start(everyMs);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

// A loopback port where nothing listens (a moment ago).
inline quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
