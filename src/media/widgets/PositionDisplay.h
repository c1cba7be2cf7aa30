#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <cstdint>

namespace media {

// The strip under the picture that shows where playback is (or why a file
// would not play), in the two display colours.
class PositionDisplay : public QWidget {
    Q_OBJECT
  public:
    explicit PositionDisplay(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return text_; }
    // Colours as 0x00BBGGRR.
    void setColors(std::int32_t fore, std::int32_t back);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static QColor fromBgr(std::int32_t color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    QColor fore_;
    QColor back_;
};

} // namespace media
