#pragma once
#include <QString>

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

// The frame the progress dialogs share: their body (a line of text, a log) over a progress bar
// without text, the retries line under it (hidden while there are none), and one centred
// button, Cancel while the work runs.
struct CProgressFrame {
    QProgressBar* progress;
    QLabel* retries;
    QPushButton* button;

    // Lays the frame out in `dialog` around `body`, which takes `bodyStretch`; the bar gets the
    // object name `progressName` (tests find it by name).
    static CProgressFrame Build(
        QDialog* dialog, QWidget* body, int bodyStretch, const QString& progressName, const QString& buttonText);
};
