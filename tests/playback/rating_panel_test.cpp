#include <QApplication>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "playback/URating.h"
#include "tests/support/test_application.h"

namespace {

class RatingPanelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { TestApplication<QApplication>(); }

  // What ShowRatingWin does for an effect with a stored rating.
  void Offer(std::int32_t id, int ratingConst) {
    panel.ObjId = id;
    panel.CurRating = ratingConst != 0 ? 5 - ratingConst : -1;
    panel.SetRating(panel.CurRating);
    panel.FShow();
  }

  std::vector<std::pair<std::int32_t, int>> stored;
  TFRating panel{[this](std::int32_t id, int rating) { stored.emplace_back(id, rating); }};
};

TEST_F(RatingPanelTest, OpensWithTheStoredRatingCheckedInTheLowerRightCorner) {
  Offer(1234, 3);
  EXPECT_TRUE(panel.isVisible());
  EXPECT_TRUE(panel.Ch[2]->isChecked());
  EXPECT_TRUE(panel.Timer1.isActive());
  EXPECT_EQ(panel.Timer1.interval(), 10000);
  EXPECT_EQ(panel.width(), 102);
  const QRect screen = panel.screen()->geometry();
  EXPECT_EQ(panel.x(), screen.width() - 102 - 15);
  EXPECT_EQ(panel.y(), screen.height() - panel.height() - 70);
}

TEST_F(RatingPanelTest, ClickOnAnotherBoxStoresItsRatingAndClosesSoon) {
  Offer(1234, 3);
  QTest::mouseClick(panel.Ch[0], Qt::LeftButton);
  EXPECT_EQ(stored, (std::vector<std::pair<std::int32_t, int>>{{1234, 5}}));
  EXPECT_EQ(panel.Timer1.interval(), 400);
  EXPECT_TRUE(panel.Timer1.isActive());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !panel.isVisible(); }, 5000));
}

TEST_F(RatingPanelTest, ClickOnTheStoredRatingStoresNothingButClosesSoon) {
  Offer(1234, 3);
  QTest::mouseClick(panel.Ch[2], Qt::LeftButton);
  EXPECT_TRUE(stored.empty());
  EXPECT_EQ(panel.Timer1.interval(), 400);
  EXPECT_TRUE(panel.Timer1.isActive());
}

TEST_F(RatingPanelTest, EffectWithoutRatingKeepsTheBoxesAndClosingStoresNothing) {
  Offer(1, 2);
  panel.Timer1Timer();
  EXPECT_FALSE(panel.isVisible());
  Offer(2, 0);
  EXPECT_EQ(panel.CurRating, -1);
  EXPECT_TRUE(panel.Ch[3]->isChecked());  // left from the previous effect
  panel.Timer1Timer();                    // a new effect starting closes the panel
  EXPECT_FALSE(panel.isVisible());
  EXPECT_FALSE(panel.Timer1.isActive());
  EXPECT_TRUE(stored.empty());
}

TEST_F(RatingPanelTest, SetRatingIgnoresTagsOutOfRange) {
  panel.SetRating(1);
  panel.SetRating(5);
  panel.SetRating(-1);
  EXPECT_TRUE(panel.Ch[1]->isChecked());
}

}  // namespace
