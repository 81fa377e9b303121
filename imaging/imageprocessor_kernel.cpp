#include "imaging/imageprocessor.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/kernelisa.h"
#include "imaging/rowwriter.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define QUIRRA_KERNEL_AVX2 1
#endif

// The convolution is defined in double precision, one product and one sum per
// weight in row order for each channel of each pixel. The fast path keeps exactly
// that: the four channels of a pixel sit in the four lanes of one vector, every
// lane sees the same multiplications and additions in the same order (no fused
// multiply-add: this file is built with -ffp-contract=off), and neighbouring
// pixels only run side by side. Weights of exactly
// zero are skipped: adding 0 x value changes no sum.

namespace {

struct Tap
{
    int row;
    int column;
    double weight;
};

void convertPixelsScalar(const QRgb *in, int width, double *out)
{
    for (int x = 0; x < width; ++x) {
        const QRgb p = in[x];
        out[4 * x] = p & 0xff;
        out[4 * x + 1] = (p >> 8) & 0xff;
        out[4 * x + 2] = (p >> 16) & 0xff;
        out[4 * x + 3] = p >> 24;
    }
}

#ifdef QUIRRA_KERNEL_AVX2
__attribute__((target("avx2"))) void convertPixelsAvx2(const QRgb *in, int width, double *out)
{
    int x = 0;
    for (; x < width; ++x) {
        const __m128i bytes = _mm_cvtsi32_si128(int(in[x]));
        _mm256_storeu_pd(out + 4 * x, _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(bytes)));
    }
}
#endif

void convertPixels(const QRgb *in, int width, double *out);

// Source rows converted to doubles (blue, green, red, alpha per pixel, as the bytes
// lie in memory), padded by `half` repeated edge pixels on both sides.
class RowCache
{
public:
    RowCache(const QImage &source, int size)
        : source(source)
        , size(size)
        , half(size / 2)
        , stride(size_t(source.width() + 2 * half) * 4)
        , rows(size_t(size) * stride)
        , loaded(size_t(size), INT_MIN)
    {
    }

    // Padded row for the unclamped source row index j.
    const double *row(int j)
    {
        const int slot = ((j % size) + size) % size;
        double *data = rows.data() + size_t(slot) * stride;
        if (loaded[size_t(slot)] != j) {
            const int width = source.width();
            const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(qBound(0, j, source.height() - 1)));
            convertPixels(in, width, data + size_t(half) * 4);
            for (int x = -half; x < 0; ++x)
                std::copy(data + size_t(half) * 4, data + size_t(half) * 4 + 4, data + size_t(x + half) * 4);
            for (int x = width; x < width + half; ++x)
                std::copy(
                    data + size_t(width - 1 + half) * 4, data + size_t(width + half) * 4, data + size_t(x + half) * 4);
            loaded[size_t(slot)] = j;
        }
        return data;
    }

private:
    const QImage &source;
    const int size;
    const int half;
    const size_t stride;
    std::vector<double> rows;
    std::vector<int> loaded;
};

uint clampChannel(double value)
{
    if (!(value > 0.0))
        return 0;
    if (value >= 255.0)
        return 255;
    return uint(value);
}

void convolveRowScalar(const std::vector<const double *> &tapRows, const std::vector<Tap> &taps, int width, QRgb *out)
{
    for (int x = 0; x < width; ++x) {
        double sum[4] = { 0, 0, 0, 0 };
        for (size_t t = 0; t < taps.size(); ++t) {
            const double *p = tapRows[t] + size_t(x + taps[t].column) * 4;
            const double w = taps[t].weight;
            sum[0] += w * p[0];
            sum[1] += w * p[1];
            sum[2] += w * p[2];
            sum[3] += w * p[3];
        }
        out[x] = clampChannel(sum[0]) | clampChannel(sum[1]) << 8 | clampChannel(sum[2]) << 16
            | clampChannel(sum[3]) << 24;
    }
}

#ifdef QUIRRA_KERNEL_AVX2
__attribute__((target("avx2"))) inline uint packPixel(__m256d sum)
{
    const __m256d clamped = _mm256_min_pd(_mm256_max_pd(sum, _mm256_setzero_pd()), _mm256_set1_pd(255.0));
    const __m128i lanes = _mm256_cvttpd_epi32(clamped);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(lanes, lanes), _mm_setzero_si128());
    return uint(_mm_cvtsi128_si32(bytes));
}

