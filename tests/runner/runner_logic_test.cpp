// The runner's browser-free logic: its command line, the sound setting, the
// alive probe's timing and which addresses an effect may load.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/process.h"
#include "runner/alive_probe.h"
#include "runner/process_guard.h"
#include "runner/runner_options.h"
#include "runner/url_policy.h"
#include "tests/support/test_support.h"

using namespace std::chrono_literals;
using runner::AliveProbe;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

std::optional<runner::RunnerArgs> Parse(std::vector<const char*> args, std::string* error) {
  args.insert(args.begin(), "RunEffect");
  return runner::ParseRunnerArgs(static_cast<int>(args.size()), args.data(), error);
}

TEST(RunnerArgs, ReadsIdentifierAndHandle) {
  std::string error;
  const auto args = Parse({"re00001001", "4242"}, &error);
  ASSERT_TRUE(args) << error;
  EXPECT_EQ(args->id, 1001);
  EXPECT_EQ(args->padId, "00001001");
  EXPECT_EQ(args->handle, 4242u);
  EXPECT_FALSE(args->counterPage());
  EXPECT_TRUE(Parse({"re99998999", "1"}, &error)->counterPage());
}

TEST(RunnerArgs, RefusesMalformedCommandLines) {
  const std::vector<std::vector<const char*>> bad = {
      {},
      {"re00001001"},
      {"re00001001", "42", "extra"},
      {"00001001", "42"},     // no "re"
      {"re1001", "42"},       // not eight digits
      {"re0000100x", "42"},   // not digits
      {"re00001001", "-42"},  // not a handle
      {"re00001001", "42x"},
      {"re00001001", "0"},
      {"re00001001", "99999999999999999999999"},
  };
  for (const auto& args : bad) {
    std::string error;
    EXPECT_FALSE(Parse(args, &error)) << (args.empty() ? "" : args[0]);
    EXPECT_FALSE(error.empty());
  }
}

TEST(AudioSetting, MapsTheStoredIndex) {
  const std::vector<std::pair<const char*, runner::AudioLevel>> cases = {
      {"0", runner::AudioLevel::All},    {"1", runner::AudioLevel::Basic},
      {"2", runner::AudioLevel::None},   {"7", runner::AudioLevel::None},
      {"-1", runner::AudioLevel::All},   {"", runner::AudioLevel::All},
      {"loud", runner::AudioLevel::All}, {"1 ", runner::AudioLevel::All},
  };
  for (const auto& [text, level] : cases)
    EXPECT_EQ(runner::AudioLevelFromSetting(text), level) << text;
  EXPECT_STREQ(runner::AudioLevelName(runner::AudioLevel::Basic), "basic");
}

TEST(AliveProbe, AnswersInTimeProveLifeAtEachInterval) {
  AliveProbe probe(2000ms, 4000ms);
  std::uint64_t serial = 0;
  ASSERT_TRUE(probe.ProbeDue(0ms, &serial));
  EXPECT_FALSE(probe.ProbeDue(100ms, nullptr)) << "one probe out at a time";
  EXPECT_TRUE(probe.Answered(serial, 50ms));
  EXPECT_FALSE(probe.Answered(serial, 60ms)) << "an answer counts once";
  EXPECT_FALSE(probe.ProbeDue(1999ms, nullptr));
  ASSERT_TRUE(probe.ProbeDue(2000ms, &serial));
  EXPECT_TRUE(probe.Answered(serial, 2100ms));
}

TEST(AliveProbe, HungRendererProvesNothingUntilItAnswersANewProbeInTime) {
  AliveProbe probe(2000ms, 4000ms);
  std::uint64_t first = 0, second = 0, third = 0;
  ASSERT_TRUE(probe.ProbeDue(0ms, &first));
  EXPECT_FALSE(probe.ProbeDue(4000ms, nullptr)) << "still within the limit";
  ASSERT_TRUE(probe.ProbeDue(4001ms, &second)) << "the unanswered probe is given up";
  EXPECT_FALSE(probe.Answered(first, 5000ms)) << "a late answer to an old probe";
  EXPECT_FALSE(probe.Answered(second, 8500ms)) << "the current probe, answered too late";
  ASSERT_TRUE(probe.ProbeDue(8500ms, &third)) << "the next probe follows at once";
  EXPECT_TRUE(probe.Answered(third, 8600ms));
}

