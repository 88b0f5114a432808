#include "framework/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <stdexcept>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace {

// libjpeg's default error handler prints the message and calls exit(). Ours keeps the message
// and jumps back to the decoder, which then reports it as an exception.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void OnJpegError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (for example a picture cut short, which libjpeg completes in grey) are not worth a
// message on the console of a GUI program.
extern "C" void OnJpegMessage(j_common_ptr) {}

enum class DecodeResult { Ok, LibraryError, UnsupportedColours, OutOfMemory };

// Everything between setjmp and a possible longjmp lives in this function, whose locals are
// all trivially destructible: jumping out of it skips no destructor. The image is owned by the
// caller and only written through a raw row pointer here.
DecodeResult RunDecoder(jpeg_decompress_struct& cinfo, ErrorManager& err, const QByteArray& data,
                        QImage& image) {
    if (setjmp(err.jump)) {
        return DecodeResult::LibraryError;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    QImage::Format format = QImage::Format_RGB888;
    if (cinfo.jpeg_color_space == JCS_GRAYSCALE) {
        cinfo.out_color_space = JCS_GRAYSCALE;
        format = QImage::Format_Grayscale8;
    } else if (cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB) {
        cinfo.out_color_space = JCS_RGB;
    } else {
        return DecodeResult::UnsupportedColours;
    }
    jpeg_start_decompress(&cinfo);
    image = QImage(int(cinfo.output_width), int(cinfo.output_height), format);
    if (image.isNull()) {
        return DecodeResult::OutOfMemory;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    return DecodeResult::Ok;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data) {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnJpegError;
    err.base.output_message = OnJpegMessage;

    QImage image;
    const DecodeResult result = RunDecoder(cinfo, err, data, image);
    // Safe on every path: after a failed create the structure is still zeroed, which
    // jpeg_destroy treats as nothing to free.
    jpeg_destroy_decompress(&cinfo);
    switch (result) {
    case DecodeResult::Ok:
        return image.convertToFormat(QImage::Format_RGB32);
    case DecodeResult::LibraryError:
        throw std::runtime_error(err.message);
    case DecodeResult::UnsupportedColours:
        throw std::runtime_error("Unsupported JPEG colour space");
    case DecodeResult::OutOfMemory:
        break;
    }
    throw std::runtime_error("Not enough memory for the JPEG picture");
}
