#pragma once
#include <QString>
#include <functional>

// Help asked for from a page's dialog or sheet ("EditConfiguration.htm#Banner"). The desktop
// program's main window installs the handler that shows its help window; without one (tests
// of single dialogs) a request shows nothing.
namespace HelpRequest {
using Handler = std::function<void(const QString& topic)>;
void SetHandler(Handler handler);
// True when a handler took the request.
bool Show(const QString& topic);
} // namespace HelpRequest