class UrlPolicy : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(effect + "img");
    std::filesystem::create_directories(temp / "00001234-other");
    WriteFileBytes(effect + "index.htm", "x");
    WriteFileBytes(effect + "img/a.png", "x");
    WriteFileBytes(temp / "secret.txt", "x");
    std::filesystem::create_symlink(temp / "secret.txt", effect + "link.txt");
  }
  bool May(const QString& url) {
    return runner::EffectMayLoad(QUrl(url), QString::fromStdString(effect));
  }
  QString Url(const std::string& path) { return QString::fromStdString("file://" + path); }
  TempDir temp;
  std::string effect = temp / "00001234/";
};

TEST_F(UrlPolicy, OwnFilesAndDataUrlsLoad) {
  EXPECT_TRUE(May(Url(effect + "index.htm")));
  EXPECT_TRUE(May(Url(effect + "img/a.png")));
  EXPECT_TRUE(May(Url(effect + "img/missing.png"))) << "a missing own file fails on its own";
  EXPECT_TRUE(May(Url(effect + "img/./../index.htm")));
  EXPECT_TRUE(May(Url(effect + "index.htm?x=1#top")));
  EXPECT_TRUE(May("data:image/png;base64,iVBORw0KGgo="));
  EXPECT_TRUE(May("DATA:text/plain,hello"));
}

TEST_F(UrlPolicy, EverythingElseIsRefused) {
  const std::vector<QString> refused = {
      "http://127.0.0.1:8080/x",
      "https://example.org/",
      "ws://127.0.0.1:9/",
      "ftp://127.0.0.1/",
      "blob:file:///x",
      "about:blank",
      "qrc:/icons/ico_def.png",
      "javascript:alert(1)",
      Url(temp / "secret.txt"),
      Url(effect + "../secret.txt"),
      Url(effect + "img/../../secret.txt"),
      Url(effect + "%2e%2e/secret.txt"),
      Url(effect + "link.txt"),  // a link that leads out of the folder
      Url(temp / "00001234-other/index.htm"),
      Url(temp.path().substr(0, temp.path().size() - 1)),
      Url(effect.substr(0, effect.size() - 1)),  // the folder itself
      "file://otherhost" + QString::fromStdString(effect) + "index.htm",
      "file:index.htm",
      "not a url at all",
  };
  for (const QString& url : refused) EXPECT_FALSE(May(url)) << url.toStdString();
}

}  // namespace

namespace {

bool Lives(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return false;
  const char state = line[line.rfind(')') + 2];
  return state != 'Z' && state != 'X';
}

// The probe is started by a shell that stays its parent and keeps the
// shell's process group: the guard must give the probe a group of its own,
// kill the probe's helper once the probe is killed, and leave the shell be.
TEST(ProcessGuard, KilledRunnerTakesItsHelpersButNoOtherProcess) {
  TempDir temp;
  const std::string pids = temp / "pids.txt";
  platform::ChildProcess shell = platform::ChildProcess::Spawn(
      {"/bin/sh", "-c", std::string(PROCESS_GUARD_PROBE) + " " + pids + "; sleep 600"});
  pid_t probe = 0, helper = 0;
  ASSERT_TRUE(testing_support::WaitUntil([&] {
    std::ifstream in(pids);
    return static_cast<bool>(in >> probe >> helper);
  }));
  EXPECT_EQ(getpgid(probe), probe);
  EXPECT_EQ(getpgid(helper), probe);
  kill(probe, SIGKILL);
  EXPECT_TRUE(testing_support::WaitUntil([&] { return !Lives(helper); }));
  EXPECT_TRUE(shell.StillActive()) << "the guard reached beyond its own group";
  kill(helper, SIGKILL);  // in case the guard failed
}

}  // namespace
