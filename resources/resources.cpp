#include "resources/resources.h"

#include <QtGlobal>

void initQuirraResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    Q_UNUSED(registered);
}