__attribute__((target("avx2"))) void convolveRowAvx2Tail(
    const std::vector<const double *> &tapRows, const std::vector<Tap> &taps, int x, int width, QRgb *out)
{
    for (; x < width; ++x) {
        __m256d sum = _mm256_setzero_pd();
        for (size_t t = 0; t < taps.size(); ++t) {
            const __m256d w = _mm256_set1_pd(taps[t].weight);
            sum = _mm256_add_pd(sum, _mm256_mul_pd(w, _mm256_loadu_pd(tapRows[t] + size_t(x + taps[t].column) * 4)));
        }
        out[x] = packPixel(sum);
    }
}

__attribute__((target("avx2"))) void convolveRowAvx2(
    const std::vector<const double *> &tapRows, const std::vector<Tap> &taps, int width, QRgb *out)
{
    const size_t count = taps.size();
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        __m256d s0 = _mm256_setzero_pd(), s1 = _mm256_setzero_pd(), s2 = _mm256_setzero_pd(), s3 = _mm256_setzero_pd(),
                s4 = _mm256_setzero_pd(), s5 = _mm256_setzero_pd(), s6 = _mm256_setzero_pd(), s7 = _mm256_setzero_pd();
        for (size_t t = 0; t < count; ++t) {
            const double *p = tapRows[t] + size_t(x + taps[t].column) * 4;
            const __m256d w = _mm256_set1_pd(taps[t].weight);
            s0 = _mm256_add_pd(s0, _mm256_mul_pd(w, _mm256_loadu_pd(p)));
            s1 = _mm256_add_pd(s1, _mm256_mul_pd(w, _mm256_loadu_pd(p + 4)));
            s2 = _mm256_add_pd(s2, _mm256_mul_pd(w, _mm256_loadu_pd(p + 8)));
            s3 = _mm256_add_pd(s3, _mm256_mul_pd(w, _mm256_loadu_pd(p + 12)));
            s4 = _mm256_add_pd(s4, _mm256_mul_pd(w, _mm256_loadu_pd(p + 16)));
            s5 = _mm256_add_pd(s5, _mm256_mul_pd(w, _mm256_loadu_pd(p + 20)));
            s6 = _mm256_add_pd(s6, _mm256_mul_pd(w, _mm256_loadu_pd(p + 24)));
            s7 = _mm256_add_pd(s7, _mm256_mul_pd(w, _mm256_loadu_pd(p + 28)));
        }
        out[x] = packPixel(s0);
        out[x + 1] = packPixel(s1);
        out[x + 2] = packPixel(s2);
        out[x + 3] = packPixel(s3);
        out[x + 4] = packPixel(s4);
        out[x + 5] = packPixel(s5);
        out[x + 6] = packPixel(s6);
        out[x + 7] = packPixel(s7);
    }
    convolveRowAvx2Tail(tapRows, taps, x, width, out);
}

// Two neighbouring pixels per 512-bit vector, sixteen pixels in flight.
__attribute__((target("avx512f"))) void convolveRowAvx512(
    const std::vector<const double *> &tapRows, const std::vector<Tap> &taps, int width, QRgb *out)
{
    const size_t count = taps.size();
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        __m512d s[8];
        for (__m512d &sum : s)
            sum = _mm512_setzero_pd();
        for (size_t t = 0; t < count; ++t) {
            const double *p = tapRows[t] + size_t(x + taps[t].column) * 4;
            const __m512d w = _mm512_set1_pd(taps[t].weight);
            s[0] = _mm512_add_pd(s[0], _mm512_mul_pd(w, _mm512_loadu_pd(p)));
            s[1] = _mm512_add_pd(s[1], _mm512_mul_pd(w, _mm512_loadu_pd(p + 8)));
            s[2] = _mm512_add_pd(s[2], _mm512_mul_pd(w, _mm512_loadu_pd(p + 16)));
            s[3] = _mm512_add_pd(s[3], _mm512_mul_pd(w, _mm512_loadu_pd(p + 24)));
            s[4] = _mm512_add_pd(s[4], _mm512_mul_pd(w, _mm512_loadu_pd(p + 32)));
            s[5] = _mm512_add_pd(s[5], _mm512_mul_pd(w, _mm512_loadu_pd(p + 40)));
            s[6] = _mm512_add_pd(s[6], _mm512_mul_pd(w, _mm512_loadu_pd(p + 48)));
            s[7] = _mm512_add_pd(s[7], _mm512_mul_pd(w, _mm512_loadu_pd(p + 56)));
        }
        const __m512d low = _mm512_setzero_pd();
        const __m512d high = _mm512_set1_pd(255.0);
        for (int i = 0; i < 8; ++i) {
            // max(sum, 0) first, so NaN ends at 0 as in the scalar rule. (The masked
            // forms with every lane selected avoid GCC's undefined-source temporaries.)
            const __m512d clamped = _mm512_mask_min_pd(low, 0xff, _mm512_mask_max_pd(low, 0xff, s[i], low), high);
            const __m256i lanes = _mm512_mask_cvttpd_epi32(_mm256_setzero_si256(), 0xff, clamped);
            const __m128i a = _mm256_castsi256_si128(lanes);
            const __m128i b = _mm256_extracti128_si256(lanes, 1);
            const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_setzero_si128());
            _mm_storel_epi64(reinterpret_cast<__m128i *>(out + x + 2 * i), bytes);
        }
    }
    if (x < width)
        convolveRowAvx2Tail(tapRows, taps, x, width, out);
}

