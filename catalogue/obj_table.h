#pragma once
// The in-memory catalogue table (`dObjList`): an ordered sequence of records
// with one cursor, edit buffer, lookup by value, bookmarks and change
// notifications for attached views. New records go to the end; nothing else
// reorders the table.
//
// Costs: append, delete, post and a cursor step are O(1) (plus O(log k) for
// each lookup index in use); the first lookup on a field builds an index for
// it in O(n), later lookups on that field are O(1) on average.

#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/obj_record.h"

namespace catalogue {

// Names one record for as long as it exists; 0 names none. Bookmarks grow
// with the table order.
using Bookmark = std::uint64_t;

enum class ChangeKind {
  Appended,  // record: the new record
  Updated,   // record: the changed record; fields: bit i set when Field(i) changed
  Deleted,   // record: the removed record (already gone when observers hear of it)
  Reset,     // the whole content was replaced or emptied
};

struct TableChange {
  ChangeKind kind;
  Bookmark record = 0;
  std::uint32_t fields = 0;
};

class ObjTable {
 public:
  enum class State { Browse, Edit, Insert };

  ObjTable();
  ~ObjTable();
  ObjTable(const ObjTable&) = delete;
  ObjTable& operator=(const ObjTable&) = delete;

  // Cursor. Every move first posts an edit in progress.
  void First();
  void Next();
  bool Eof() const;  // no current record: past the last one, or the table is empty
  int RecordCount() const { return static_cast<int>(records_.size()); }
  // Moves to the first record (in table order) whose field equals `value`;
  // false, cursor unchanged, when there is none. Nulls equal no value.
  bool Locate(Field field, const FieldValue& value);
  Bookmark GetBookmark() const;      // of the current record, 0 at the end
  bool GotoBookmark(Bookmark mark);  // false, cursor unchanged, when it is gone

  // Editing. Append starts a new record with every field null; Edit copies the
  // current record into the edit buffer; Post stores the buffer (a new record
  // goes to the end and becomes current); Cancel drops it. Setting a field
  // outside Edit or Insert raises std::logic_error.
  State state() const { return state_; }
  void Append();
  void Edit();
  void Post();
  void Cancel();
  // Deletes the current record (an edit in progress is dropped); the cursor
  // moves to the following record.
  void Delete();
  void Empty();

  // Fields of the current record, or of the edit buffer while editing. With no
  // current record every field reads as null.
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
  void SetNull(Field f) { Buffer().SetNull(f); }
  void Set(Field f, const FieldValue& v) { Buffer().Set(f, v); }

  // Whole-table access for the file format and for views.
  void Assign(std::vector<ObjRecord> records);  // replaces the content; cursor on the first
  void ForEach(const std::function<void(const ObjRecord&)>& visit) const;
  std::vector<Bookmark> Bookmarks() const;     // in table order
  const ObjRecord* Find(Bookmark mark) const;  // nullptr when gone
  // Stores `record` into the record `mark` as a posted edit (the view's edits).
  void Replace(Bookmark mark, const ObjRecord& record);

  // Change notifications, delivered synchronously after each change.
  int AddObserver(std::function<void(const TableChange&)> observer);
  void RemoveObserver(int id);

 private:
  struct Node {
    Bookmark mark;
    ObjRecord record;
  };
  using Iter = std::list<Node>::iterator;
  // Bookmarks of the records holding one value of one field, in table order.
  using Index = std::unordered_map<std::string, std::vector<Bookmark>>;

  ObjRecord& Buffer();
  void CheckBrowse();
  void Notify(const TableChange& change);
  Index& IndexFor(Field field);
  void IndexAdd(const Node& node, std::uint32_t fields);
  void IndexRemove(const Node& node, std::uint32_t fields);
  void ClearIndexes();
  Iter NewNode(ObjRecord record);

  std::list<Node> records_;
  std::unordered_map<Bookmark, Iter> byMark_;
  Iter cursor_;
  Bookmark nextMark_ = 1;
  State state_ = State::Browse;
  ObjRecord buffer_;
  std::array<std::unique_ptr<Index>, kFieldCount> indexes_;
  std::vector<std::pair<int, std::function<void(const TableChange&)>>> observers_;
  int nextObserver_ = 1;
};

}  // namespace catalogue
