#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <optional>

namespace media {

// The small window over the seek bar: a picture of the film at the time under
// the pointer and that time below it, or the time alone. It never takes the
// focus or the mouse.
class SeekBarPreview : public QWidget {
    Q_OBJECT
  public:
    explicit SeekBarPreview(QWidget* parent);

    // Shows the time at seconds above the bar (barTop, global) centred on the
    // pointer, inside the screen; picture is the picture's logical size,
    // empty for the time alone.
    void showAt(QPoint pointer, int barTop, double seconds, QSize picture);
    // A picture drawn for this preview, its device pixel ratio set.
    void setPicture(const QImage& picture);
    // Back to no picture, until the next one (other media).
    void clearPicture();

    const QImage& picture() const { return picture_; }
    const QString& timeShown() const { return time_; }
    QSize pictureSize() const { return pictureSize_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int textHeight() const;

    QImage picture_;
    QSize pictureSize_;
    QString time_;
};

} // namespace media