bool hasAvx2()
{
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported && KernelIsa::ceiling() >= KernelIsa::Avx2;
}

bool hasAvx512()
{
    static const bool supported = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx2");
    return supported && KernelIsa::ceiling() >= KernelIsa::Avx512;
}
#endif

void convertPixels(const QRgb *in, int width, double *out)
{
#ifdef QUIRRA_KERNEL_AVX2
    if (hasAvx2()) {
        convertPixelsAvx2(in, width, out);
        return;
    }
#endif
    convertPixelsScalar(in, width, out);
}

// When every weight is a small multiple of 1/2^shift (sharpen at 50 %: -0.5 and 5;
// the binomial blurs), every product and every partial sum of the double arithmetic
// is exact, so the defined result equals trunc(S / 2^shift) of the integer sum S of
// scaled weights times values. With |S| bounded below 2^15 the sums fit 16-bit lanes.
struct IntegerKernel
{
    int shift = -1; // -1: not exact in 16 bits, use the double paths
    std::vector<int> weights; // per tap, scaled by 2^shift
};

IntegerKernel integerKernel(const std::vector<Tap> &taps)
{
    IntegerKernel result;
    for (int shift = 0; shift <= 8; ++shift) {
        const double scale = double(1 << shift);
        std::vector<int> weights;
        qint64 magnitude = 0;
        bool exact = true;
        for (const Tap &tap : taps) {
            const double scaled = tap.weight * scale;
            if (!(std::fabs(scaled) <= 32767.0) || scaled != std::floor(scaled)) {
                exact = false;
                break;
            }
            weights.push_back(int(scaled));
            magnitude += std::abs(int(scaled));
        }
        if (!exact)
            continue;
        if (magnitude * 255 <= 32767) {
            result.shift = shift;
            result.weights = weights;
        }
        break;
    }
    return result;
}

// Source rows as bytes, padded by `half` repeated edge pixels on both sides.
class ByteRowCache
{
public:
    ByteRowCache(const QImage &source, int size)
        : source(source)
        , size(size)
        , half(size / 2)
        , stride(size_t(source.width() + 2 * half) * 4 + 32)
        , rows(size_t(size) * stride)
        , loaded(size_t(size), INT_MIN)
    {
    }

    const uchar *row(int j)
    {
        const int slot = ((j % size) + size) % size;
        uchar *data = rows.data() + size_t(slot) * stride;
        if (loaded[size_t(slot)] != j) {
            const int width = source.width();
            const uchar *in = source.constScanLine(qBound(0, j, source.height() - 1));
            memcpy(data + size_t(half) * 4, in, size_t(width) * 4);
            for (int x = 0; x < half; ++x) {
                memcpy(data + size_t(x) * 4, in, 4);
                memcpy(data + size_t(width + half + x) * 4, in + size_t(width - 1) * 4, 4);
            }
            loaded[size_t(slot)] = j;
        }
        return data;
    }

private:
    const QImage &source;
    const int size;
    const int half;
    const size_t stride; // a little slack past the padding for 16-byte loads
    std::vector<uchar> rows;
    std::vector<int> loaded;
};

uchar integerChannel(int sum, int shift)
{
    return sum <= 0 ? 0 : uchar(qMin(255, sum >> shift));
}

