#pragma once

#include <QByteArray>
#include <QTransform>
#include <QVector>

#include "document/imagefilewriter.h"
#include "document/pagetext.h"

// Invisible text over the page images of a PDF (rendering mode 3), word by word on
// the words' boxes and in reading order, so that a reader finds, selects and copies
// the recognised text where its ink is.
//
// The text uses one glyph-less font per file: a TrueType program of a single empty
// glyph (a few hundred bytes) with a ToUnicode map that takes every two-byte code
// to the same Unicode code point. Embedding a real CJK font subset would cost tens
// to hundreds of kilobytes per file for glyphs nobody ever sees. Characters beyond
// the Basic Multilingual Plane become U+FFFD.
class PdfTextLayer
{
public:
    // The decorator for ImageFileWriter::PdfLayout: page i of the file gets
    // texts[i]. A page without text, or whose text belongs to an image of another
    // size, gets no layer.
    static ImageFileWriter::PageDecorator decorator(const QVector<PageText> &texts);

    // The operators of one page's layer; fontName names the glyph-less font in the
    // page's resources ("/TT0").
    static QByteArray pageContent(const PageText &text, const QTransform &toPoints, const QByteArray &fontName);

    // The font program and the ToUnicode map, as embedded.
    static QByteArray glyphLessFont();
    static QByteArray toUnicodeMap();
};
