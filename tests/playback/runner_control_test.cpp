#include "tests/playback/playback_fixture.h"

namespace {

using catalogue::Field;
using ::testing::Contains;
using ::testing::Not;

TEST_F(PlaybackTest, ShowEffectStartsARunnerCountsThePlayAndTakesTheStopKey) {
  AddEffect(10, "H");
  ASSERT_TRUE(FMain->ShowEffect(10, false));
  const pid_t pid = RunnerPid(10);
  EXPECT_EQ(Pointer(10), pid);
  EXPECT_EQ(Field(10, Field::ScreeningCountTmp), 1);
  EXPECT_EQ(Field(10, Field::ScreeningCountTotal), 1);
  EXPECT_EQ(Field(10, Field::MaxExecCount), 99);
  EXPECT_DOUBLE_EQ(FMain->dObjList.DateTime(Field::LastExecTime), clock.Now());
  EXPECT_TRUE(FMain->EffectPlaying);
  EXPECT_TRUE(FMain->StopKeyActive);
  EXPECT_EQ(hotKeys.RegisteredAs(kHotKeyStop)->key, platform::vk::kEscape);
  EXPECT_TRUE(Logged("Show object 00000010"));
  EXPECT_TRUE(Logged("Object 00000010 executed"));
}

TEST_F(PlaybackTest, ShowEffectNeedsARecordAndAPage) {
  EXPECT_FALSE(FMain->ShowEffect(11, true));
  AddEffect(11, "H");
  std::filesystem::remove(ObjectsDir() + "00000011/index.htm");
  EXPECT_FALSE(FMain->ShowEffect(11, true));
  EXPECT_EQ(Field(11, Field::ScreeningCountTotal), 0);
}

TEST_F(PlaybackTest, StartingARunningEffectAgainEndsItsEarlierRunnerFirst) {
  AddEffect(12, "H");
  FMain->ShowEffect(12, false);
  const pid_t first = RunnerPid(12);
  std::filesystem::remove(ObjectsDir() + "00000012/runner.pid");
  FMain->ShowEffect(12, false);
  EXPECT_TRUE(Gone(first));
  EXPECT_NE(RunnerPid(12), first);
  EXPECT_EQ(FMain->RunList.size(), 1u);
}

TEST_F(PlaybackTest, EndedMessageStopsTheEffectWithoutKillingAndAsksForARating) {
  AddEffect(13, "H", "alive 100 end 300");
  Set(13, Field::RatingConst, 4);
  FMain->ShowEffect(13, false);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Playing(13); }, 20000));
  EXPECT_FALSE(FMain->EffectPlaying);
  EXPECT_TRUE(FRating->isVisible());
  EXPECT_EQ(FRating->ObjId, 13);
  EXPECT_TRUE(FRating->Ch[1]->isChecked());  // four stars
  EXPECT_TRUE(Logged("Stop object 00000013"));
  EXPECT_TRUE(Logged("Show rating dialog for object 00000013"));
  // The Stop key stays until the user's stop frees it.
  EXPECT_TRUE(hotKeys.RegisteredAs(kHotKeyStop));
  hotKeys.Press(platform::vk::kEscape, 0);
  EXPECT_FALSE(hotKeys.RegisteredAs(kHotKeyStop));
  EXPECT_TRUE(Logged("Stop all objects"));
}

TEST_F(PlaybackTest, StopAllEffectsAsksForARatingOnlyWhenOneEffectStopped) {
  AddEffect(14, "H");
  AddEffect(15, "S");
  FMain->ShowEffect(14, false);
  FMain->ShowEffect(15, false);
  const pid_t a = RunnerPid(14), b = RunnerPid(15);
  FMain->StopAllEffects();
  EXPECT_TRUE(Gone(a));
  EXPECT_TRUE(Gone(b));
  EXPECT_FALSE(Playing(14));
  EXPECT_FALSE(Playing(15));
  EXPECT_FALSE(FRating->isVisible());

  FMain->ShowEffect(14, false);
  FMain->StopAllEffects();
  EXPECT_TRUE(FRating->isVisible());
  EXPECT_EQ(FRating->ObjId, 14);
}

TEST_F(PlaybackTest, NoRatingPanelWhenSwitchedOff) {
  RegWrite("EShRD", "0");
  AddEffect(16, "H");
  FMain->ShowEffect(16, false);
  FMain->StopEffect(16, true);
  EXPECT_FALSE(FRating->isVisible());
  EXPECT_FALSE(Logged("Show rating dialog for object 00000016"));
}

TEST_F(PlaybackTest, PermanentEffectSurvivesTheUsersStopButNotTheFullStop) {
  AddEffect(30, "C");
  AddEffect(31, "H");
  FMain->ShowEffect(30, false);
  EXPECT_FALSE(FMain->EffectPlaying);  // a permanent effect does not count as playing
  EXPECT_FALSE(FMain->StopKeyActive);
  FMain->ShowEffect(31, false);
  EXPECT_TRUE(FMain->EffectPlaying);
  const pid_t permanent = RunnerPid(30);
  FMain->ClearObjList("ESHD", false);
  EXPECT_FALSE(Gone(permanent));
  EXPECT_TRUE(Playing(30));
  EXPECT_FALSE(FMain->EffectPlaying);
  FMain->ClearObjList("ESHCD", false);
  EXPECT_TRUE(Gone(permanent));
  EXPECT_FALSE(Playing(30));
}