void convolveRowIntegerScalar(const std::vector<const uchar *> &tapRows, const std::vector<Tap> &taps,
    const IntegerKernel &kernel, int x, int width, QRgb *out)
{
    for (; x < width; ++x) {
        int sum[4] = { 0, 0, 0, 0 };
        for (size_t t = 0; t < taps.size(); ++t) {
            const uchar *p = tapRows[t] + size_t(x + taps[t].column) * 4;
            for (int c = 0; c < 4; ++c)
                sum[c] += kernel.weights[t] * p[c];
        }
        out[x] = uint(integerChannel(sum[0], kernel.shift)) | uint(integerChannel(sum[1], kernel.shift)) << 8
            | uint(integerChannel(sum[2], kernel.shift)) << 16 | uint(integerChannel(sum[3], kernel.shift)) << 24;
    }
}

#ifdef QUIRRA_KERNEL_AVX2
// Four pixels (sixteen channel values) per 16-bit vector.
__attribute__((target("avx2"))) void convolveRowIntegerAvx2(const std::vector<const uchar *> &tapRows,
    const std::vector<Tap> &taps, const IntegerKernel &kernel, int width, QRgb *out)
{
    const size_t count = taps.size();
    const __m128i shift = _mm_cvtsi32_si128(kernel.shift);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        __m256i a = _mm256_setzero_si256();
        __m256i b = _mm256_setzero_si256();
        for (size_t t = 0; t < count; ++t) {
            const uchar *p = tapRows[t] + size_t(x + taps[t].column) * 4;
            const __m256i w = _mm256_set1_epi16(short(kernel.weights[t]));
            a = _mm256_add_epi16(
                a, _mm256_mullo_epi16(w, _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)))));
            b = _mm256_add_epi16(b,
                _mm256_mullo_epi16(
                    w, _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16)))));
        }
        // Arithmetic shift floors; negative sums end below 0 and saturate to 0 in the
        // pack, positive ones are truncated as the definition does, and above 255 saturate.
        a = _mm256_sra_epi16(a, shift);
        b = _mm256_sra_epi16(b, shift);
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xd8);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x), packed);
    }
    convolveRowIntegerScalar(tapRows, taps, kernel, x, width, out);
}
#endif

} // namespace

QImage ImageProcessor::applyKernel(const QImage &image, const QVector<double> &kernel, int size)
{
    // A kernel shorter than size x size would be read past its end.
    if (image.isNull() || kernel.isEmpty() || size <= 0 || kernel.size() < size * size)
        return image.copy();
    const QImage source = argb32Source(image);
    QImage result = argb32Like(source);
    if (result.isNull())
        return result;
    const int width = source.width();
    const int height = source.height();
    const int half = size / 2;

    std::vector<Tap> taps;
    for (int ky = 0; ky < size; ++ky) {
        for (int kx = 0; kx < size; ++kx) {
            const double weight = kernel[ky * size + kx];
            if (weight != 0.0)
                taps.push_back({ ky, kx, weight });
        }
    }

    const RowWriter rows(result);
    const IntegerKernel exact = integerKernel(taps);
    if (exact.shift >= 0) {
        runRows(
            width, height, 20, [height](int y) { return y * 100 / height; },
            [&](int first, int end) {
                ByteRowCache cache(source, size);
                std::vector<const uchar *> tapRows(taps.size());
                for (int y = first; y < end; ++y) {
                    for (size_t t = 0; t < taps.size(); ++t)
                        tapRows[t] = cache.row(y - half + taps[t].row);
                    auto *out = reinterpret_cast<QRgb *>(rows(y));
#ifdef QUIRRA_KERNEL_AVX2
                    if (hasAvx2()) {
                        convolveRowIntegerAvx2(tapRows, taps, exact, width, out);
                        continue;
                    }
#endif
                    convolveRowIntegerScalar(tapRows, taps, exact, 0, width, out);
                }
            });
        emit processingProgress(100);
        return result;
    }
    runRows(
        width, height, 20, [height](int y) { return y * 100 / height; },
        [&](int first, int end) {
            RowCache cache(source, size);
            std::vector<const double *> tapRows(taps.size());
            for (int y = first; y < end; ++y) {
                for (size_t t = 0; t < taps.size(); ++t)
                    tapRows[t] = cache.row(y - half + taps[t].row);
                auto *out = reinterpret_cast<QRgb *>(rows(y));
#ifdef QUIRRA_KERNEL_AVX2
                if (hasAvx512()) {
                    convolveRowAvx512(tapRows, taps, width, out);
                    continue;
                }
                if (hasAvx2()) {
                    convolveRowAvx2(tapRows, taps, width, out);
                    continue;
                }
#endif
                convolveRowScalar(tapRows, taps, width, out);
            }
        });
    emit processingProgress(100);
    return result;
}
