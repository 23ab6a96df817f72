#include <signal.h>

#include <gtest/gtest.h>

#include "playback/run_list.h"

namespace {

RunEntry Sleeper(std::int32_t id, bool playing) {
  return {id, platform::ChildProcess::Spawn({"/bin/sleep", "60"}), 0, playing};
}

bool Gone(pid_t pid) {
  return kill(pid, 0) != 0;
}  // reaped, not even a zombie

TEST(RunList, RemovesTheEntriesOfOneEffectOrAllAndEndsTheirRunners) {
  RunEntryList list;
  list.Add(Sleeper(1, true));
  list.Add(Sleeper(2, false));
  list.Add(Sleeper(1, true));
  const pid_t first = list.entries().front().process.pid();
  const pid_t permanent = (++list.entries().begin())->process.pid();
  EXPECT_TRUE(list.AnyPlaying());

  list.Remove(1);
  EXPECT_EQ(list.size(), 1u);
  EXPECT_TRUE(Gone(first));
  EXPECT_FALSE(list.AnyPlaying());  // only the permanent one is left
  EXPECT_FALSE(Gone(permanent));

  list.Remove(-1);
  EXPECT_EQ(list.size(), 0u);
  EXPECT_TRUE(Gone(permanent));
}

TEST(RunList, AliveMarksAndSnapshots) {
  RunEntryList list;
  list.Add(Sleeper(7, true));
  list.Add(Sleeper(8, true));
  list.MarkAlive(7, 5000);
  list.MarkAlive(9, 6000);  // no entry: nothing changes
  const auto snapshot = list.Snapshot();
  ASSERT_EQ(snapshot.size(), 2u);
  EXPECT_EQ(snapshot[0]->LastAlive, 5000u);
  EXPECT_EQ(snapshot[1]->LastAlive, 0u);
  list.Remove(8);
  EXPECT_TRUE(list.Contains(snapshot[0]));
  EXPECT_FALSE(list.Contains(snapshot[1]));
}

}  // namespace
