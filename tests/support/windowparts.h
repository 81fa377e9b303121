#pragma once

#include <QObject>
#include <QString>

// A named child of the window under test; a test that cannot find the control
// it drives stops at once instead of failing later on a null pointer.
template<typename T> T *part(QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}
