// A stand-in effect runner for tests. Started like the real one,
//   RunEffect re<PadId> <handle>
// it reads what to do from Objects/<PadId>/test-runner.txt beside itself
// (words, default "alive 1000"):
//   alive MS      report alive every MS milliseconds
//   end MS        report the end after MS milliseconds and exit
//   silent        report nothing
//   ignore-term   ignore SIGTERM, SIGINT and SIGHUP
//   helper        start a helper process and write its pid to helper.pid
// It writes its own pid to runner.pid in the same folder.

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "common/effect_protocol.h"
#include "platform/message_port.h"
#include "platform/paths.h"

int main(int argc, char** argv) {
  if (argc != 3 || std::string(argv[1]).rfind("re", 0) != 0) return 2;
  const std::string padId = std::string(argv[1]).substr(2);
  const std::uint64_t handle = std::strtoull(argv[2], nullptr, 10);
  const std::string folder = platform::ExecutableDir() + "Objects/" + padId + "/";

  int aliveMs = 1000, endMs = -1;
  bool silent = false;
  std::ifstream script(folder + "test-runner.txt");
  for (std::string word; script >> word;) {
    if (word == "alive") script >> aliveMs;
    if (word == "end") script >> endMs;
    if (word == "silent") silent = true;
    if (word == "ignore-term")
      for (int s : {SIGTERM, SIGINT, SIGHUP}) signal(s, SIG_IGN);
    if (word == "helper") {
      const pid_t helper = fork();
      if (helper == 0) {
        execl("/bin/sleep", "sleep", "600", static_cast<char*>(nullptr));
        _exit(127);
      }
      std::ofstream(folder + "helper.pid") << helper << "\n";
    }
  }
  std::ofstream(folder + "runner.pid") << getpid() << "\n";

  const std::int32_t id = std::atoi(padId.c_str());
  const auto start = std::chrono::steady_clock::now();
  auto nextAlive = start;
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (endMs >= 0 && now - start >= std::chrono::milliseconds(endMs)) {
      if (!silent) platform::SendPortMessage(handle, {WM_EFFECTSTATE, id, 0}, nullptr);
      return 0;
    }
    if (!silent && now >= nextAlive) {
      platform::SendPortMessage(handle, {WM_EFFECTSTATE, id, 1}, nullptr);
      nextAlive = now + std::chrono::milliseconds(aliveMs);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}
