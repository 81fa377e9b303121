#include "document/pdftextlayer.h"

#include <QtEndian>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <memory>

#include "document/pdfpagecanvas.h"

namespace {

// Every glyph is half an em wide; each word is stretched (Tz) to its box anyway.
constexpr int glyphWidth = 500;
const char fontResource[] = "/QuirraText";

QByteArray number(double value)
{
    QByteArray text = QByteArray::number(value, 'f', 2);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? QByteArray("0") : text;
}

// The two-byte codes of a word: the UTF-16 units of the Basic Multilingual Plane,
// as a PDF literal string.
QByteArray encodedString(const QString &text, int *glyphs)
{
    QByteArray string = "(";
    *glyphs = 0;
    const QVector<uint> points = text.toUcs4();
    for (uint point : points) {
        if (point > 0xFFFF || (point >= 0xD800 && point <= 0xDFFF))
            point = 0xFFFD;
        for (const char byte : { char(point >> 8), char(point & 0xFF) }) {
            switch (byte) {
            case '(':
            case ')':
            case '\\':
                string += '\\';
                string += byte;
                break;
            // A bare line end inside a string is read back as a plain new line.
            case '\r':
                string += "\\r";
                break;
            case '\n':
                string += "\\n";
                break;
            default:
                string += byte;
            }
        }
        ++*glyphs;
    }
    return string + ')';
}

// Words of a line whose touching characters are both Chinese (Japanese, Korean)
// become one run: those scripts put no blank between words, and a reader puts
// one wherever two pieces of text leave a gap.
QVector<TextWord> runsOf(const TextLine &line)
{
    QVector<TextWord> runs;
    for (const TextWord &word : line.words) {
        if (!runs.isEmpty() && !PageText::needsBlankBetween(runs.last().text, word.text)) {
            runs.last().text += word.text;
            runs.last().box = runs.last().box.united(word.box);
        } else {
            runs.append(word);
        }
    }
    return runs;
}

// Big-endian table writing for the font program.
void put16(QByteArray &bytes, quint16 value)
{
    bytes += char(value >> 8);
    bytes += char(value & 0xFF);
}

void put32(QByteArray &bytes, quint32 value)
{
    put16(bytes, quint16(value >> 16));
    put16(bytes, quint16(value & 0xFFFF));
}

quint32 checksum(const QByteArray &table)
{
    QByteArray padded = table;
    while (padded.size() % 4)
        padded += '\0';
    quint32 sum = 0;
    for (int i = 0; i < padded.size(); i += 4)
        sum += qFromBigEndian<quint32>(padded.constData() + i);
    return sum;
}

QPDFObjectHandle name(const char *text)
{
    return QPDFObjectHandle::newName(text);
}

QPDFObjectHandle makeFont(QPDF &pdf)
{
    const QByteArray program = PdfTextLayer::glyphLessFont();
    QPDFObjectHandle fontFile = pdf.newStream(program.toStdString());
    fontFile.getDict().replaceKey("/Length1", QPDFObjectHandle::newInteger(program.size()));
    QPDFObjectHandle descriptor = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary({
        { "/Type", name("/FontDescriptor") },
        { "/FontName", name("/GlyphLessFont") },
        { "/Flags", QPDFObjectHandle::newInteger(5) }, // fixed pitch, symbolic
        { "/FontBBox", QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(0, 0, glyphWidth, 1000)) },
        { "/ItalicAngle", QPDFObjectHandle::newInteger(0) },
        // Ascent 1000, descent 0: a glyph's box is the word's box from the
        // baseline at the line's foot up by the font size, the line's height.
        { "/Ascent", QPDFObjectHandle::newInteger(1000) },
        { "/Descent", QPDFObjectHandle::newInteger(0) },
        { "/CapHeight", QPDFObjectHandle::newInteger(1000) },
        { "/StemV", QPDFObjectHandle::newInteger(80) },
        { "/FontFile2", fontFile },
    }));
    // Every code to glyph 1, the empty one; deflated by the writer to a few hundred bytes.
    QByteArray toGlyph(2 * 65536, '\0');
    for (int i = 1; i < toGlyph.size(); i += 2)
        toGlyph[i] = 1;
    QPDFObjectHandle descendant = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary({
        { "/Type", name("/Font") },
        { "/Subtype", name("/CIDFontType2") },
        { "/BaseFont", name("/GlyphLessFont") },
        { "/CIDSystemInfo",
            QPDFObjectHandle::newDictionary({
                { "/Registry", QPDFObjectHandle::newString("Adobe") },
                { "/Ordering", QPDFObjectHandle::newString("Identity") },
                { "/Supplement", QPDFObjectHandle::newInteger(0) },
            }) },
        { "/FontDescriptor", descriptor },
        { "/DW", QPDFObjectHandle::newInteger(glyphWidth) },
        { "/CIDToGIDMap", pdf.newStream(toGlyph.toStdString()) },
    }));
    return pdf.makeIndirectObject(QPDFObjectHandle::newDictionary({
        { "/Type", name("/Font") },
        { "/Subtype", name("/Type0") },
        { "/BaseFont", name("/GlyphLessFont") },
        { "/Encoding", name("/Identity-H") },
        { "/DescendantFonts", QPDFObjectHandle::newArray({ descendant }) },
        { "/ToUnicode", pdf.newStream(PdfTextLayer::toUnicodeMap().toStdString()) },
    }));
}

} // namespace

