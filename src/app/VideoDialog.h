#pragma once

#include <QDialog>
#include <QSize>
#include <QString>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;

namespace galleri {

// What the "Zoom video" dialog asks for: the file (its name's .mp4 or .webm
// the format), the size, the length and the frames a second, and whether
// the frames between the doublings of the zoom are scaled from keyframes.
struct VideoChoice {
    QString path;
    QSize size{1280, 720};
    double seconds = 10;
    int fps = 30;
    bool keyframes = false;
};

// The small dialog of Explore > "Zoom video…". The sizes offered are the
// picture's own shape (rounded up to even sides, as H.264 needs them) and
// the usual video sizes.
class VideoDialog : public QDialog {
    Q_OBJECT

  public:
    VideoDialog(QWidget* parent, const VideoChoice& proposed, QSize pictureSize);
    VideoChoice Choice() const;

  private:
    void FormatChanged();
    void Browse();

    QComboBox* size_ = nullptr;
    QDoubleSpinBox* seconds_ = nullptr;
    QComboBox* fps_ = nullptr;
    QComboBox* format_ = nullptr;
    QLineEdit* file_ = nullptr;
    QCheckBox* keyframes_ = nullptr;
};

}  // namespace galleri
