#include "playback/URating.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int kShowMs = 10000;
constexpr int kCloseAfterClickMs = 400;

// Cell `k` of the star strip shows k + 1 stars.
QPixmap StarCell(int k) {
  static const QPixmap strip(QStringLiteral(":/icons/stars.png"));
  const int width = strip.width() / 5;
  return strip.copy(k * width, 0, width, strip.height());
}

}  // namespace

TFRating::TFRating(std::function<void(std::int32_t, int)> setObjRating, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      setObjRating_(std::move(setObjRating)) {
  FormCreate();
}

void TFRating::FormCreate() {
  setAttribute(Qt::WA_ShowWithoutActivating);
  resize(102, 124);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  Panel1 = new QFrame(this);
  Panel1->setFrameShape(QFrame::Panel);
  Panel1->setFrameShadow(QFrame::Raised);
  outer->addWidget(Panel1);
  auto* panelLayout = new QVBoxLayout(Panel1);
  panelLayout->setContentsMargins(2, 2, 2, 2);
  RG = new QWidget(Panel1);
  panelLayout->addWidget(RG);
  auto* boxes = new QVBoxLayout(RG);
  boxes->setContentsMargins(4, 2, 4, 2);
  boxes->setSpacing(2);
  glLabel1 = new QLabel(QStringLiteral("Rating:"), RG);
  glLabel1->setAlignment(Qt::AlignCenter);
  boxes->addWidget(glLabel1);
  group_ = new QButtonGroup(this);
  group_->setExclusive(true);
  for (int tag = 0; tag < 5; ++tag) {
    QRadioButton* box = new QRadioButton(RG);
    box->setObjectName(QStringLiteral("Ch%1").arg(tag + 1));
    const QPixmap stars = StarCell(4 - tag);  // Ch1 shows five stars, Ch5 one
    box->setIcon(stars);
    box->setIconSize(stars.size());
    box->installEventFilter(this);
    group_->addButton(box, tag);
    boxes->addWidget(box);
    Ch[static_cast<size_t>(tag)] = box;
  }
  connect(group_, &QButtonGroup::buttonClicked, this, &TFRating::RGClick);

  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  move(screen.width() - width() - 15, screen.height() - height() - 70);

  Timer1.setInterval(kShowMs);
  connect(&Timer1, &QTimer::timeout, this, &TFRating::Timer1Timer);
}

void TFRating::SetRating(int Tag) {
  if (Tag >= 0 && Tag < 5) Ch[static_cast<size_t>(Tag)]->setChecked(true);
}

void TFRating::FShow() {
  show();
  Timer1.setInterval(kShowMs);
  Timer1.start();
  raise();
}

void TFRating::FHide() {
  hide();
}

void TFRating::Timer1Timer() {
  Timer1.stop();
  FHide();
}

void TFRating::RGClick(QAbstractButton* Sender) {
  const int tag = group_->id(Sender);
  if (!isVisible() || tag < 0 || tag == CurRating) return;
  Timer1.stop();
  setObjRating_(ObjId, 5 - tag);
  Timer1.setInterval(kCloseAfterClickMs);
  Timer1.start();
}

void TFRating::Ch5MouseUp() {
  Timer1.setInterval(kCloseAfterClickMs);
}

void TFRating::closeEvent(QCloseEvent* event) {
  Timer1Timer();
  event->accept();
}

bool TFRating::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) Ch5MouseUp();
  return QWidget::eventFilter(watched, event);
}
