#pragma once

#include <QLatin1String>
#include <QSettings>
#include <QVariant>
#include <type_traits>

// One key of the settings store with its type and its default, declared once
// (settings/appsettings.h) so that every reader falls back to the same value.
// Enumerations are stored as their number; a stored number the enumeration
// does not know reads as the default.
template<typename T> class Setting
{
public:
    using Compute = T (*)();

    constexpr Setting(const char *key, T defaultValue)
        : name(key)
        , fallback(std::move(defaultValue))
    {
    }
    // For a default that depends on the machine (a folder), taken when read.
    constexpr Setting(const char *key, Compute computeDefault)
        : name(key)
        , compute(computeDefault)
    {
    }

    QString key() const { return QLatin1String(name); }
    T defaultValue() const { return compute ? compute() : fallback; }

    T read(const QSettings &store) const
    {
        const QVariant stored = store.value(key());
        if (!stored.isValid())
            return defaultValue();
        if constexpr (std::is_enum_v<T>) {
            bool ok = false;
            const int number = stored.toInt(&ok);
            return ok && isKnown(static_cast<T>(number)) ? static_cast<T>(number) : defaultValue();
        } else {
            return stored.value<T>();
        }
    }

    void write(QSettings &store, const T &value) const
    {
        if constexpr (std::is_enum_v<T>)
            store.setValue(key(), static_cast<int>(value));
        else
            store.setValue(key(), QVariant::fromValue(value));
    }

private:
    const char *name;
    T fallback {};
    Compute compute = nullptr;
};
