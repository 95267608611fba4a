#pragma once
#include <QObject>

class QWidget;

// Keeps windows on the screen they open on: a window larger than the screen's free area is made
// smaller (never below its minimum size) and one that reaches past an edge is moved back inside,
// frame, menus and status bar included.
namespace ScreenFit {
void FitOnScreen(QWidget* window);

// Fits every window of the application (dialogs, message boxes, the help window) when it is
// shown. The main window installs one for the life of the program.
class CFilter : public QObject {
public:
    explicit CFilter(QObject* parent = nullptr);
    bool eventFilter(QObject* watched, QEvent* event) override;
};
} // namespace ScreenFit
