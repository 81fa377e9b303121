#include "ocr/textrecognizer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

namespace {

// How far red must stand above green and blue to be red ink rather than a warm
// paper or a brownish print.
constexpr int redInkMargin = 60;

QString utf8Text(tesseract::ResultIterator &iterator, tesseract::PageIteratorLevel level)
{
    const std::unique_ptr<char[]> text(iterator.GetUTF8Text(level));
    return text ? QString::fromUtf8(text.get()).trimmed() : QString();
}

QRect boxOf(const tesseract::PageIterator &iterator, tesseract::PageIteratorLevel level)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!iterator.BoundingBox(level, &left, &top, &right, &bottom))
        return QRect();
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// Tesseract asks this between words; a true answer ends the page early.
bool cancelRequested(void *flag, int)
{
    return flag && static_cast<const std::atomic_bool *>(flag)->load();
}

// The page's resolution, or 0 when it has none worth the name (Qt's default of
// 3780 dots per metre means nobody set one).
int dotsPerInch(const QImage &page)
{
    const int perMetre = page.dotsPerMeterX();
    if (perMetre <= 0 || perMetre == 3780)
        return 0;
    const int dpi = qRound(perMetre * 0.0254);
    return dpi <= 10000 ? dpi : 0;
}

// The page in grey as the engine should see it: the luminance of every pixel,
// except red ink, which takes its red value. A red seal stamped over a signature
// (or a red correction) is as dark as the text in luminance and in the engine's
// own colour thresholding, so the words under it and beside it are lost; in its
// red value it is nearly paper, while the text beneath, dark in every channel,
// stays dark.
QImage inkOnly(const QImage &page)
{
    if (page.format() == QImage::Format_Grayscale8 || page.format() == QImage::Format_Mono
        || page.format() == QImage::Format_MonoLSB || page.allGray())
        return page.format() == QImage::Format_Grayscale8 ? page : page.convertToFormat(QImage::Format_Grayscale8);
    const QImage colour = page.convertToFormat(QImage::Format_RGB32);
    QImage grey(colour.size(), QImage::Format_Grayscale8);
    grey.setDotsPerMeterX(page.dotsPerMeterX());
    grey.setDotsPerMeterY(page.dotsPerMeterY());
    for (int y = 0; y < colour.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(colour.constScanLine(y));
        uchar *out = grey.scanLine(y);
        for (int x = 0; x < colour.width(); ++x) {
            const int red = qRed(in[x]);
            out[x] = uchar(red - qMax(qGreen(in[x]), qBlue(in[x])) > redInkMargin ? red : qGray(in[x]));
        }
    }
    return grey;
}

} // namespace

TextRecognizer::TextRecognizer() = default;

TextRecognizer::~TextRecognizer()
{
    if (m_api)
        m_api->End();
}

QString TextRecognizer::defaultDataPath()
{
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty())
        return prefix;
    return QStringLiteral("/usr/share/tesseract-ocr/5/tessdata");
}

QStringList TextRecognizer::languageCodes(const QString &languages)
{
    return languages.split(QLatin1Char('+'), Qt::SkipEmptyParts);
}

QString TextRecognizer::packageFor(const QString &code)
{
    return QStringLiteral("tesseract-ocr-") + QString(code).replace(QLatin1Char('_'), QLatin1Char('-'));
}

QString TextRecognizer::missingDataMessage(const QString &languages, const QString &dataPath)
{
    QStringList packages;
    const QStringList codes = languageCodes(languages);
    for (const QString &code : codes) {
        if (!QFileInfo(QDir(dataPath).filePath(code + QStringLiteral(".traineddata"))).isReadable())
            packages.append(packageFor(code));
    }
    if (codes.isEmpty())
        return QCoreApplication::translate("TextRecognizer", "未选择文字识别语言");
    if (packages.isEmpty())
        return QString();
    return QCoreApplication::translate("TextRecognizer", "缺少文字识别语言数据（%1），请安装软件包 %2")
        .arg(dataPath, packages.join(QLatin1Char(' ')));
}

