#include "platform/qt/termination_watch.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <stdexcept>

namespace platform {
namespace {

int gPipe[2] = {-1, -1};

void OnSignal(int number) {
  const char byte = static_cast<char>(number);
  const ssize_t ignored = write(gPipe[1], &byte, 1);
  (void)ignored;
}

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

}  // namespace

TerminationWatch::TerminationWatch(QObject* parent) : QObject(parent) {
  if (gPipe[0] < 0 && pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0)
    throw std::runtime_error("cannot create the signal pipe");
  notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char byte = 0;
    while (read(gPipe[0], &byte, 1) == 1) emit terminationRequested(byte);
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : kSignals) sigaction(s, &action, nullptr);
}

TerminationWatch::~TerminationWatch() {
  for (int s : kSignals) signal(s, SIG_DFL);
}

}  // namespace platform
