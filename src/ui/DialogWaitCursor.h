#pragma once
#include <QWidget>

// The wait cursor over a whole dialog while it works, with the normal cursor kept over the one
// button that still answers (Cancel or Close), so the user can always reach it.
inline void ApplyDialogWaitCursor(QWidget* dialog, QWidget* stillAnswers, bool wait)
{
    if (wait) {
        dialog->setCursor(Qt::WaitCursor);
        stillAnswers->setCursor(Qt::ArrowCursor);
    } else {
        dialog->unsetCursor();
        stillAnswers->unsetCursor();
    }
}
