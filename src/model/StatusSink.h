#pragma once
#include <QString>

// Where status lines go: the desktop program's status bar and activity logs, or the command
// line's standard error. The model filters verbose and trace lines by their settings before
// they get here.
class IStatusSink {
public:
    enum class Kind { Status, Verbose, Trace };
    virtual void OnStatusLine(Kind kind, const QString& text) = 0;

protected:
    ~IStatusSink() = default;
};
