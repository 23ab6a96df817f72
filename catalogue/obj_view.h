#pragma once
// A view attached to the catalogue table (`cObjList`): the same records seen
// through a cursor of its own, in its own order (table order, or a stable sort
// on one field), read-only unless switched to writable. It follows every
// change of the table: a record added, changed or deleted through the table or
// through another view is seen at the next access. The view must not outlive
// its table.
//
// Changes are noted in O(1) as they happen; the next access folds them in with
// one pass over the view (plus sorting the records added meanwhile).

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "catalogue/obj_table.h"

namespace catalogue {

class ObjView {
 public:
  explicit ObjView(ObjTable& table);
  ~ObjView();
  ObjView(const ObjView&) = delete;
  ObjView& operator=(const ObjView&) = delete;

  // Cursor. Every move first posts an edit in progress.
  void First();
  void Next();
  void Prior();  // stays on the first record
  void Last();
  bool Eof() const;  // no current record: past the last one, or the view is empty
  bool Bof() const;  // on the first record, or the view is empty
  int RecordCount() const;
  int RecNo() const;       // 1-based position of the current record; 0 when there is none
  void MoveTo(int recNo);  // clamped to the records there are
  // Moves to the first record in view order whose field equals `value`.
  bool Locate(Field field, const FieldValue& value);
  Bookmark GetBookmark() const;
  bool GotoBookmark(Bookmark mark);

  // Sorts on `field`; records with equal values keep their table order. The
  // order is kept as records are added and changed.
  void Sort(Field field, bool descending);
  void Unsort();  // back to table order

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

  // Editing the current record; raises std::logic_error while read-only.
  bool Editing() const { return editing_; }
  void Edit();
  void Post();  // stores the edit in the table, which tells every observer
  void Cancel();

  const ObjRecord& Current() const;
  std::int32_t Integer(Field f) const { return Current().Integer(f); }
  const std::string& Text(Field f) const { return Current().Text(f); }
  bool Boolean(Field f) const { return Current().Boolean(f); }
  double DateTime(Field f) const { return Current().DateTime(f); }
  bool IsNull(Field f) const { return Current().IsNull(f); }
  void SetInteger(Field f, std::int32_t v) { Buffer().SetInteger(f, v); }
  void SetText(Field f, std::string_view v) { Buffer().SetText(f, v); }
  void SetBoolean(Field f, bool v) { Buffer().SetBoolean(f, v); }
  void SetDateTime(Field f, double v) { Buffer().SetDateTime(f, v); }
  void Set(Field f, const FieldValue& v) { Buffer().Set(f, v); }

 private:
  struct Entry {
    Bookmark mark;
    const ObjRecord* record;  // valid while the record exists
  };

  void OnChange(const TableChange& change);
  void Sync() const;  // folds noted changes into order_
  void Rebuild() const;
  bool Before(const Entry& a, const Entry& b) const;
  ObjRecord& Buffer();
  void PostIfEditing();

  ObjTable& table_;
  int observer_ = 0;
  bool sorted_ = false;
  Field sortField_ = Field::ObjID;
  bool descending_ = false;
  bool readOnly_ = true;
  bool editing_ = false;
  ObjRecord buffer_;

  mutable std::vector<Entry> order_;
  mutable size_t pos_ = 0;  // index into order_; order_.size() is the end
  mutable Bookmark current_ = 0;
  // Changes not yet folded in.
  mutable bool rebuild_ = true;
  mutable std::unordered_set<Bookmark> added_;
  mutable std::unordered_set<Bookmark> gone_;   // deleted
  mutable std::unordered_set<Bookmark> moved_;  // sort value changed
};

}  // namespace catalogue
