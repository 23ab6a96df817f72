#include "common/desktop_utils.h"

#include <QByteArray>
#include <QClipboard>
#include <QMimeData>
#include <QRegion>
#include <QWidget>
#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>

namespace {

// Mime data that hands out its bytes exactly as given (QMimeData itself
// re-encodes text/uri-list through QUrl).
class ExactMimeData final : public QMimeData {
 public:
  void Set(const QString& format, const QByteArray& bytes) {
    formats_.append(format);
    bytes_.append(bytes);
  }
  QStringList formats() const override { return formats_; }
  bool hasFormat(const QString& format) const override { return formats_.contains(format); }

 protected:
  QVariant retrieveData(const QString& format, QMetaType) const override {
    const qsizetype index = formats_.indexOf(format);
    return index < 0 ? QVariant() : QVariant(bytes_[index]);
  }

 private:
  QStringList formats_;
  QList<QByteArray> bytes_;
};

// "file://" and the path with every byte other than A-Z, a-z, 0-9, "-._~"
// and "/" percent-encoded, whatever the bytes' encoding (QUrl's own encoder
// replaces bytes that are not UTF-8).
QByteArray FileUri(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  QByteArray uri = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) && c < 0x80) {
      uri += static_cast<char>(c);
    } else if (c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 0xF];
    }
  }
  return uri;
}

}  // namespace

bool FullScreenForeground(platform::DesktopQueries& desktop) {
  const platform::WindowId window = desktop.ForegroundWindow();
  if (desktop.IsDesktopWindow(window)) return false;
  const std::optional<platform::Rect> rect = desktop.WindowRect(window);
  if (!rect) return false;
  const platform::Size screen = desktop.ScreenSize();
  return rect->left == 0 && rect->top == 0 && rect->right == screen.width &&
         rect->bottom == screen.height;
}

bool WindowUncovered(QWidget& form, platform::DesktopQueries& desktop) {
  const QRect frame = form.frameGeometry();
  const int l = frame.x();
  const int t = frame.y();
  const int w = frame.width();
  const int h = frame.height();
  const std::array<platform::Point, 5> points = {{{l + 10, t + 10},
                                                  {l + 10, t + h - 20},
                                                  {l + w - 20, t + 10},
                                                  {l + w - 20, t + h - 20},
                                                  {l + w / 2, t + h / 2}}};
  std::array<platform::WindowId, 5> before{};
  for (std::size_t i = 0; i < points.size(); ++i)
    before[i] = desktop.WindowAt(points[i].x, points[i].y);
  desktop.BringToFront(static_cast<platform::WindowId>(form.winId()));
  int unchanged = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (desktop.WindowAt(points[i].x, points[i].y) == before[i]) ++unchanged;
  }
  return unchanged > 2;
}

QRegion RoundRectRegion(int width, int height, int ellipseWidth, int ellipseHeight) {
  if (width <= 0 || height <= 0) return {};
  const double rx = std::min(ellipseWidth, width) / 2.0;
  const double ry = std::min(ellipseHeight, height) / 2.0;
  if (rx < 0.5 || ry < 0.5) return QRegion(0, 0, width, height);
  QRegion region;
  for (int y = 0; y < height; ++y) {
    // Vertical distance of this row's pixel centres into a corner ellipse.
    const double centre = y + 0.5;
    const double dy = centre < ry ? ry - centre : centre > height - ry ? centre - (height - ry) : 0;
    int inset = 0;
    if (dy > 0) {
      const double ratio = dy / ry;
      if (ratio >= 1) continue;
      // First pixel whose centre lies inside the ellipse.
      const double edge = rx - rx * std::sqrt(1 - ratio * ratio);
      inset = static_cast<int>(std::ceil(edge - 0.5));
    }
    if (width - 2 * inset > 0) region += QRect(inset, y, width - 2 * inset, 1);
  }
  return region;
}

void SetRoundRegion(QWidget& window, int width, int height, int ellipseWidth, int ellipseHeight) {
  window.setMask(RoundRectRegion(width, height, ellipseWidth, ellipseHeight));
  window.update();
}

void PutFileOnClipboard(const std::string& FileName, QClipboard& clipboard) {
  std::string path = FileName;
  if (path.empty() || path.front() != '/') path = std::filesystem::absolute(path).string();
  const QByteArray uri = FileUri(path);
  auto* data = new ExactMimeData;
  data->Set("text/uri-list", uri + "\r\n");
  data->Set("x-special/gnome-copied-files", "copy\n" + uri);
  clipboard.setMimeData(data, QClipboard::Clipboard);
}

bool MaintenanceKeysDown(platform::InputQueries& input) {
  return input.KeyState(platform::vk::kF7) != 0 && input.KeyState(platform::vk::kHome) != 0;
}
