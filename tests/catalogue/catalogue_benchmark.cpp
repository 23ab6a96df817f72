// Speed of the catalogue: saving and loading the file (with real files and a
// real settings store in a temporary folder), the stream alone, and the table
// and view operations at 10 000 and 100 000 records. Goal: a save or load of
// 10 000 records under 20 ms, growing linearly.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/obj_view.h"
#include "catalogue/table_stream.h"
#include "common/uUtils.h"
#include "tests/support/test_support.h"

namespace catalogue {
namespace {

ObjRecord Record(int n) {
  ObjRecord r;
  r.SetInteger(Field::ObjID, n);
  r.SetText(Field::ObjName, "Effect number " + std::to_string(n));
  r.SetText(Field::ObjType, "H");
  r.SetText(Field::ObjDescription, "A pleasant effect that drifts over the desktop\r\nfor a while");
  r.SetText(Field::ZipFileName, "/opt/sparkletide/Objects/ZIP/" + PadId(n) + ".zip");
  r.SetText(Field::ZipFileCRC32, "0A1B2C3D");
  for (Field f : {Field::ScreeningCountTmp, Field::ScreeningCountTotal, Field::RatingTmp,
                  Field::RatingConst, Field::ObjPointer})
    r.SetInteger(f, n % 300);
  r.SetBoolean(Field::ObjEnabled, true);
  r.SetDateTime(Field::BeginDate, 45000.5 + n % 1000);
  r.SetDateTime(Field::EndDate, 47000.25);
  r.SetInteger(Field::MinExecInterval, 600);
  r.SetInteger(Field::EnableDays, 1234567);
  r.SetInteger(Field::MaxExecCount, 99999);
  r.SetDateTime(Field::LastExecTime, 45500.125);
  return r;
}

void Fill(ObjTable& table, int count) {
  std::vector<ObjRecord> records;
  records.reserve(count);
  for (int n = 0; n < count; ++n) records.push_back(Record(n));
  table.Assign(std::move(records));
}

struct Folder {
  Folder() : registry("SPARKLETIDE_REGISTRY", app / "registry") {
    std::filesystem::create_directories(app / "Objects/ZIP");
    SetAppDir(app.path());
    RegWrite("ESaveLog", "0");
  }
  testing_support::TempDir app;
  testing_support::ScopedEnv registry;
};

void BM_SaveObjList(benchmark::State& state) {
  Folder folder;
  ObjTable table;
  Fill(table, static_cast<int>(state.range(0)));
  for (auto _ : state) SaveObjList(table);
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SaveObjList)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_LoadObjList(benchmark::State& state) {
  Folder folder;
  ObjTable table;
  Fill(table, static_cast<int>(state.range(0)));
  SaveObjList(table);
  for (auto _ : state) LoadObjList(table);
  if (table.RecordCount() != state.range(0)) state.SkipWithError("catalogue did not load");
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadObjList)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_EncodeStream(benchmark::State& state) {
  ObjTable table;
  Fill(table, static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(EncodeCatalogueFile(table));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_EncodeStream)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_DecodeStream(benchmark::State& state) {
  ObjTable table;
  Fill(table, static_cast<int>(state.range(0)));
  const std::string stored = EncodeCatalogueFile(table);
  for (auto _ : state) benchmark::DoNotOptimize(DecodeCatalogueFile(stored));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DecodeStream)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Looking every record up by identifier once, as a reconciliation does.
void BM_LocateEveryRecord(benchmark::State& state) {
  ObjTable table;
  const int count = static_cast<int>(state.range(0));
  Fill(table, count);
  for (auto _ : state)
    for (int id = 0; id < count; ++id) benchmark::DoNotOptimize(table.Locate(Field::ObjID, id));
  state.SetComplexityN(count);
}
BENCHMARK(BM_LocateEveryRecord)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Appending records one by one while a sorted view is attached and read.
void BM_AppendWithSortedView(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    ObjTable table;
    ObjView view(table);
    view.Sort(Field::ObjName, false);
    for (int n = 0; n < count; ++n) {
      table.Append();
      table.SetInteger(Field::ObjID, n);
      table.SetText(Field::ObjName, "Effect " + std::to_string(n * 7919 % count));
      table.Post();
    }
    benchmark::DoNotOptimize(view.RecordCount());
  }
  state.SetComplexityN(count);
}
BENCHMARK(BM_AppendWithSortedView)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// A walk that edits every record (as the statistics reset does), with a view attached.
void BM_WalkAndPost(benchmark::State& state) {
  ObjTable table;
  Fill(table, static_cast<int>(state.range(0)));
  ObjView view(table);
  view.Sort(Field::ScreeningCountTmp, true);
  int value = 0;
  for (auto _ : state) {
    ++value;
    for (table.First(); !table.Eof(); table.Next()) {
      table.Edit();
      table.SetInteger(Field::ScreeningCountTmp, value);
      table.Post();
    }
    benchmark::DoNotOptimize(view.RecNo());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_WalkAndPost)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_SortView(benchmark::State& state) {
  ObjTable table;
  Fill(table, static_cast<int>(state.range(0)));
  ObjView view(table);
  bool descending = false;
  for (auto _ : state) {
    view.Sort(Field::ObjName, descending = !descending);
    benchmark::DoNotOptimize(view.RecordCount());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SortView)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

}  // namespace
}  // namespace catalogue

BENCHMARK_MAIN();
