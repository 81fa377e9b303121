// Page enhancement of the eSCL client: near-white pixels become paper white,
// the others get a small lift and contrast stretch, channel by channel.
#include "escl/esclscanner.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define QUIRRA_ESCL_AVX2 1
#endif

namespace {

// Above this sum of r + g + b a pixel is paper, not ink.
constexpr int whiteSumThreshold = 722;

// The enhancement treats each channel alone, so its arithmetic is tabulated
// once: the table holds exactly what the double-precision formula yields.
const std::array<uchar, 256> &channelTable()
{
    static const std::array<uchar, 256> table = [] {
        std::array<uchar, 256> values {};
        for (int c = 0; c < 256; ++c) {
            const int c1 = qMin(c + 10, 255);
            const double v = (c1 - 128) * 1.15 + 128;
            values[static_cast<size_t>(c)] = static_cast<uchar>(qBound(0, static_cast<int>(v), 255));
        }
        return values;
    }();
    return table;
}

void enhanceRowScalar(const QRgb *source, QRgb *target, int count)
{
    const std::array<uchar, 256> &table = channelTable();
    for (int x = 0; x < count; ++x) {
        const QRgb pixel = source[x];
        const uint r = (pixel >> 16) & 0xff;
        const uint g = (pixel >> 8) & 0xff;
        const uint b = pixel & 0xff;
        // Paper grain sits right at the white threshold, so a branch here
        // would be mispredicted half the time: both results, then a select.
        const uint stretched = 0xff000000u | (uint(table[r]) << 16) | (uint(table[g]) << 8) | uint(table[b]);
        target[x] = (r + g + b > whiteSumThreshold) ? 0xffffffffu : stretched;
    }
}

// The vector paths work in integers. For c1 = min(c + 10, 255) the double
// formula equals floor(max(115 * c1 - 1920, 0) / 100) clamped to 255 for all
// 256 values (the tests compare it with the formula), and x / 100 equals
// (x * 5243) >> 19 over that range. Memory order of a pixel is b, g, r, a.
// Each returns the number of pixels it did; the rest of the row goes on.

#if defined(__SSE2__)
int enhanceRowSse2(const QRgb *source, QRgb *target, int count)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i ten = _mm_set1_epi8(10);
    const __m128i factor = _mm_set1_epi16(115);
    const __m128i offset = _mm_set1_epi16(1920);
    const __m128i divide = _mm_set1_epi16(5243);
    const __m128i colourWeights = _mm_set_epi16(0, 1, 1, 1, 0, 1, 1, 1);
    const __m128i threshold = _mm_set1_epi32(whiteSumThreshold);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));

    auto stretch = [&](__m128i channels) {
        channels = _mm_subs_epu16(_mm_mullo_epi16(channels, factor), offset);
        return _mm_srli_epi16(_mm_mulhi_epu16(channels, divide), 3);
    };
    auto pixelSums = [&](__m128i channels) {
        const __m128i pairs = _mm_madd_epi16(channels, colourWeights);
        return _mm_add_epi32(pairs, _mm_srli_epi64(pairs, 32));
    };

    int x = 0;
    for (; x + 4 <= count; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i *>(source + x));
        const __m128i raised = _mm_adds_epu8(pixels, ten);
        const __m128i stretched
            = _mm_packus_epi16(stretch(_mm_unpacklo_epi8(raised, zero)), stretch(_mm_unpackhi_epi8(raised, zero)));
        const __m128i sumsLow = pixelSums(_mm_unpacklo_epi8(pixels, zero));
        const __m128i sumsHigh = pixelSums(_mm_unpackhi_epi8(pixels, zero));
        const __m128i sums = _mm_castps_si128(
            _mm_shuffle_ps(_mm_castsi128_ps(sumsLow), _mm_castsi128_ps(sumsHigh), _MM_SHUFFLE(2, 0, 2, 0)));
        // White is all ones, so the paper mask simply ORs over the stretched value.
        const __m128i paper = _mm_cmpgt_epi32(sums, threshold);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(target + x), _mm_or_si128(_mm_or_si128(stretched, paper), opaque));
    }
    return x;
}
#endif

