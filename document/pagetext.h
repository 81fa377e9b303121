#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

// The text found on one page image: lines in reading order, each with its words,
// boxes in the page's pixels (origin top left). A plain value: the recogniser
// (ocr/) fills it, the page store keeps it beside the page, the PDF writer lays
// it over the page as invisible text. The struct needs nothing but QtCore, so the
// recogniser shares it without linking this library.
struct TextWord
{
    QString text;
    QRect box;
    float confidence = 0; // 0..100
};

struct TextLine
{
    QRect box;
    QVector<TextWord> words;
};

struct PageText
{
    QSize imageSize; // the page image the boxes belong to
    QVector<TextLine> lines;

    int wordCount() const
    {
        int count = 0;
        for (const TextLine &line : lines)
            count += line.words.size();
        return count;
    }
    bool isEmpty() const { return wordCount() == 0; }

    // Lines joined by new lines, words by blanks except between two Chinese,
    // Japanese or Korean characters, which never had a blank between them.
    QString plainText() const;

    QByteArray toJson() const;
    // False for bytes that are not such a text (damaged or foreign file); text is
    // then left empty. Boxes outside the image are dropped.
    static bool fromJson(const QByteArray &json, PageText *text);

    // Whether a blank belongs between text ending in before and text starting with after.
    static bool isWideCharacter(uint codePoint);
    static bool needsBlankBetween(const QString &before, const QString &after);
};
