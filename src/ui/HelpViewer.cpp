#include "ui/HelpViewer.h"

namespace HelpViewer {
namespace {
Viewer& Installed()
{
    static Viewer viewer;
    return viewer;
}
} // namespace

void Install(Viewer viewer)
{
    Installed() = std::move(viewer);
}

bool ShowTopic(const QString& topic)
{
    if (!Installed())
        return false;
    Installed()(topic);
    return true;
}
} // namespace HelpViewer
