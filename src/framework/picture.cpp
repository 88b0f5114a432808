#include "framework/picture.h"

#include "framework/accessible.h"
#include "framework/jpeg.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <stdexcept>

namespace {

int decodeCount = 0;

} // namespace

TImage::TImage(QWidget* parent) : QWidget(parent) {
    InstallAccessibleControls();
}

int TImage::DecodeCount() {
    return decodeCount;
}

void TImage::SetPicture(const QString& resourcePath) {
    path_ = resourcePath;
    picture_ = QImage();
    decoded_ = false;
    failed_ = false;
    update();
}

void TImage::Decode() {
    // A picture that cannot be read is given up at once: the error box that shows the failure
    // makes the control paint again, which must not fail (and show a box) again.
    failed_ = true;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(("Cannot open file " + path_).toLocal8Bit().toStdString());
    }
    picture_ = DecodeJpeg(file.readAll());
    ++decodeCount;
    decoded_ = true;
    failed_ = false;
}

void TImage::paintEvent(QPaintEvent*) {
    if (!decoded_ && !failed_ && !path_.isEmpty()) {
        Decode();
    }
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

void TImage::mousePressEvent(QMouseEvent* event) {
    // Taken whatever the button, as the picture is the bottom of the window: a press on it
    // goes nowhere else.
    event->accept();
    if (OnMouseDown) {
        OnMouseDown(event->button(), event->modifiers(), event->position().toPoint());
    }
}
