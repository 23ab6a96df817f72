// A process that saves the catalogue over and over is killed at random
// moments; after every kill the catalogue loads whole, as one generation that
// is never older than the one seen before.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "catalogue/catalogue_file.h"
#include "platform/process.h"
#include "tests/catalogue/catalogue_fixture.h"

namespace catalogue {
namespace {

constexpr int kRecords = 20000;
constexpr int kKills = 100;

// The generation the whole catalogue carries; fails the test when the records
// disagree or are not all there.
int LoadedGeneration() {
  ObjTable table;
  LoadObjList(table);
  EXPECT_EQ(table.RecordCount(), kRecords);
  table.First();
  const int generation = table.Integer(Field::ScreeningCountTotal);
  int id = 0;
  for (; !table.Eof(); table.Next(), ++id) {
    if (table.Integer(Field::ObjID) != id ||
        table.Integer(Field::ScreeningCountTotal) != generation ||
        table.Text(Field::ObjName) != "generation " + std::to_string(generation)) {
      ADD_FAILURE() << "record " << id << " is not of generation " << generation;
      break;
    }
  }
  return generation;
}

TEST(CatalogueCrash, AKilledSaveAlwaysLeavesAWholeCatalogue) {
  CatalogueFolder folder;
  RegWrite("ESaveLog", "0");
  ObjTable table;
  std::vector<ObjRecord> records;
  for (int id = 0; id < kRecords; ++id) {
    ObjRecord r = SampleRecord(id);
    r.SetInteger(Field::ScreeningCountTotal, 0);
    r.SetText(Field::ObjName, "generation 0");
    records.push_back(r);
  }
  table.Assign(records);

  // How long one save and one load take here sets the range of kill moments.
  const auto start = std::chrono::steady_clock::now();
  SaveObjList(table);
  LoadObjList(table);
  const auto cycle = std::chrono::steady_clock::now() - start;
  const auto range = std::max<std::chrono::microseconds>(
      std::chrono::duration_cast<std::chrono::microseconds>(cycle * 4),
      std::chrono::milliseconds(1));

  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  int seen = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    platform::ChildProcess saver = platform::ChildProcess::Spawn({CRASH_SAVER, folder.path()});
    // The kill moment is random on purpose: anywhere in start-up, load or a save.
    std::this_thread::sleep_for(std::chrono::microseconds(random() % range.count()));
    ASSERT_TRUE(saver.StillActive()) << "the saver ended by itself: " << saver.Wait();
    saver.Terminate();
    const int generation = LoadedGeneration();
    ASSERT_FALSE(HasFailure()) << "after kill " << kill << " (seed " << seed << ")";
    ASSERT_GE(generation, seen) << "after kill " << kill << " (seed " << seed << ")";
    seen = generation;
  }
  EXPECT_GT(seen, 0) << "no save ever completed";
}

}  // namespace
}  // namespace catalogue
