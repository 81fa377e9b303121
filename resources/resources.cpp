#include "resources/resources.h"

#include <QtGlobal>

void initQuirraResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(icons);
        Q_INIT_RESOURCE(translations);
        return true;
    }();
    Q_UNUSED(registered);
}
