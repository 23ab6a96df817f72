#pragma once
// The rating panel `FRating`: a small borderless panel in the lower right
// corner of the screen with five star boxes, shown for ten seconds after an
// effect has stopped. One click stores a rating and closes it 0.4 s later.

#include <array>
#include <cstdint>
#include <functional>

#include <QTimer>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QFrame;
class QLabel;
class QRadioButton;

class TFRating : public QWidget {
  Q_OBJECT
 public:
  // `setObjRating` stores the rating the user gave an effect.
  explicit TFRating(std::function<void(std::int32_t id, int rating)> setObjRating,
                    QWidget* parent = nullptr);

  // Checks the box with this tag (0 = five stars ... 4 = one star); other
  // values change nothing.
  void SetRating(int Tag);
  void FShow();
  void FHide();
  void Timer1Timer();
  void RGClick(QAbstractButton* Sender);
  void Ch5MouseUp();

  // The identifier of the effect being rated, and the tag that showed its
  // stored rating when the panel opened (-1 when it had none).
  std::int32_t ObjId = 0;
  int CurRating = -1;

  QFrame* Panel1 = nullptr;
  QWidget* RG = nullptr;
  QLabel* glLabel1 = nullptr;
  std::array<QRadioButton*, 5> Ch{};  // Ch1 .. Ch5, tags 0 .. 4
  QTimer Timer1;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();

  std::function<void(std::int32_t, int)> setObjRating_;
  QButtonGroup* group_ = nullptr;
};
