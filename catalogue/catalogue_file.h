#pragma once
// The catalogue file "ObjList.db" in the effects folder, its back copy in the
// package folder, and the checksum `DBCRC` in the settings key that tells
// whether a file is the one last saved.

#include <string>
#include <vector>

#include "catalogue/obj_table.h"

namespace catalogue {

std::string MainFilePath();  // ObjectsDir() + "ObjList.db"
std::string BackCopyPath();  // ObjectsDir() + "ZIP/ObjList.db"

// The stored bytes of a catalogue file (the scrambled stream), and back.
std::string EncodeCatalogueFile(const ObjTable& table);
// Raises StreamError for bytes that are not a catalogue.
std::vector<ObjRecord> DecodeCatalogueFile(std::string stored);

// Writes the main file, then `DBCRC`, then the back copy, each step durable
// before the next begins, so that a stop at any moment leaves a catalogue
// that loads: the previous one until `DBCRC` changes, the new one after. A
// back copy left behind by an earlier interrupted save is first brought level
// with the main file.
// Logs "Save objects DB". Raises std::runtime_error when a file cannot be
// written (nothing later in the order is touched then).
void SaveObjList(const ObjTable& table);

// Loads the catalogue into `table`: the main file when it matches `DBCRC` (or
// no `DBCRC` is known), else the back copy when that matches, else nothing.
// The back copy is also read when the main file is missing. Never raises: any
// failure leaves the table empty.
void LoadObjList(ObjTable& table);

}  // namespace catalogue