TEST_F(PlaybackTest, RunnerThatCannotStartStillCountsAndIsClearedLikeAPlayingOne) {
  std::filesystem::remove(dir / "RunEffect");
  AddEffect(40, "H");
  AddEffect(41, "C");
  EXPECT_TRUE(FMain->ShowEffect(40, false));
  EXPECT_EQ(Pointer(40), -1);
  EXPECT_EQ(Field(40, Field::ScreeningCountTotal), 1);
  EXPECT_FALSE(FMain->EffectPlaying);
  FMain->ShowEffect(41, false);
  EXPECT_TRUE(Logged("Error : No such file or directory. Command : " + AppDir() + "RunEffect"));
  FMain->ClearObjList("ESHD", false);
  EXPECT_EQ(Pointer(40), 0);
  EXPECT_TRUE(Logged("Stop object 00000040"));
  EXPECT_EQ(Pointer(41), -1);
}

TEST_F(PlaybackTest, AliveMessagesRenewTheSignOfLife) {
  AddEffect(50, "H", "alive 50");
  FMain->ShowEffect(50, false);
  clock.Advance(5000);
  const std::uint32_t later = clock.Tick();
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return FMain->RunList.entries().front().LastAlive == later; }, 20000));
  // A message for an effect without a run entry changes nothing.
  FMain->EffectStateMessage({WM_EFFECTSTATE, 999, 1});
  EXPECT_EQ(FMain->RunList.size(), 1u);
}

TEST_F(PlaybackTest, HangGuardTerminatesASilentRunnerAndAsksForARating) {
  AddEffect(60, "H", "silent");
  FMain->ShowEffect(60, false);
  const pid_t pid = RunnerPid(60);
  clock.Advance(60000);
  FMain->CheckHangEffects();  // exactly 60 s of silence: not yet
  EXPECT_TRUE(Playing(60));
  clock.Advance(30001);
  FMain->CheckHangEffects();
  EXPECT_FALSE(Playing(60));
  EXPECT_TRUE(Gone(pid));
  EXPECT_TRUE(Logged("Effect 00000060 is not responding. Terminate it."));
  EXPECT_TRUE(FRating->isVisible());
}

TEST_F(PlaybackTest, HangGuardSwitchedOffLeavesSilentRunnersAlone) {
  RegWrite("EProtectHang", "0");
  AddEffect(61, "H", "silent");
  FMain->ShowEffect(61, false);
  for (int pass = 0; pass < 5; ++pass) {
    clock.Advance(90000);
    FMain->CheckHangEffects();
  }
  EXPECT_TRUE(Playing(61));
  EXPECT_FALSE(Logged("Effect 00000061 is not responding. Terminate it."));
}

TEST_F(PlaybackTest, CpuGuardStopsEverythingAfterAHundredSaturatedTicks) {
  AddEffect(70, "H");
  AddEffect(71, "C");
  FMain->ShowEffect(70, false);
  FMain->ShowEffect(71, false);
  cpu.Next({1.0});
  for (int tick = 1; tick < 100; ++tick) FMain->CheckCpuUsage();
  EXPECT_EQ(FMain->CpuLoadScore, 99);
  EXPECT_TRUE(Playing(70));
  FMain->CheckCpuUsage();
  EXPECT_FALSE(Playing(70));
  EXPECT_FALSE(Playing(71));
  EXPECT_EQ(FMain->CpuLoadScore, 0);
  EXPECT_TRUE(Logged("All effects is stopped because CPU resources too low"));
}

TEST_F(PlaybackTest, CpuGuardIgnoresLoadThatIsNotFullAndCanBeSwitchedOff) {
  AddEffect(72, "H");
  FMain->ShowEffect(72, false);
  for (int tick = 0; tick < 400; ++tick) {
    cpu.Next({tick % 2 ? 0.9 : 1.0});
    FMain->CheckCpuUsage();
  }
  EXPECT_TRUE(Playing(72));
  EXPECT_LT(FMain->CpuLoadScore, 100);

  RegWrite("EProtectCPU", "0");
  FMain->CpuLoadScore = 0;
  cpu.Next({1.0});
  for (int tick = 0; tick < 100; ++tick) FMain->CheckCpuUsage();
  EXPECT_EQ(FMain->CpuLoadScore, 0);  // reset, but nothing stopped
  EXPECT_TRUE(Playing(72));
  EXPECT_FALSE(Logged("All effects is stopped because CPU resources too low"));
}

TEST_F(PlaybackTest, UnreadableProcessorLoadIsReportedAndTheNextTickGoesOn) {
  AddEffect(73, "H");
  FMain->ShowEffect(73, false);
  cpu.FailNext();
  FMain->Timer.start();
  QTimerEvent tick(FMain->Timer.timerId());
  QCoreApplication::sendEvent(&FMain->Timer, &tick);
  EXPECT_TRUE(Logged("Exception on object QTimer : Cannot read processor load"));
  cpu.Next({0.5});
  QCoreApplication::sendEvent(&FMain->Timer, &tick);
  FMain->Timer.stop();
  EXPECT_TRUE(Playing(73));
}

}  // namespace
