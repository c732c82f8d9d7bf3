#pragma once
// JPEG bytes to an image, decoded with libjpeg.
#include <QImage>
#include <cstddef>

namespace permuto {

// A null image when the bytes are not a JPEG libjpeg can decode.
QImage DecodeJpeg(const unsigned char* Bytes, std::size_t Size);

} // namespace permuto
