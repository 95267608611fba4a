#include "app/AppResources.h"
#include <QtGlobal>

// Q_INIT_RESOURCE declares the registration function, so it must be used outside any
// namespace and outside the function that calls it only once.
static void RegisterAppResources()
{
    Q_INIT_RESOURCE(AppResources);
}

void InitAppResources()
{
    static const bool registered = [] {
        RegisterAppResources();
        return true;
    }();
    (void)registered;
}
