#include "document/storedencoding.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct HeaderErrors
{
    jpeg_error_mgr manager;
    std::jmp_buf escape;
};

[[noreturn]] void leave(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<HeaderErrors *>(info->err)->escape, 1);
}

void stayQuiet(j_common_ptr, int)
{
}

// A PDF viewer takes three components as YCbCr unless an Adobe marker says
// otherwise; RGB named only by its component ids would come out in wrong colours.
bool rgbAsViewersSeeIt(const jpeg_decompress_struct &info)
{
    return info.jpeg_color_space == JCS_RGB && info.saw_Adobe_marker && info.Adobe_transform == 0;
}

} // namespace

StoredEncoding StoredEncoding::jpeg(const QByteArray &file)
{
    StoredEncoding stored;
    if (file.isEmpty())
        return stored;
    // Only the header is read: the pixels were decoded already, and whether a PDF
    // viewer can show the stream as DeviceGray or DeviceRGB is in the header.
    jpeg_decompress_struct info {};
    HeaderErrors errors {};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = leave;
    errors.manager.emit_message = stayQuiet;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        return StoredEncoding();
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(
        &info, reinterpret_cast<const unsigned char *>(file.constData()), static_cast<unsigned long>(file.size()));
    if (jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK && info.data_precision == 8 && !info.arith_code
        && info.image_width > 0 && info.image_height > 0
        && ((info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE)
            || (info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr || rgbAsViewersSeeIt(info))))) {
        stored.kind = Kind::Jpeg;
        stored.bytes = file;
        stored.size = QSize(int(info.image_width), int(info.image_height));
        stored.grey = info.num_components == 1;
    }
    jpeg_destroy_decompress(&info);
    return stored;
}

StoredEncoding StoredEncoding::g4(const QByteArray &data, const QSize &size, bool blackIs1)
{
    StoredEncoding stored;
    if (data.isEmpty() || size.isEmpty())
        return stored;
    stored.kind = Kind::G4;
    stored.bytes = data;
    stored.size = size;
    stored.blackIs1 = blackIs1;
    return stored;
}
