#include "JpegImage.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace permuto {

namespace {

struct TErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
};

[[noreturn]] void OnError(j_common_ptr Info)
{
    std::longjmp(reinterpret_cast<TErrorManager*>(Info->err)->Jump, 1);
}

void OnMessage(j_common_ptr /*Info*/)
{
    // Warnings of a damaged file are not worth a console line.
}

// Decodes into Image; false on any libjpeg error. Only plain data lives across
// the setjmp, so the longjmp skips no destructor.
bool Decode(const unsigned char* Bytes, std::size_t Size, QImage* Image)
{
    jpeg_decompress_struct Info;
    TErrorManager Errors;
    Info.err = jpeg_std_error(&Errors.Base);
    Errors.Base.error_exit = OnError;
    Errors.Base.output_message = OnMessage;
    if (setjmp(Errors.Jump) != 0) {
        jpeg_destroy_decompress(&Info);
        return false;
    }
    jpeg_create_decompress(&Info);
    jpeg_mem_src(&Info, Bytes, static_cast<unsigned long>(Size));
    jpeg_read_header(&Info, TRUE);
    Info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&Info);
    *Image = QImage(static_cast<int>(Info.output_width), static_cast<int>(Info.output_height), QImage::Format_RGB888);
    if (Image->isNull()) {
        jpeg_destroy_decompress(&Info);
        return false;
    }
    while (Info.output_scanline < Info.output_height) {
        JSAMPROW Row = Image->scanLine(static_cast<int>(Info.output_scanline));
        jpeg_read_scanlines(&Info, &Row, 1);
    }
    jpeg_finish_decompress(&Info);
    jpeg_destroy_decompress(&Info);
    return true;
}

} // namespace

QImage DecodeJpeg(const unsigned char* Bytes, std::size_t Size)
{
    if (Bytes == nullptr || Size == 0)
        return {};
    QImage Image;
    if (!Decode(Bytes, Size, &Image))
        return {};
    return Image;
}

} // namespace permuto