bool TextRecognizer::load(const QString &languages, const QString &dataPath, QString *errorText)
{
    if (m_api && languages == m_languages && dataPath == m_dataPath)
        return true;
    if (m_api) {
        m_api->End();
        m_api.reset();
    }
    m_languages.clear();
    // Checked first: the library would only print its complaint on standard error.
    const QString missing = missingDataMessage(languages, dataPath);
    if (!missing.isEmpty()) {
        if (errorText)
            *errorText = missing;
        return false;
    }
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    const QByteArray path = QDir(dataPath).absolutePath().toLocal8Bit() + '/';
    if (api->Init(path.constData(), languages.toLatin1().constData(), tesseract::OEM_LSTM_ONLY) != 0) {
        if (errorText)
            *errorText = QCoreApplication::translate("TextRecognizer", "无法加载文字识别语言数据: %1").arg(languages);
        return false;
    }
    // Words are joined by the reader of the result, never by the engine.
    api->SetVariable("preserve_interword_spaces", "1");
    api->SetPageSegMode(tesseract::PSM_AUTO);
    m_api = std::move(api);
    m_languages = languages;
    m_dataPath = dataPath;
    setBinarisation(m_binarisation);
    return true;
}

bool TextRecognizer::isLoaded() const
{
    return bool(m_api);
}

QString TextRecognizer::languages() const
{
    return m_languages;
}

void TextRecognizer::setBinarisation(Binarisation binarisation)
{
    m_binarisation = binarisation;
    if (m_api)
        m_api->SetVariable("thresholding_method", binarisation == Binarisation::Sauvola ? "2" : "0");
}

PageText TextRecognizer::recognize(const QImage &page, const std::atomic_bool *cancel, bool *cancelled)
{
    if (cancelled)
        *cancelled = false;
    PageText text;
    if (!m_api || page.isNull())
        return text;
    text.imageSize = page.size();
    // The engine splits its networks over a team of four OpenMP threads, which on
    // two cores already busy with one page per core only spin against each other.
    // This thread's regions run alone (the setting is the calling thread's own).
    omp_set_max_active_levels(0);
    // Grey is all the engine looks at; handing it grey spares it the conversion
    // of a colour page, and a two-level page becomes readable to it at all.
    const QImage grey = inkOnly(page);
    m_api->SetImage(grey.constBits(), grey.width(), grey.height(), 1, grey.bytesPerLine());
    const int dpi = dotsPerInch(page);
    m_api->SetSourceResolution(dpi > 0 ? dpi : 300);

    tesseract::ETEXT_DESC monitor;
    monitor.cancel = &cancelRequested;
    monitor.cancel_this = const_cast<std::atomic_bool *>(cancel);
    const int status = m_api->Recognize(&monitor);
    if ((cancel && cancel->load()) || status != 0) {
        if (cancelled)
            *cancelled = cancel && cancel->load();
        m_api->Clear();
        return PageText { page.size(), {} };
    }
    const std::unique_ptr<tesseract::ResultIterator> iterator(m_api->GetIterator());
    if (iterator && !iterator->Empty(tesseract::RIL_WORD)) {
        TextLine line;
        do {
            if (iterator->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
                if (!line.words.isEmpty())
                    text.lines.append(line);
                line = TextLine { boxOf(*iterator, tesseract::RIL_TEXTLINE), {} };
            }
            TextWord word { utf8Text(*iterator, tesseract::RIL_WORD), boxOf(*iterator, tesseract::RIL_WORD),
                iterator->Confidence(tesseract::RIL_WORD) };
            if (!word.text.isEmpty() && !word.box.isEmpty()) {
                line.words.append(word);
                // The engine's line box can leave out a descender or an accent.
                line.box = line.box.united(word.box);
            }
        } while (iterator->Next(tesseract::RIL_WORD));
        if (!line.words.isEmpty())
            text.lines.append(line);
    }
    m_api->Clear();
    return text;
}