#if defined(QUIRRA_ESCL_AVX2)
// The same steps eight pixels wide. Unpack, pack and shuffle all stay within
// each 128-bit half, so every half is the SSE2 case on its own.
__attribute__((target("avx2"))) int enhanceRowAvx2(const QRgb *source, QRgb *target, int count)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i ten = _mm256_set1_epi8(10);
    const __m256i factor = _mm256_set1_epi16(115);
    const __m256i offset = _mm256_set1_epi16(1920);
    const __m256i divide = _mm256_set1_epi16(5243);
    const __m256i colourWeights = _mm256_set_epi16(0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1);
    const __m256i threshold = _mm256_set1_epi32(whiteSumThreshold);
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xff000000u));

    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(source + x));
        const __m256i raised = _mm256_adds_epu8(pixels, ten);
        __m256i low = _mm256_unpacklo_epi8(raised, zero);
        __m256i high = _mm256_unpackhi_epi8(raised, zero);
        low = _mm256_srli_epi16(
            _mm256_mulhi_epu16(_mm256_subs_epu16(_mm256_mullo_epi16(low, factor), offset), divide), 3);
        high = _mm256_srli_epi16(
            _mm256_mulhi_epu16(_mm256_subs_epu16(_mm256_mullo_epi16(high, factor), offset), divide), 3);
        const __m256i stretched = _mm256_packus_epi16(low, high);

        __m256i sumsLow = _mm256_madd_epi16(_mm256_unpacklo_epi8(pixels, zero), colourWeights);
        sumsLow = _mm256_add_epi32(sumsLow, _mm256_srli_epi64(sumsLow, 32));
        __m256i sumsHigh = _mm256_madd_epi16(_mm256_unpackhi_epi8(pixels, zero), colourWeights);
        sumsHigh = _mm256_add_epi32(sumsHigh, _mm256_srli_epi64(sumsHigh, 32));
        const __m256i sums = _mm256_castps_si256(
            _mm256_shuffle_ps(_mm256_castsi256_ps(sumsLow), _mm256_castsi256_ps(sumsHigh), _MM_SHUFFLE(2, 0, 2, 0)));
        const __m256i paper = _mm256_cmpgt_epi32(sums, threshold);
        _mm256_storeu_si256(
            reinterpret_cast<__m256i *>(target + x), _mm256_or_si256(_mm256_or_si256(stretched, paper), opaque));
    }
    return x;
}

bool hasAvx2()
{
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported;
}
#endif

void enhanceRow(const QRgb *source, QRgb *target, int count)
{
    int done = 0;
#if defined(QUIRRA_ESCL_AVX2)
    if (hasAvx2())
        done = enhanceRowAvx2(source, target, count);
#endif
#if defined(__SSE2__)
    done += enhanceRowSse2(source + done, target + done, count - done);
#endif
    enhanceRowScalar(source + done, target + done, count - done);
}

} // namespace

QImage ESCLScanner::enhanceScannedPage(QImage image)
{
    if (image.isNull())
        return image;
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);

    // The only copy (a page just decoded) is rewritten in place; a shared one
    // is left alone and read into a new image in the same pass.
    const bool inPlace = image.isDetached();
    QImage copy;
    if (!inPlace) {
        copy = QImage(image.size(), QImage::Format_RGB32);
        if (copy.isNull())
            return copy; // out of memory
        copy.setDotsPerMeterX(image.dotsPerMeterX());
        copy.setDotsPerMeterY(image.dotsPerMeterY());
    }
    QImage &result = inPlace ? image : copy;
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        const auto *source = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        enhanceRow(source, reinterpret_cast<QRgb *>(result.scanLine(y)), width);
    }
    return result;
}
