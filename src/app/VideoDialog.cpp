#include "app/VideoDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "commands/VideoOptions.h"

namespace galleri {

namespace {

QString SizeText(QSize size) {
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

}  // namespace

VideoDialog::VideoDialog(QWidget* parent, const VideoChoice& proposed, QSize pictureSize)
    : QDialog(parent) {
    setObjectName(QStringLiteral("videoDialog"));
    setWindowTitle(QStringLiteral("Zoom video"));
    auto* form = new QFormLayout(this);

    size_ = new QComboBox(this);
    size_->setObjectName(QStringLiteral("videoSize"));
    const QSize even((pictureSize.width() + 1) / 2 * 2, (pictureSize.height() + 1) / 2 * 2);
    size_->addItem(QStringLiteral("%1, the picture's shape").arg(SizeText(even)), even);
    for (const QSize s : {QSize(1280, 720), QSize(1920, 1080), QSize(3840, 2160)}) {
        size_->addItem(SizeText(s), s);
    }
    const int chosen = size_->findData(proposed.size);
    size_->setCurrentIndex(chosen >= 0 ? chosen : 1);
    form->addRow(QStringLiteral("Size:"), size_);

    seconds_ = new QDoubleSpinBox(this);
    seconds_->setObjectName(QStringLiteral("videoSeconds"));
    seconds_->setRange(0.1, kMaxVideoSeconds);
    seconds_->setDecimals(1);
    seconds_->setSuffix(QStringLiteral(" s"));
    seconds_->setValue(proposed.seconds);
    form->addRow(QStringLiteral("Length:"), seconds_);

    fps_ = new QComboBox(this);
    fps_->setObjectName(QStringLiteral("videoFps"));
    for (const int fps : {24, 25, 30, 50, 60}) {
        fps_->addItem(QStringLiteral("%1 frames a second").arg(fps), fps);
    }
    fps_->setCurrentIndex(std::max(0, fps_->findData(proposed.fps)));
    form->addRow(QStringLiteral("Frames:"), fps_);

    format_ = new QComboBox(this);
    format_->setObjectName(QStringLiteral("videoFormat"));
    format_->addItem(QStringLiteral("MP4 (H.264)"), QStringLiteral("mp4"));
    format_->addItem(QStringLiteral("WebM (VP9)"), QStringLiteral("webm"));
    format_->setCurrentIndex(proposed.path.endsWith(QStringLiteral(".webm"), Qt::CaseInsensitive));
    form->addRow(QStringLiteral("Format:"), format_);

    auto* fileRow = new QHBoxLayout;
    file_ = new QLineEdit(proposed.path, this);
    file_->setObjectName(QStringLiteral("videoFile"));
    file_->setMinimumWidth(280);
    auto* browse = new QPushButton(QStringLiteral("Browse…"), this);
    fileRow->addWidget(file_);
    fileRow->addWidget(browse);
    form->addRow(QStringLiteral("File:"), fileRow);

    keyframes_ = new QCheckBox(QStringLiteral("Faster: exact frames only at every doubling"), this);
    keyframes_->setObjectName(QStringLiteral("videoKeyframes"));
    keyframes_->setToolTip(
        QStringLiteral("The frames between are scaled from the two exact frames about them"));
    keyframes_->setChecked(proposed.keyframes);
    form->addRow(QString(), keyframes_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Make video"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(format_, &QComboBox::currentIndexChanged, this, [this] { FormatChanged(); });
    connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
}

void VideoDialog::FormatChanged() {
    // The file's name follows the format.
    const QString extension = format_->currentData().toString();
    QString path = file_->text();
    const QFileInfo info(path);
    if (!info.suffix().isEmpty()) {
        path.chop(info.suffix().size());
        path += extension;
    } else {
        path += QLatin1Char('.') + extension;
    }
    file_->setText(path);
}

void VideoDialog::Browse() {
    const QString extension = format_->currentData().toString();
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Zoom video"), file_->text(),
        QStringLiteral("%1 (*.%2)").arg(format_->currentText(), extension), nullptr,
        QFileDialog::DontUseNativeDialog);
    if (!path.isEmpty()) {
        file_->setText(path);
        format_->setCurrentIndex(path.endsWith(QStringLiteral(".webm"), Qt::CaseInsensitive));
    }
}

VideoChoice VideoDialog::Choice() const {
    VideoChoice choice;
    choice.path = file_->text();
    choice.size = size_->currentData().toSize();
    choice.seconds = seconds_->value();
    choice.fps = fps_->currentData().toInt();
    choice.keyframes = keyframes_->isChecked();
    return choice;
}

}  // namespace galleri
