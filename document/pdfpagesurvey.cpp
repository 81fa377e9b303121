#include "document/pdfpagesurvey.h"

#include <QDebug>
#include <QFile>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <climits>
#include <cmath>
#include <exception>
#include <map>
#include <vector>

namespace {

// A scan's image and its page agree in shape up to rounding of the page size
// to points; anything further off is an image placed on a page, not the page.
constexpr double shapeTolerance = 0.02;

// Resolutions a scanner really delivers; outside them the "scan" is a picture
// that merely has the page's shape.
constexpr int lowestScanResolution = 50;
constexpr int highestScanResolution = 2400;

bool sameShape(double width, double height, double otherWidth, double otherHeight)
{
    if (width <= 0 || height <= 0 || otherWidth <= 0 || otherHeight <= 0)
        return false;
    return std::abs(width / height - otherWidth / otherHeight) <= shapeTolerance * (otherWidth / otherHeight);
}

// Collects a content stream's operators, and the matrix and image of a page
// that only places one image.
class PlacementParser : public QPDFObjectHandle::ParserCallbacks
{
public:
    void handleObject(QPDFObjectHandle object) override
    {
        if (!plain)
            return;
        if (!object.isOperator()) {
            operands.push_back(object);
            return;
        }
        const std::string name = object.getOperatorValue();
        if (name == "cm" && operands.size() == 6 && matrix.empty()) {
            for (QPDFObjectHandle &operand : operands) {
                if (!operand.isNumber()) {
                    plain = false;
                    break;
                }
                matrix.push_back(operand.getNumericValue());
            }
        } else if (name == "Do" && operands.size() == 1 && operands.front().isName() && image.empty()) {
            image = operands.front().getName();
        } else if (name != "q" && name != "Q") {
            plain = false;
        }
        operands.clear();
    }

    void handleEOF() override { }

    bool plain = true;
    std::vector<double> matrix;
    std::string image;

private:
    std::vector<QPDFObjectHandle> operands;
};

bool near(double value, double expected)
{
    return std::abs(value - expected) <= 0.5;
}

} // namespace

struct PdfPageSurvey::Data
{
    QPDF pdf;
    std::vector<QPDFPageObjectHelper> pages;
};

PdfPageSurvey::PdfPageSurvey() = default;

PdfPageSurvey::~PdfPageSurvey() = default;

bool PdfPageSurvey::open(const QString &path, const QByteArray &password)
{
    m_data.reset();
    try {
        auto data = std::make_unique<Data>();
        // Damage is Poppler's to judge and report; qpdf only looks at images here.
        data->pdf.setSuppressWarnings(true);
        data->pdf.processFile(QFile::encodeName(path).constData(), password.isEmpty() ? nullptr : password.constData());
        data->pages = QPDFPageDocumentHelper(data->pdf).getAllPages();
        m_data = std::move(data);
        return true;
    } catch (const std::exception &error) {
        qDebug() << "无法检查PDF页面图像: " << path << error.what();
        return false;
    }
}

