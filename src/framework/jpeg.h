#pragma once

#include <QByteArray>
#include <QImage>

// Decodes a JFIF (JPEG) picture, baseline or progressive, at full size with libjpeg.
// Returns an image in QImage::Format_RGB32. A picture libjpeg cannot decode throws
// std::runtime_error with libjpeg's message; libjpeg's errors never end the process.
// Example: QImage image = DecodeJpeg(file.readAll());
QImage DecodeJpeg(const QByteArray& data);
