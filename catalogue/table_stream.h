#pragma once
// The bytes of the catalogue file: the table as a stream of tagged values
// (signature, version, column list, index list, records), and the keystream
// that scrambles the stored file.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/obj_record.h"
#include "catalogue/obj_table.h"

namespace catalogue {

// A stream that cannot be read; what() is the reason.
class StreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The plain stream of the table, version 251, every field with its value or
// null flag.
std::string WriteTableStream(const ObjTable& table);

// Reads a plain stream of version 100 to 251. Stored columns are matched to the
// record's fields by name; a field the stream lacks stays null, a column the
// record lacks (or one stored with another type) is read and dropped. A stored
// date-time of exactly 0 becomes null. Raises StreamError.
std::vector<ObjRecord> ReadTableStream(std::string_view plain);

// Scrambles or unscrambles (the same operation) in place.
void Scramble(std::string& bytes);

}  // namespace catalogue
