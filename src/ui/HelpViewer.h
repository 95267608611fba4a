#pragma once
#include <QString>
#include <functional>

// How a page or dialog opens the help at its topic and anchor ("Configuration.htm#SetDateTime")
// without knowing the help window: the main window installs the viewer when it starts.
namespace HelpViewer {
using Viewer = std::function<void(const QString& topic)>;
void Install(Viewer viewer);
// Opens the help at the topic; answers false when no viewer is installed.
bool ShowTopic(const QString& topic);
} // namespace HelpViewer