PdfPageSurvey::Page PdfPageSurvey::page(int index) const
{
    Page result;
    if (!m_data || index < 0 || size_t(index) >= m_data->pages.size())
        return result;
    try {
        QPDFPageObjectHelper page = m_data->pages.at(size_t(index));
        const QPDFObjectHandle::Rectangle box = page.getCropBox().getArrayAsRectangle();
        double pageWidth = std::abs(box.urx - box.llx);
        double pageHeight = std::abs(box.ury - box.lly);
        QPDFObjectHandle rotate = page.getAttribute("/Rotate", false);
        if (rotate.isInteger() && (rotate.getIntValue() / 90) % 2 != 0)
            std::swap(pageWidth, pageHeight);

        for (auto &entry : page.getImages()) {
            QPDFObjectHandle dictionary = entry.second.getDict();
            QPDFObjectHandle width = dictionary.getKey("/Width");
            QPDFObjectHandle height = dictionary.getKey("/Height");
            if (!width.isInteger() || !height.isInteger())
                continue;
            const QSize size(int(qBound<long long>(0, width.getIntValue(), INT_MAX)),
                int(qBound<long long>(0, height.getIntValue(), INT_MAX)));
            ++result.imageCount;
            if (qint64(size.width()) * size.height()
                > qint64(result.largestImage.width()) * result.largestImage.height()) {
                result.largestImage = size;
                QPDFObjectHandle mask = dictionary.getKey("/ImageMask");
                QPDFObjectHandle bits = dictionary.getKey("/BitsPerComponent");
                QPDFObjectHandle space = dictionary.getKey("/ColorSpace");
                const bool stencil = mask.isBool() && mask.getBoolValue();
                result.largestIsTwoLevel = stencil || (bits.isInteger() && bits.getIntValue() == 1);
                result.largestIsGrey = !stencil && bits.isInteger() && bits.getIntValue() == 8 && space.isName()
                    && space.getName() == "/DeviceGray";
            }
        }
        const QSize image = result.largestImage;
        // The image may be stored on its side and turned by the page.
        for (const bool turned : { false, true }) {
            const double width = turned ? image.height() : image.width();
            const double height = turned ? image.width() : image.height();
            if (!sameShape(width, height, pageWidth, pageHeight))
                continue;
            const int dpi = int(std::lround(width * 72.0 / pageWidth));
            if (dpi >= lowestScanResolution && dpi <= highestScanResolution)
                result.scannedResolution = dpi;
            break;
        }
    } catch (const std::exception &error) {
        qDebug() << "无法检查PDF页面图像: " << index << error.what();
    }
    return result;
}

namespace {

// The one image a page shows when it shows nothing else and that image fills the
// page upright (what scanners and image-to-PDF tools write), with the page's
// rotation in degrees clockwise; a null handle for any other page.
QPDFObjectHandle scanImageOf(QPDFPageObjectHelper &page, int *rotation)
{
    *rotation = 0;
    // Annotations (stamps, form fields) are drawn over the page.
    QPDFObjectHandle annotations = page.getObjectHandle().getKey("/Annots");
    if (annotations.isArray() && annotations.getArrayNItems() > 0)
        return QPDFObjectHandle();
    PlacementParser parser;
    page.parseContents(&parser);
    if (!parser.plain || parser.matrix.size() != 6 || parser.image.empty())
        return QPDFObjectHandle();
    const QPDFObjectHandle::Rectangle box = page.getCropBox().getArrayAsRectangle();
    const std::vector<double> &m = parser.matrix;
    if (!near(m[1], 0) || !near(m[2], 0) || !near(m[0], box.urx - box.llx) || !near(m[3], box.ury - box.lly)
        || !near(m[4], box.llx) || !near(m[5], box.lly))
        return QPDFObjectHandle();
    std::map<std::string, QPDFObjectHandle> images = page.getImages();
    const auto found = images.find(parser.image);
    if (found == images.end())
        return QPDFObjectHandle();
    QPDFObjectHandle rotate = page.getAttribute("/Rotate", false);
    if (rotate.isInteger())
        *rotation = int(((rotate.getIntValue() % 360) + 360) % 360);
    if (*rotation % 90 != 0)
        return QPDFObjectHandle();
    return found->second;
}

// A filter and its parameters, either given alone or as an array of one.
QPDFObjectHandle single(QPDFObjectHandle object)
{
    return object.isArray() && object.getArrayNItems() == 1 ? object.getArrayItem(0) : object;
}

QByteArray rawData(QPDFObjectHandle &image)
{
    const std::shared_ptr<Buffer> data = image.getRawStreamData();
    return QByteArray(reinterpret_cast<const char *>(data->getBuffer()), int(data->getSize()));
}

bool isFalse(QPDFObjectHandle value)
{
    return value.isNull() || (value.isBool() && !value.getBoolValue());
}

} // namespace

