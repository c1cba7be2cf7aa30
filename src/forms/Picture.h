#pragma once

#include <QIcon>

#include <utility>

namespace forms {

// An image that a window or a picture box shows, such as a window's icon.
// Copies share the image; two pictures are equal when they are the same image.
class Picture {
  public:
    Picture() = default;
    explicit Picture(QIcon icon) : icon_(std::move(icon)) {}

    bool empty() const { return icon_.isNull(); }
    const QIcon& icon() const { return icon_; }

    friend bool operator==(const Picture& a, const Picture& b) { return a.icon_.cacheKey() == b.icon_.cacheKey(); }

  private:
    QIcon icon_;
};

} // namespace forms
