#include "tests/playback/playback_fixture.h"

namespace {

using catalogue::Field;

double Hours(double h) {
  return h / 24.0;
}

TEST_F(PlaybackTest, FireObjTakesOnlyEffectsThatMeetEveryCondition) {
  struct Case {
    const char* what;
    std::function<void(std::int32_t)> change;
    bool random;  // started by FireObj("H", false)
  };
  const double now = clock.Now();
  const Case cases[] = {
      {"eligible", [](std::int32_t) {}, true},
      {"disabled", [&](std::int32_t id) { Set(id, Field::ObjEnabled, false); }, false},
      {"not yet begun", [&](std::int32_t id) { Set(id, Field::BeginDate, now + 0.01); }, false},
      {"already ended", [&](std::int32_t id) { Set(id, Field::EndDate, now - 0.01); }, false},
      {"no end date", [&](std::int32_t id) { Set(id, Field::EndDate, 0.0); }, false},
      {"no plays left", [&](std::int32_t id) { Set(id, Field::MaxExecCount, 0); }, false},
      {"played too recently",
       [&](std::int32_t id) {
         Set(id, Field::MinExecInterval, 600);
         Set(id, Field::LastExecTime, now - 599.0 / 86400);
       },
       false},
      {"interval over",
       [&](std::int32_t id) {
         Set(id, Field::MinExecInterval, 600);
         Set(id, Field::LastExecTime, now - 601.0 / 86400);
       },
       true},
      {"Sundays and Saturdays only, today is Monday",
       [&](std::int32_t id) { Set(id, Field::EnableDays, 17); }, false},
      {"Mondays", [&](std::int32_t id) { Set(id, Field::EnableDays, 72); }, true},
  };
  std::int32_t id = 100;
  for (const Case& c : cases) {
    FMain->ClearObjList("ESHCD", false);
    FMain->dObjList.Empty();
    AddEffect(++id, "H");
    c.change(id);
    FMain->FireObj("H", false);
    EXPECT_EQ(Playing(id), c.random) << c.what;
  }
}

TEST_F(PlaybackTest, TypeSetsAndTimedEffects) {
  const double now = clock.Now();
  AddEffect(201, "E");
  AddEffect(202, "D");
  FMain->FireObj("H", false);
  EXPECT_FALSE(Playing(201));
  EXPECT_FALSE(Playing(202));
  FMain->FireObj("SE", false);
  EXPECT_TRUE(Playing(201));

  // Timed: a window strictly shorter than four hours, on any day it covers.
  FMain->dObjList.Empty();
  AddEffect(203, "H");
  Set(203, Field::BeginDate, now - Hours(2));
  Set(203, Field::EndDate, now + Hours(2));  // exactly four hours
  FMain->FireObj("HS", true);
  EXPECT_FALSE(Playing(203));
  Set(203, Field::EndDate, now + Hours(1.99));
  Set(203, Field::EnableDays, 17);
  FMain->FireObj("HS", true);
  EXPECT_TRUE(Playing(203));
}

TEST_F(PlaybackTest, FullScreenProgramInFrontStartsNothingAndStopsNothing) {
  AddEffect(301, "H");
  AddEffect(302, "H");
  FMain->ShowEffect(301, false);
  desktop.AddOnTop({77, {0, 0, 1280, 1024}, false});
  desktop.SetForeground(77);
  FMain->FireObj("H", false);
  EXPECT_TRUE(Playing(301));
  EXPECT_FALSE(Playing(302));
}

TEST_F(PlaybackTest, WithACandidateRunningEffectsAreReplacedWithoutARatingQuestion) {
  AddEffect(401, "H");
  AddEffect(402, "C");
  FMain->ShowEffect(401, false);
  FMain->ShowEffect(402, false);
  const pid_t first = RunnerPid(401);
  std::filesystem::remove(ObjectsDir() + "00000401/runner.pid");
  FMain->FireObj("H", false);  // the only candidate is the effect that plays
  EXPECT_TRUE(Gone(first));
  EXPECT_TRUE(Playing(401));
  EXPECT_TRUE(Playing(402));
  EXPECT_FALSE(FRating->isVisible());
  // Nothing to choose: the running effect stays.
  FMain->SetObjEnabled(401, false);
  const pid_t second = RunnerPid(401);
  FMain->FireObj("H", false);
  EXPECT_FALSE(Gone(second));
}

TEST_F(PlaybackTest, WeightedChoicePrefersEffectsShownLessOften) {
  AddEffect(501, "H");
  AddEffect(502, "H");
  AddEffect(503, "H");
  std::map<std::int32_t, int> chosen;
  for (int round = 0; round < 30; ++round) {
    Set(501, Field::ScreeningCountTotal, 1005);
    Set(502, Field::ScreeningCountTotal, 1003);
    Set(503, Field::ScreeningCountTotal, 1005);
    FMain->FireObj("H", false);
    for (std::int32_t id : {501, 502, 503})
      if (Playing(id)) ++chosen[id];
  }
  EXPECT_EQ(chosen, (std::map<std::int32_t, int>{{502, 30}}));
}

TEST_F(PlaybackTest, RandomModeDeadlinesLieBetweenTheLimits) {
  RegWrite("MinLimit", "60");
  RegWrite("MaxLimit", "60");  // equal limits: 60 to 120 minutes
  for (int round = 0; round < 50; ++round) {
    FMain->NextRandomTick = 0;
    FMain->CheckAndFireObj();  // the first pass only sets a deadline
    const std::uint32_t wait = FMain->NextRandomTick - clock.Tick();
    EXPECT_GE(wait, 60u * 60000u);
    EXPECT_LT(wait, 120u * 60000u);
  }
}

TEST_F(PlaybackTest, RandomModePlaysOnlyWhileSomebodyUsesTheComputer) {
  AddEffect(601, "H");
  FMain->CheckAndFireObj();
  // The deadline comes with nobody active for five minutes: ask again later.
  clock.SetTick(FMain->NextRandomTick + 1);
  FMain->LastActivityTick = clock.Tick() - 300000;
  const std::uint32_t deadline = FMain->NextRandomTick;
  FMain->CheckAndFireObj();
  EXPECT_EQ(FMain->NextRandomTick, deadline + 300000);
  EXPECT_FALSE(Playing(601));
  // Five minutes on, with the user at work.
  clock.SetTick(FMain->NextRandomTick + 1);
  FMain->LastActivityTick = clock.Tick() - 1000;
  FMain->CheckAndFireObj();
  EXPECT_TRUE(Playing(601));
  EXPECT_TRUE(Logged("Start standard effect"));
}

TEST_F(PlaybackTest, TimedCheckRunsOncePerMinute) {
  AddEffect(701, "S");
  Set(701, Field::BeginDate, clock.Now() - Hours(1));
  Set(701, Field::EndDate, clock.Now() + Hours(1));
  FMain->LastTimedCheck = clock.Tick() - 60001;
  FMain->CheckTimeEffStart();
  EXPECT_TRUE(Playing(701));
  FMain->ClearObjList("ESHCD", false);
  clock.Advance(60000);
  FMain->CheckTimeEffStart();
  EXPECT_FALSE(Playing(701));
  clock.Advance(1);
  FMain->CheckTimeEffStart();
  EXPECT_TRUE(Playing(701));
}

TEST_F(PlaybackTest, PermanentEffectsStartWhenEnabled) {
  AddEffect(801, "C");
  AddEffect(802, "C");
  AddEffect(803, "H");
  FMain->SetObjEnabled(802, false);
  FMain->ShowPermanentEffects();
  EXPECT_TRUE(Playing(801));
  EXPECT_FALSE(Playing(802));
  EXPECT_FALSE(Playing(803));
}

// --- screensaver mode ---------------------------------------------------------

TEST_F(PlaybackTest, IdleUserGetsOneScreensaverEffectAndActivityStopsOnlyThatKind) {
  RegWrite("InactTime", "1");
  AddEffect(901, "S");
  input.MoveCursor({5, 5});
  FMain->CheckUserIdleAndFireSS();  // activity: the idle period starts
  EXPECT_EQ(FMain->IdleLimitMs, 60000);
  clock.Advance(60000);
  FMain->CheckUserIdleAndFireSS();
  EXPECT_FALSE(FMain->ScreensaverActive);
  clock.Advance(1000);
  FMain->CheckUserIdleAndFireSS();
  EXPECT_TRUE(FMain->ScreensaverActive);
  EXPECT_TRUE(Playing(901));
  EXPECT_TRUE(Logged("Start ScreenSaver"));

  // An idle-mode effect started by hand keeps running when the user is back.
  AddEffect(902, "E");
  FMain->ShowEffect(902, false);
  FMain->ShowEffect(901, false);
  clock.Advance(1000);
  input.Tap(platform::vk::kA);
  FMain->CheckUserIdleAndFireSS();
  EXPECT_FALSE(FMain->ScreensaverActive);
  EXPECT_FALSE(Playing(901));
  EXPECT_TRUE(Playing(902));
  EXPECT_TRUE(Logged("Stop ScreenSaver"));
}

TEST_F(PlaybackTest, OneIdlePeriodEntersScreensaverModeOnce) {
  RegWrite("InactTime", "0");  // the first still tick enters
  AddEffect(911, "E");
  input.MoveCursor({1, 1});
  FMain->CheckUserIdleAndFireSS();
  clock.Advance(1000);
  FMain->CheckUserIdleAndFireSS();
  EXPECT_TRUE(Playing(911));
  FMain->ClearObjList("ESHCD", false);
  for (int tick = 0; tick < 10; ++tick) {
    clock.Advance(1000);
    FMain->CheckUserIdleAndFireSS();
  }
  EXPECT_FALSE(Playing(911));
}

TEST_F(PlaybackTest, AHeldKeyIsActivityAtEveryTick) {
  RegWrite("InactTime", "0");
  input.MoveCursor({1, 1});
  input.Hold(platform::vk::kShift);
  for (int tick = 0; tick < 5; ++tick) {
    clock.Advance(1000);
    FMain->CheckUserIdleAndFireSS();
    EXPECT_EQ(FMain->LastActivityTick, clock.Tick());
  }
  EXPECT_FALSE(FMain->ScreensaverActive);
}

TEST_F(PlaybackTest, ScreensaverModeSwitchedOffPlaysNothing) {
  RegWrite("EEnabSS", "0");
  RegWrite("InactTime", "0");
  AddEffect(921, "S");
  input.MoveCursor({1, 1});
  FMain->CheckUserIdleAndFireSS();
  clock.Advance(1000);
  FMain->CheckUserIdleAndFireSS();
  EXPECT_FALSE(FMain->ScreensaverActive);
  EXPECT_FALSE(Playing(921));
}

}  // namespace