QByteArray PdfTextLayer::pageContent(const PageText &text, const QTransform &toPoints, const QByteArray &fontName)
{
    if (text.isEmpty())
        return QByteArray();
    const double scaleX = qAbs(toPoints.m11());
    const double scaleY = qAbs(toPoints.m22());
    QByteArray content = "BT\n3 Tr\n";
    for (const TextLine &line : text.lines) {
        const double fontSize = qMax(1.0, line.box.height() * scaleY);
        content += fontName + ' ' + number(fontSize) + " Tf\n";
        for (const TextWord &run : runsOf(line)) {
            int glyphs = 0;
            const QByteArray string = encodedString(run.text, &glyphs);
            if (glyphs == 0)
                continue;
            const QPointF origin = toPoints.map(QPointF(run.box.left(), line.box.top() + line.box.height()));
            const double width = run.box.width() * scaleX;
            const double stretch = qBound(1.0, 100 * width / (glyphs * fontSize * glyphWidth / 1000), 10000.0);
            content += number(stretch) + " Tz 1 0 0 1 " + number(origin.x()) + ' ' + number(origin.y()) + " Tm "
                + string + " Tj\n";
        }
    }
    return content + "ET";
}

ImageFileWriter::PageDecorator PdfTextLayer::decorator(const QVector<PageText> &texts)
{
    // The font is made once per file, on its first page with text. The handle
    // belongs to that file's QPDF; a later file (another write, or the next
    // pass of a size limit) may well have its QPDF at the same address, so the
    // handle's owner tells, which qpdf clears when the QPDF is destroyed.
    struct Font
    {
        QPDFObjectHandle handle;
    };
    auto font = std::make_shared<Font>();
    return [texts, font](int index, const QImage &page, PdfPageCanvas &canvas) {
        if (index < 0 || index >= texts.size())
            return;
        const PageText &text = texts.at(index);
        if (text.isEmpty() || text.imageSize != page.size())
            return;
        if (font->handle.getOwningQPDF() != &canvas.pdf())
            font->handle = makeFont(canvas.pdf());
        QPDFObjectHandle fonts = canvas.resources().getKey("/Font");
        if (!fonts.isDictionary()) {
            fonts = QPDFObjectHandle::newDictionary();
            canvas.resources().replaceKey("/Font", fonts);
        }
        fonts.replaceKey(fontResource, font->handle);
        canvas.appendContent(pageContent(text, canvas.toPoints(), fontResource));
    };
}

