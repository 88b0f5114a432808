#pragma once

#include <functional>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

// A picture control: shows a JPEG from the program's resources, decoded once, at its first
// painting, and held for every later painting; drawn unscaled from the top-left corner and
// clipped to the control.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    // The resource path of the picture, e.g. ":/background.jpg". Nothing is read until the
    // control is painted; a new path drops a picture decoded before.
    void SetPicture(const QString& resourcePath);
    QString PicturePath() const { return path_; }
    bool PictureDecoded() const { return decoded_; }
    const QImage& Picture() const { return picture_; }

    // How many pictures all TImage controls of the process have decoded.
    static int DecodeCount();

    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, QPoint)> OnMouseDown;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Decode();

    QString path_;
    QImage picture_;
    bool decoded_ = false;
    bool failed_ = false;
};