QByteArray PdfPageSurvey::scanJpeg(int index, int *rotation) const
{
    *rotation = 0;
    if (!m_data || index < 0 || size_t(index) >= m_data->pages.size())
        return QByteArray();
    try {
        QPDFPageObjectHelper page = m_data->pages.at(size_t(index));
        QPDFObjectHandle image = scanImageOf(page, rotation);
        if (!image.isInitialized())
            return QByteArray();
        QPDFObjectHandle dictionary = image.getDict();
        QPDFObjectHandle filter = single(dictionary.getKey("/Filter"));
        QPDFObjectHandle space = dictionary.getKey("/ColorSpace");
        const bool knownSpace = space.isName() && (space.getName() == "/DeviceRGB" || space.getName() == "/DeviceGray");
        // Anything that changes the pixels on their way to the page (masks,
        // decode arrays, colour profiles, CMYK) is left to Poppler.
        if (!filter.isName() || filter.getName() != "/DCTDecode" || !knownSpace
            || dictionary.getKey("/BitsPerComponent").getIntValueAsInt() != 8 || dictionary.hasKey("/SMask")
            || dictionary.hasKey("/Mask") || dictionary.hasKey("/Decode") || dictionary.hasKey("/ImageMask"))
            return QByteArray();
        return rawData(image);
    } catch (const std::exception &error) {
        qDebug() << "无法检查PDF页面图像: " << index << error.what();
        return QByteArray();
    }
}

StoredEncoding PdfPageSurvey::scanG4(int index) const
{
    if (!m_data || index < 0 || size_t(index) >= m_data->pages.size())
        return StoredEncoding();
    try {
        QPDFPageObjectHelper page = m_data->pages.at(size_t(index));
        int rotation = 0;
        QPDFObjectHandle image = scanImageOf(page, &rotation);
        if (!image.isInitialized() || rotation != 0)
            return StoredEncoding();
        QPDFObjectHandle dictionary = image.getDict();
        QPDFObjectHandle filter = single(dictionary.getKey("/Filter"));
        QPDFObjectHandle parameters = single(dictionary.getKey("/DecodeParms"));
        QPDFObjectHandle space = dictionary.getKey("/ColorSpace");
        const int width = dictionary.getKey("/Width").getIntValueAsInt();
        const int height = dictionary.getKey("/Height").getIntValueAsInt();
        if (!filter.isName() || filter.getName() != "/CCITTFaxDecode" || !parameters.isDictionary() || !space.isName()
            || space.getName() != "/DeviceGray" || dictionary.getKey("/BitsPerComponent").getIntValueAsInt() != 1
            || dictionary.hasKey("/SMask") || dictionary.hasKey("/Mask") || dictionary.hasKey("/ImageMask"))
            return StoredEncoding();
        // Only pure two-dimensional coding of exactly this image, as written
        // again with no parameters beyond these, is copied.
        QPDFObjectHandle k = parameters.getKey("/K");
        QPDFObjectHandle columns = parameters.getKey("/Columns");
        QPDFObjectHandle rows = parameters.getKey("/Rows");
        QPDFObjectHandle endOfBlock = parameters.getKey("/EndOfBlock");
        if (!k.isInteger() || k.getIntValue() >= 0 || !columns.isInteger() || columns.getIntValue() != width
            || (!rows.isNull() && (!rows.isInteger() || rows.getIntValue() != height))
            || !isFalse(parameters.getKey("/EncodedByteAlign")) || !isFalse(parameters.getKey("/EndOfLine"))
            || !(endOfBlock.isNull() || (endOfBlock.isBool() && endOfBlock.getBoolValue())))
            return StoredEncoding();
        QPDFObjectHandle blackIs1 = parameters.getKey("/BlackIs1");
        if (!blackIs1.isNull() && !blackIs1.isBool())
            return StoredEncoding();
        bool black = blackIs1.isBool() && blackIs1.getBoolValue();
        // A decode array of [1 0] turns the colours round, as BlackIs1 does.
        QPDFObjectHandle decode = dictionary.getKey("/Decode");
        if (!decode.isNull()) {
            if (!decode.isArray() || decode.getArrayNItems() != 2 || !decode.getArrayItem(0).isNumber()
                || !decode.getArrayItem(1).isNumber())
                return StoredEncoding();
            const double low = decode.getArrayItem(0).getNumericValue();
            const double high = decode.getArrayItem(1).getNumericValue();
            if (low == 1 && high == 0)
                black = !black;
            else if (low != 0 || high != 1)
                return StoredEncoding();
        }
        return StoredEncoding::g4(rawData(image), QSize(width, height), black);
    } catch (const std::exception &error) {
        qDebug() << "无法检查PDF页面图像: " << index << error.what();
        return StoredEncoding();
    }
}
