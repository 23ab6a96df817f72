#pragma once
// The one application object of a test program, made on first use.

#include <QCoreApplication>

template <class Application>
Application& TestApplication() {
  static int argc = 1;
  static char name[] = "sparkletide-tests";
  static char* argv[] = {name, nullptr};
  if (!qApp) new Application(argc, argv);
  return *static_cast<Application*>(qApp);
}
