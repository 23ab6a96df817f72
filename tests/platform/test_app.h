#pragma once
// One QApplication for a whole test binary, made on first use and never
// destroyed (destroying it at exit races with the platform's shutdown).

#include <QApplication>

inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "platform-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}