QByteArray PdfTextLayer::glyphLessFont()
{
    // Two glyphs, both empty: .notdef and the one every code maps to.
    constexpr quint16 glyphCount = 2;
    QByteArray head;
    put32(head, 0x00010000); // version
    put32(head, 0x00010000); // font revision
    put32(head, 0); // checksum adjustment, set below
    put32(head, 0x5F0F3CF5); // magic
    put16(head, 0x000B); // flags: baseline at 0, left side bearing at 0, integer scaling
    put16(head, 1000); // units per em
    for (int i = 0; i < 4; ++i)
        put32(head, 0); // created, modified
    put16(head, 0); // xMin
    put16(head, 0); // yMin
    put16(head, glyphWidth); // xMax
    put16(head, 1000); // yMax
    put16(head, 0); // mac style
    put16(head, 3); // lowest readable size
    put16(head, 2); // font direction hint
    put16(head, 0); // short loca offsets
    put16(head, 0); // glyph data format

    QByteArray hhea;
    put32(hhea, 0x00010000);
    put16(hhea, 1000); // ascender
    put16(hhea, 0); // descender
    put16(hhea, 0); // line gap
    put16(hhea, glyphWidth); // advance width max
    put16(hhea, 0); // min left side bearing
    put16(hhea, 0); // min right side bearing
    put16(hhea, glyphWidth); // x max extent
    put16(hhea, 1); // caret slope rise
    put16(hhea, 0); // caret slope run
    for (int i = 0; i < 5; ++i)
        put16(hhea, 0); // caret offset, reserved
    put16(hhea, 0); // metric data format
    put16(hhea, glyphCount); // horizontal metrics

    QByteArray hmtx;
    for (int i = 0; i < glyphCount; ++i) {
        put16(hmtx, glyphWidth);
        put16(hmtx, 0);
    }

    QByteArray loca;
    for (int i = 0; i <= glyphCount; ++i)
        put16(loca, 0);

    QByteArray maxp;
    put32(maxp, 0x00010000);
    put16(maxp, glyphCount);
    put16(maxp, 0); // points
    put16(maxp, 0); // contours
    put16(maxp, 0); // composite points
    put16(maxp, 0); // composite contours
    put16(maxp, 2); // zones
    for (int i = 0; i < 8; ++i)
        put16(maxp, 0); // twilight points .. component depth

    QByteArray post;
    put32(post, 0x00030000); // no glyph names
    put32(post, 0); // italic angle
    put16(post, quint16(-100)); // underline position
    put16(post, 50); // underline thickness
    for (int i = 0; i < 5; ++i)
        put32(post, 0);

    // Tables in tag order, each on a four-byte boundary.
    const std::pair<const char *, QByteArray> tables[] = {
        { "glyf", QByteArray() },
        { "head", head },
        { "hhea", hhea },
        { "hmtx", hmtx },
        { "loca", loca },
        { "maxp", maxp },
        { "post", post },
    };
    constexpr quint16 tableCount = sizeof(tables) / sizeof(tables[0]);
    QByteArray font;
    put32(font, 0x00010000);
    put16(font, tableCount);
    put16(font, 64); // search range: 16 * the largest power of two <= tableCount
    put16(font, 2); // entry selector
    put16(font, tableCount * 16 - 64); // range shift
    quint32 offset = 12 + 16 * tableCount;
    QByteArray data;
    int headOffset = 0;
    for (const auto &table : tables) {
        font += QByteArray(table.first, 4);
        put32(font, checksum(table.second));
        put32(font, offset);
        put32(font, quint32(table.second.size()));
        if (qstrcmp(table.first, "head") == 0)
            headOffset = int(offset);
        QByteArray padded = table.second;
        while (padded.size() % 4)
            padded += '\0';
        data += padded;
        offset += quint32(padded.size());
    }
    font += data;
    const quint32 adjustment = 0xB1B0AFBA - checksum(font);
    qToBigEndian(adjustment, font.data() + headOffset + 8);
    return font;
}

QByteArray PdfTextLayer::toUnicodeMap()
{
    QByteArray map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                     "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                     "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                     "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    // Every code is its own code point; a range may only vary in its last byte,
    // and a block holds at most 100 ranges. Surrogates are no characters.
    QVector<int> highBytes;
    for (int high = 0; high < 256; ++high) {
        if (high < 0xD8 || high > 0xDF)
            highBytes.append(high);
    }
    for (int start = 0; start < highBytes.size(); start += 100) {
        const int count = qMin(100, highBytes.size() - start);
        map += QByteArray::number(count) + " beginbfrange\n";
        for (int i = start; i < start + count; ++i) {
            const QByteArray high = QByteArray::number(highBytes.at(i), 16).rightJustified(2, '0').toUpper();
            map += '<' + high + "00> <" + high + "FF> <" + high + "00>\n";
        }
        map += "endbfrange\n";
    }
    return map + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}
