// Test helper: loads the catalogue of the program folder given as the first
// argument and saves it again and again, each time as a new generation (every
// record carries the generation number), until it is killed.

#include <cstdio>
#include <string>

#include "catalogue/catalogue_file.h"
#include "catalogue/obj_table.h"
#include "common/uUtils.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  SetAppDir(argv[1]);
  catalogue::ObjTable table;
  catalogue::LoadObjList(table);
  if (table.RecordCount() == 0) {
    std::fprintf(stderr, "crash_saver: the catalogue did not load\n");
    return 3;
  }
  table.First();
  for (int generation = table.Integer(catalogue::Field::ScreeningCountTotal) + 1;; ++generation) {
    for (table.First(); !table.Eof(); table.Next()) {
      table.Edit();
      table.SetInteger(catalogue::Field::ScreeningCountTotal, generation);
      table.SetText(catalogue::Field::ObjName, "generation " + std::to_string(generation));
      table.Post();
    }
    catalogue::SaveObjList(table);
  }
}
