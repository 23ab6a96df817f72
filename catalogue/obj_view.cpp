#include "catalogue/obj_view.h"

#include <algorithm>
#include <stdexcept>

#include "platform/ascii.h"

namespace catalogue {
namespace {

const ObjRecord& NullRecord() {
  static const ObjRecord record;
  return record;
}

int CompareText(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = platform::AsciiLower(a[i]), y = platform::AsciiLower(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <typename T>
int CompareNumbers(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Nulls sort before every value; texts without regard to ASCII letter case.
int CompareField(const ObjRecord& a, const ObjRecord& b, Field field) {
  const bool aNull = a.IsNull(field), bNull = b.IsNull(field);
  if (aNull || bNull) return aNull == bNull ? 0 : (aNull ? -1 : 1);
  switch (DefOf(field).type) {
    case FieldType::Integer:
      return CompareNumbers(a.Integer(field), b.Integer(field));
    case FieldType::String:
      return CompareText(a.Text(field), b.Text(field));
    case FieldType::Boolean:
      return CompareNumbers(a.Boolean(field), b.Boolean(field));
    case FieldType::DateTime:
      return CompareNumbers(a.DateTime(field), b.DateTime(field));
  }
  return 0;
}

bool Matches(const ObjRecord& record, Field field, const FieldValue& value) {
  if (record.IsNull(field) || std::holds_alternative<std::monostate>(value)) return false;
  if (DefOf(field).type == FieldType::DateTime && std::holds_alternative<std::int32_t>(value))
    return record.DateTime(field) == std::get<std::int32_t>(value);
  return record.Get(field) == value;
}

}  // namespace

ObjView::ObjView(ObjTable& table) : table_(table) {
  observer_ = table_.AddObserver([this](const TableChange& change) { OnChange(change); });
}

ObjView::~ObjView() {
  table_.RemoveObserver(observer_);
}

void ObjView::OnChange(const TableChange& change) {
  switch (change.kind) {
    case ChangeKind::Appended:
      added_.insert(change.record);
      break;
    case ChangeKind::Updated:
      if (sorted_ && ((change.fields >> int(sortField_)) & 1u) && !added_.count(change.record))
        moved_.insert(change.record);
      break;
    case ChangeKind::Deleted:
      gone_.insert(change.record);
      break;
    case ChangeKind::Reset:
      rebuild_ = true;
      current_ = 0;
      break;
  }
}

bool ObjView::Before(const Entry& a, const Entry& b) const {
  if (sorted_) {
    const int c = CompareField(*a.record, *b.record, sortField_);
    if (c != 0) return descending_ ? c > 0 : c < 0;
  }
  return a.mark < b.mark;
}

void ObjView::Rebuild() const {
  const Bookmark keep = current_;
  order_.clear();
  for (Bookmark mark : table_.Bookmarks()) order_.push_back({mark, table_.Find(mark)});
  if (sorted_)
    std::sort(order_.begin(), order_.end(),
              [this](const Entry& a, const Entry& b) { return Before(a, b); });
  added_.clear();
  gone_.clear();
  moved_.clear();
  rebuild_ = false;
  pos_ = 0;
  if (keep != 0)
    for (size_t i = 0; i < order_.size(); ++i)
      if (order_[i].mark == keep) pos_ = i;
  current_ = pos_ < order_.size() ? order_[pos_].mark : 0;
}

void ObjView::Sync() const {
  if (rebuild_) return Rebuild();
  if (added_.empty() && gone_.empty() && moved_.empty()) return;

  // A deleted current record hands the cursor to the next one that survives.
  const bool currentGone = current_ != 0 && gone_.count(current_);
  Bookmark target = currentGone ? 0 : current_;
  std::vector<Entry> kept;
  kept.reserve(order_.size() + added_.size());
  for (size_t i = 0; i < order_.size(); ++i) {
    const Entry& entry = order_[i];
    if (gone_.count(entry.mark)) continue;
    if (currentGone && target == 0 && i > pos_) target = entry.mark;
    if (!moved_.count(entry.mark)) kept.push_back(entry);
  }

  std::vector<Entry> fresh;
  for (const auto* marks : {&added_, &moved_})
    for (Bookmark mark : *marks)
      if (!gone_.count(mark))
        if (const ObjRecord* record = table_.Find(mark)) fresh.push_back({mark, record});
  const auto before = [this](const Entry& a, const Entry& b) { return Before(a, b); };
  std::sort(fresh.begin(), fresh.end(), before);
  const size_t middle = kept.size();
  kept.insert(kept.end(), fresh.begin(), fresh.end());
  std::inplace_merge(kept.begin(), kept.begin() + middle, kept.end(), before);
  order_ = std::move(kept);
  added_.clear();
  gone_.clear();
  moved_.clear();

  pos_ = order_.size();
  if (target != 0)
    for (size_t i = 0; i < order_.size(); ++i)
      if (order_[i].mark == target) pos_ = i;
  current_ = pos_ < order_.size() ? order_[pos_].mark : 0;
}

void ObjView::PostIfEditing() {
  if (editing_) Post();
}

void ObjView::First() {
  PostIfEditing();
  Sync();
  pos_ = 0;
  current_ = order_.empty() ? 0 : order_[0].mark;
}

void ObjView::Next() {
  PostIfEditing();
  Sync();
  if (pos_ < order_.size()) ++pos_;
  current_ = pos_ < order_.size() ? order_[pos_].mark : 0;
}

void ObjView::Prior() {
  PostIfEditing();
  Sync();
  if (order_.empty()) return;
  pos_ = pos_ == 0 ? 0 : std::min(pos_, order_.size()) - 1;
  current_ = order_[pos_].mark;
}

void ObjView::Last() {
  PostIfEditing();
  Sync();
  MoveTo(static_cast<int>(order_.size()));
}

bool ObjView::Eof() const {
  Sync();
  return pos_ >= order_.size();
}

bool ObjView::Bof() const {
  Sync();
  return order_.empty() || pos_ == 0;
}

int ObjView::RecordCount() const {
  Sync();
  return static_cast<int>(order_.size());
}

int ObjView::RecNo() const {
  Sync();
  return pos_ < order_.size() ? static_cast<int>(pos_) + 1 : 0;
}

void ObjView::MoveTo(int recNo) {
  PostIfEditing();
  Sync();
  if (order_.empty()) {
    pos_ = 0;
    current_ = 0;
    return;
  }
  pos_ = static_cast<size_t>(std::clamp(recNo, 1, static_cast<int>(order_.size())) - 1);
  current_ = order_[pos_].mark;
}

bool ObjView::Locate(Field field, const FieldValue& value) {
  PostIfEditing();
  Sync();
  for (size_t i = 0; i < order_.size(); ++i) {
    if (Matches(*order_[i].record, field, value)) {
      pos_ = i;
      current_ = order_[i].mark;
      return true;
    }
  }
  return false;
}

Bookmark ObjView::GetBookmark() const {
  Sync();
  return current_;
}

bool ObjView::GotoBookmark(Bookmark mark) {
  PostIfEditing();
  Sync();
  for (size_t i = 0; i < order_.size(); ++i) {
    if (order_[i].mark == mark) {
      pos_ = i;
      current_ = mark;
      return true;
    }
  }
  return false;
}

void ObjView::Sort(Field field, bool descending) {
  PostIfEditing();
  Sync();
  sorted_ = true;
  sortField_ = field;
  descending_ = descending;
  rebuild_ = true;
}

void ObjView::Unsort() {
  PostIfEditing();
  Sync();
  sorted_ = false;
  rebuild_ = true;
}

void ObjView::Edit() {
  if (readOnly_) throw std::logic_error("cObjList: cannot modify a read-only dataset");
  PostIfEditing();  // an edit in progress is kept, as the table keeps it
  Sync();
  if (pos_ >= order_.size()) throw std::logic_error("cObjList: no current record to edit");
  buffer_ = *order_[pos_].record;
  editing_ = true;
}

void ObjView::Post() {
  if (!editing_) return;
  editing_ = false;
  if (table_.Find(current_)) table_.Replace(current_, buffer_);
}

void ObjView::Cancel() {
  editing_ = false;
}

const ObjRecord& ObjView::Current() const {
  if (editing_) return buffer_;
  Sync();
  return pos_ < order_.size() ? *order_[pos_].record : NullRecord();
}

ObjRecord& ObjView::Buffer() {
  if (readOnly_) throw std::logic_error("cObjList: cannot modify a read-only dataset");
  if (!editing_) throw std::logic_error("cObjList: not in edit mode");
  return buffer_;
}

}  // namespace catalogue
