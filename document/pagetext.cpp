#include "document/pagetext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int formatVersion = 1;

QJsonArray boxArray(const QRect &box)
{
    return QJsonArray { box.x(), box.y(), box.width(), box.height() };
}

bool readBox(const QJsonValue &value, const QSize &imageSize, QRect *box)
{
    const QJsonArray array = value.toArray();
    if (array.size() != 4)
        return false;
    for (const QJsonValue &number : array) {
        if (!number.isDouble())
            return false;
    }
    const QRect read(array.at(0).toInt(), array.at(1).toInt(), array.at(2).toInt(), array.at(3).toInt());
    if (read.isEmpty() || !QRect(QPoint(), imageSize).contains(read))
        return false;
    *box = read;
    return true;
}

uint lastCodePoint(const QString &text)
{
    if (text.isEmpty())
        return 0;
    const int last = text.size() - 1;
    if (last > 0 && text.at(last).isLowSurrogate() && text.at(last - 1).isHighSurrogate())
        return QChar::surrogateToUcs4(text.at(last - 1), text.at(last));
    return text.at(last).unicode();
}

uint firstCodePoint(const QString &text)
{
    if (text.isEmpty())
        return 0;
    if (text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate())
        return QChar::surrogateToUcs4(text.at(0), text.at(1));
    return text.at(0).unicode();
}

} // namespace

bool PageText::isWideCharacter(uint c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) // radicals, punctuation, kana, CJK ideographs
        || (c >= 0xAC00 && c <= 0xD7AF) // Hangul
        || (c >= 0xF900 && c <= 0xFAFF) // compatibility ideographs
        || (c >= 0xFE30 && c <= 0xFE4F) // compatibility forms
        || (c >= 0xFF00 && c <= 0xFF60) // full-width forms
        || (c >= 0x20000 && c <= 0x3FFFF);
}

bool PageText::needsBlankBetween(const QString &before, const QString &after)
{
    return !(isWideCharacter(lastCodePoint(before)) && isWideCharacter(firstCodePoint(after)));
}

QString PageText::plainText() const
{
    QString text;
    for (const TextLine &line : lines) {
        if (line.words.isEmpty())
            continue;
        QString lineText;
        for (const TextWord &word : line.words) {
            if (!lineText.isEmpty() && needsBlankBetween(lineText, word.text))
                lineText += QLatin1Char(' ');
            lineText += word.text;
        }
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += lineText;
    }
    return text;
}

QByteArray PageText::toJson() const
{
    QJsonArray lineArray;
    for (const TextLine &line : lines) {
        QJsonArray wordArray;
        for (const TextWord &word : line.words) {
            wordArray.append(
                QJsonObject { { QStringLiteral("text"), word.text }, { QStringLiteral("box"), boxArray(word.box) },
                    { QStringLiteral("confidence"), qRound(word.confidence * 10) / 10.0 } });
        }
        lineArray.append(
            QJsonObject { { QStringLiteral("box"), boxArray(line.box) }, { QStringLiteral("words"), wordArray } });
    }
    const QJsonObject root { { QStringLiteral("version"), formatVersion },
        { QStringLiteral("width"), imageSize.width() }, { QStringLiteral("height"), imageSize.height() },
        { QStringLiteral("lines"), lineArray } };
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

bool PageText::fromJson(const QByteArray &json, PageText *text)
{
    *text = PageText();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("version")).toInt() != formatVersion)
        return false;
    const QSize size(root.value(QStringLiteral("width")).toInt(), root.value(QStringLiteral("height")).toInt());
    // Larger than any page the store accepts.
    if (size.isEmpty() || size.width() > 1000000 || size.height() > 1000000)
        return false;
    PageText read;
    read.imageSize = size;
    for (const QJsonValue &lineValue : root.value(QStringLiteral("lines")).toArray()) {
        const QJsonObject lineObject = lineValue.toObject();
        TextLine line;
        if (!readBox(lineObject.value(QStringLiteral("box")), size, &line.box))
            continue;
        for (const QJsonValue &wordValue : lineObject.value(QStringLiteral("words")).toArray()) {
            const QJsonObject wordObject = wordValue.toObject();
            TextWord word;
            word.text = wordObject.value(QStringLiteral("text")).toString();
            word.confidence = float(qBound(0.0, wordObject.value(QStringLiteral("confidence")).toDouble(), 100.0));
            if (!word.text.isEmpty() && readBox(wordObject.value(QStringLiteral("box")), size, &word.box))
                line.words.append(word);
        }
        if (!line.words.isEmpty())
            read.lines.append(line);
    }
    *text = read;
    return true;
}
