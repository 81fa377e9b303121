#include "settings/scanprofile.h"

#include <QCoreApplication>
#include <QJsonArray>

#include "settings/scanprofilefields.h"

namespace {

template<typename T> struct Words
{
    T value;
    const char *word;
};

constexpr Words<ScanSource> sourceWords[]
    = { { ScanSource::Flatbed, "flatbed" }, { ScanSource::Feeder, "adf" }, { ScanSource::Duplex, "duplex" } };
constexpr Words<ScanColorMode> colorModeWords[]
    = { { ScanColorMode::Color, "color" }, { ScanColorMode::Gray, "gray" }, { ScanColorMode::BlackWhite, "bw" } };
constexpr Words<SplitRule> splitRuleWords[] = { { SplitRule::None, "none" }, { SplitRule::EveryPage, "page" },
    { SplitRule::EveryNPages, "every" }, { SplitRule::BlankPage, "blank" }, { SplitRule::Barcode, "barcode" } };

template<typename T, size_t N> QString wordOf(const Words<T> (&words)[N], T value)
{
    for (const auto &entry : words) {
        if (entry.value == value)
            return QLatin1String(entry.word);
    }
    return QString();
}

template<typename T, size_t N> bool valueOf(const Words<T> (&words)[N], const QString &word, T *value)
{
    for (const auto &entry : words) {
        if (word == QLatin1String(entry.word)) {
            *value = entry.value;
            return true;
        }
    }
    return false;
}

QJsonValue toJson(const QString &value)
{
    return value;
}
QJsonValue toJson(int value)
{
    return value;
}
QJsonValue toJson(bool value)
{
    return value;
}
QJsonValue toJson(qint64 value)
{
    return value;
}
QJsonValue toJson(const QRectF &value)
{
    return QJsonArray { value.x(), value.y(), value.width(), value.height() };
}
QJsonValue toJson(ScanSource value)
{
    return sourceWord(value);
}
QJsonValue toJson(ScanColorMode value)
{
    return colorModeWord(value);
}
QJsonValue toJson(SplitRule value)
{
    return splitRuleWord(value);
}

bool fromJson(const QJsonValue &value, QString *field)
{
    if (!value.isString())
        return false;
    *field = value.toString();
    return true;
}
bool fromJson(const QJsonValue &value, bool *field)
{
    if (!value.isBool())
        return false;
    *field = value.toBool();
    return true;
}
bool fromJson(const QJsonValue &value, qint64 *field)
{
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number < 0 || number > 9e15 || number != static_cast<double>(qint64(number)))
        return false;
    *field = static_cast<qint64>(number);
    return true;
}
bool fromJson(const QJsonValue &value, int *field)
{
    qint64 wide = 0;
    if (!fromJson(value, &wide) || wide > 1000000)
        return false;
    *field = static_cast<int>(wide);
    return true;
}
bool fromJson(const QJsonValue &value, QRectF *field)
{
    const QJsonArray array = value.toArray();
    if (!value.isArray() || array.size() != 4)
        return false;
    for (const QJsonValue &number : array) {
        if (!number.isDouble() || number.toDouble() < 0 || number.toDouble() > 10000)
            return false;
    }
    *field = QRectF(array.at(0).toDouble(), array.at(1).toDouble(), array.at(2).toDouble(), array.at(3).toDouble());
    return true;
}
bool fromJson(const QJsonValue &value, ScanSource *field)
{
    return sourceFromWord(value.toString(), field);
}
bool fromJson(const QJsonValue &value, ScanColorMode *field)
{
    return colorModeFromWord(value.toString(), field);
}
bool fromJson(const QJsonValue &value, SplitRule *field)
{
    return splitRuleFromWord(value.toString(), field);
}

} // namespace

bool isKnown(ScanSource source)
{
    return !wordOf(sourceWords, source).isEmpty();
}
bool isKnown(ScanColorMode mode)
{
    return !wordOf(colorModeWords, mode).isEmpty();
}
bool isKnown(SplitRule rule)
{
    return !wordOf(splitRuleWords, rule).isEmpty();
}

QString sourceWord(ScanSource source)
{
    return wordOf(sourceWords, source);
}
bool sourceFromWord(const QString &word, ScanSource *source)
{
    return valueOf(sourceWords, word, source);
}
QString colorModeWord(ScanColorMode mode)
{
    return wordOf(colorModeWords, mode);
}
bool colorModeFromWord(const QString &word, ScanColorMode *mode)
{
    return valueOf(colorModeWords, word, mode);
}
QString splitRuleWord(SplitRule rule)
{
    return wordOf(splitRuleWords, rule);
}
bool splitRuleFromWord(const QString &word, SplitRule *rule)
{
    return valueOf(splitRuleWords, word, rule);
}

bool ScanProfile::operator==(const ScanProfile &other) const
{
    return toJson() == other.toJson();
}

QJsonObject ScanProfile::toJson() const
{
    QJsonObject object;
    ScanProfile copy = *this;
    ScanProfileFields::visit(
        copy, [&object](const char *key, const auto &field) { object[QLatin1String(key)] = ::toJson(field); });
    return object;
}

bool ScanProfile::fromJson(const QJsonObject &object, ScanProfile *profile, QString *errorText)
{
    ScanProfile read;
    QString refused;
    ScanProfileFields::visit(read, [&](const char *key, auto &field) {
        const QJsonValue value = object.value(QLatin1String(key));
        if (refused.isEmpty() && !value.isUndefined() && !::fromJson(value, &field))
            refused = QLatin1String(key);
    });
    if (!refused.isEmpty()) {
        *errorText = QCoreApplication::translate("ScanProfile", "方案中的“%1”无法读取").arg(refused);
        return false;
    }
    *profile = read;
    return true;
}
