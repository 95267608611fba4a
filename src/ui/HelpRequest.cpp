#include "ui/HelpRequest.h"

namespace HelpRequest {
namespace {
Handler& Current()
{
    static Handler handler;
    return handler;
}
} // namespace

void SetHandler(Handler handler)
{
    Current() = std::move(handler);
}

bool Show(const QString& topic)
{
    if (!Current())
        return false;
    Current()(topic);
    return true;
}
} // namespace HelpRequest
