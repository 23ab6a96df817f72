#pragma once
// A program folder of its own (with "Objects/" and "Objects/ZIP/") and a
// settings store of its own for each test, and the texts of the log lines
// written there.

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/obj_record.h"
#include "common/uUtils.h"
#include "tests/support/test_support.h"

namespace catalogue {

class CatalogueFolder {
 public:
  CatalogueFolder() : registry_("SPARKLETIDE_REGISTRY", app_ / "registry") {
    std::filesystem::create_directories(app_ / "Objects/ZIP");
    SetAppDir(app_.path());
  }
  ~CatalogueFolder() { SetAppDir(""); }

  const std::string& path() const { return app_.path(); }

  // Log texts without their date and time, in file order.
  std::vector<std::string> LogTexts() const {
    return testing_support::LogTexts(app_ / "sparkletide.log");
  }
  void ClearLog() const { std::filesystem::remove(app_ / "sparkletide.log"); }

 private:
  testing_support::TempDir app_;
  testing_support::ScopedEnv registry_;
};

// A record with every field set, told apart by `n`.
inline ObjRecord SampleRecord(int n) {
  ObjRecord r;
  r.SetInteger(Field::ObjID, n);
  r.SetText(Field::ObjName, "Effect " + std::to_string(n));
  r.SetText(Field::ObjType, "H");
  r.SetText(Field::ObjDescription, "Line one\r\nLine two");
  r.SetText(Field::ZipFileName, "");
  r.SetText(Field::ZipFileCRC32, "");
  for (Field f : {Field::ScreeningCountTmp, Field::ScreeningCountTotal, Field::RatingTmp,
                  Field::RatingConst, Field::ObjPointer})
    r.SetInteger(f, n % 6);
  r.SetBoolean(Field::ObjEnabled, true);
  r.SetDateTime(Field::BeginDate, 45000.25 + n);
  r.SetDateTime(Field::EndDate, 46000.5);
  r.SetInteger(Field::MinExecInterval, 600);
  r.SetInteger(Field::EnableDays, 1234567);
  r.SetInteger(Field::MaxExecCount, 99999 - n);
  r.SetDateTime(Field::LastExecTime, 45500.125);
  return r;
}

}  // namespace catalogue
