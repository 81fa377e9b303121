#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

#include "document/pagetext.h"

namespace tesseract {
class TessBaseAPI;
}

// Finds the text of a page image with the Tesseract library: lines and words with
// their boxes in the page's pixels and their confidences. The models are loaded
// once, by load(), and serve every page after; loading costs about a second, a
// page several.
//
// One object per thread: the engine is not shared. recognize() may be abandoned
// from another thread through the cancel flag it is given.
class TextRecognizer
{
public:
    // How the page is turned into black and white before the layout is found.
    enum class Binarisation {
        Otsu, // one threshold for the whole page
        Sauvola, // a threshold per neighbourhood: uneven light, noise, grey backgrounds
    };

    TextRecognizer();
    ~TextRecognizer();
    TextRecognizer(const TextRecognizer &) = delete;
    TextRecognizer &operator=(const TextRecognizer &) = delete;

    // Where the language files (<code>.traineddata) are looked for: TESSDATA_PREFIX
    // when set, else the folder Debian's packages install them into.
    static QString defaultDataPath();
    // The language codes of a "+"-joined list ("chi_sim+eng").
    static QStringList languageCodes(const QString &languages);
    // The Debian package that brings a language's data ("chi_sim" -> "tesseract-ocr-chi-sim").
    static QString packageFor(const QString &code);
    // Empty when every language of the list has its data in dataPath; otherwise
    // the message for the user, naming the packages to install.
    static QString missingDataMessage(const QString &languages, const QString &dataPath = defaultDataPath());

    // Loads the models of languages ("chi_sim+eng"); false with errorText set
    // when they cannot be had. Loading again with the same list does nothing.
    bool load(const QString &languages, const QString &dataPath = defaultDataPath(), QString *errorText = nullptr);
    bool isLoaded() const;
    QString languages() const;

    void setBinarisation(Binarisation binarisation);

    // The text of page; the image may be of any format. An empty text for a page
    // without words, and also when cancel became true meanwhile (then cancelled,
    // when given, is set).
    PageText recognize(const QImage &page, const std::atomic_bool *cancel = nullptr, bool *cancelled = nullptr);

private:
    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    QString m_languages;
    QString m_dataPath;
    Binarisation m_binarisation = Binarisation::Otsu;
};
