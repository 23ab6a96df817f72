#include "catalogue/obj_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace catalogue {
namespace {

const ObjRecord& NullRecord() {
  static const ObjRecord record;
  return record;
}

template <typename T>
std::string RawBytes(T value) {
  std::string key(sizeof value, '\0');
  std::memcpy(key.data(), &value, sizeof value);
  return key;
}

// Key under which a value of the field is indexed; none for a value that no
// record can equal (a null, NaN, or a text longer than the field).
std::optional<std::string> IndexKey(Field field, const FieldValue& value) {
  const FieldDef& def = DefOf(field);
  if (std::holds_alternative<std::monostate>(value)) return std::nullopt;
  switch (def.type) {
    case FieldType::Integer:
      if (auto* v = std::get_if<std::int32_t>(&value)) return RawBytes(*v);
      break;
    case FieldType::String:
      if (auto* v = std::get_if<std::string>(&value)) {
        if (v->size() > static_cast<size_t>(def.size)) return std::nullopt;
        return *v;
      }
      break;
    case FieldType::Boolean:
      if (auto* v = std::get_if<bool>(&value)) return std::string(1, *v ? '1' : '0');
      break;
    case FieldType::DateTime: {
      double d;
      if (auto* v = std::get_if<double>(&value))
        d = *v;
      else if (auto* i = std::get_if<std::int32_t>(&value))
        d = *i;
      else
        break;
      if (std::isnan(d)) return std::nullopt;
      return RawBytes(d == 0 ? 0.0 : d);  // -0 equals 0
    }
  }
  throw std::logic_error("Value of the wrong type for field '" + std::string(def.name) + "'");
}

std::uint32_t ChangedFields(const ObjRecord& before, const ObjRecord& after) {
  std::uint32_t fields = 0;
  for (int i = 0; i < kFieldCount; ++i) {
    const Field f = static_cast<Field>(i);
    if (before.IsNull(f) != after.IsNull(f) || before.Get(f) != after.Get(f)) fields |= 1u << i;
  }
  return fields;
}

constexpr std::uint32_t kAllFields = (1u << kFieldCount) - 1;

}  // namespace

ObjTable::ObjTable() : cursor_(records_.end()) {}
ObjTable::~ObjTable() = default;

void ObjTable::First() {
  CheckBrowse();
  cursor_ = records_.begin();
}

void ObjTable::Next() {
  CheckBrowse();
  if (cursor_ != records_.end()) ++cursor_;
}

bool ObjTable::Eof() const {
  return state_ != State::Insert && cursor_ == records_.end();
}

bool ObjTable::Locate(Field field, const FieldValue& value) {
  CheckBrowse();
  const std::optional<std::string> key = IndexKey(field, value);
  if (!key) return false;
  const Index& index = IndexFor(field);
  const auto hit = index.find(*key);
  if (hit == index.end() || hit->second.empty()) return false;
  cursor_ = byMark_.at(hit->second.front());
  return true;
}

Bookmark ObjTable::GetBookmark() const {
  return cursor_ == records_.end() ? 0 : cursor_->mark;
}

bool ObjTable::GotoBookmark(Bookmark mark) {
  CheckBrowse();
  const auto hit = byMark_.find(mark);
  if (hit == byMark_.end()) return false;
  cursor_ = hit->second;
  return true;
}

void ObjTable::Append() {
  CheckBrowse();
  buffer_ = ObjRecord();
  state_ = State::Insert;
}

void ObjTable::Edit() {
  CheckBrowse();
  if (cursor_ == records_.end()) throw std::logic_error("dObjList: no current record to edit");
  buffer_ = cursor_->record;
  state_ = State::Edit;
}

void ObjTable::Post() {
  if (state_ == State::Insert) {
    state_ = State::Browse;
    cursor_ = NewNode(std::move(buffer_));
    IndexAdd(*cursor_, kAllFields);
    Notify({ChangeKind::Appended, cursor_->mark, kAllFields});
  } else if (state_ == State::Edit) {
    state_ = State::Browse;
    Replace(cursor_->mark, buffer_);
  }
}

void ObjTable::Cancel() {
  state_ = State::Browse;
}

void ObjTable::Delete() {
  Cancel();
  if (cursor_ == records_.end()) throw std::logic_error("dObjList: no current record to delete");
  const Bookmark mark = cursor_->mark;
  IndexRemove(*cursor_, kAllFields);
  byMark_.erase(mark);
  cursor_ = records_.erase(cursor_);
  Notify({ChangeKind::Deleted, mark, kAllFields});
}

void ObjTable::Empty() {
  Assign({});
}

const ObjRecord& ObjTable::Current() const {
  if (state_ != State::Browse) return buffer_;
  return cursor_ == records_.end() ? NullRecord() : cursor_->record;
}

ObjRecord& ObjTable::Buffer() {
  if (state_ == State::Browse) throw std::logic_error("dObjList: not in edit or insert mode");
  return buffer_;
}

void ObjTable::CheckBrowse() {
  Post();
}

void ObjTable::Assign(std::vector<ObjRecord> records) {
  state_ = State::Browse;
  records_.clear();
  byMark_.clear();
  ClearIndexes();
  for (ObjRecord& record : records) NewNode(std::move(record));
  cursor_ = records_.begin();
  Notify({ChangeKind::Reset, 0, kAllFields});
}

void ObjTable::ForEach(const std::function<void(const ObjRecord&)>& visit) const {
  for (const Node& node : records_) visit(node.record);
}

std::vector<Bookmark> ObjTable::Bookmarks() const {
  std::vector<Bookmark> marks;
  marks.reserve(records_.size());
  for (const Node& node : records_) marks.push_back(node.mark);
  return marks;
}

const ObjRecord* ObjTable::Find(Bookmark mark) const {
  const auto hit = byMark_.find(mark);
  return hit == byMark_.end() ? nullptr : &hit->second->record;
}

void ObjTable::Replace(Bookmark mark, const ObjRecord& record) {
  Node& node = *byMark_.at(mark);
  const std::uint32_t fields = ChangedFields(node.record, record);
  if (fields == 0) return;
  IndexRemove(node, fields);
  node.record = record;
  IndexAdd(node, fields);
  Notify({ChangeKind::Updated, mark, fields});
}

int ObjTable::AddObserver(std::function<void(const TableChange&)> observer) {
  observers_.emplace_back(nextObserver_, std::move(observer));
  return nextObserver_++;
}

void ObjTable::RemoveObserver(int id) {
  std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

void ObjTable::Notify(const TableChange& change) {
  for (size_t i = 0; i < observers_.size(); ++i) observers_[i].second(change);
}

ObjTable::Iter ObjTable::NewNode(ObjRecord record) {
  records_.push_back({nextMark_++, std::move(record)});
  const Iter it = std::prev(records_.end());
  byMark_.emplace(it->mark, it);
  return it;
}

ObjTable::Index& ObjTable::IndexFor(Field field) {
  std::unique_ptr<Index>& index = indexes_[static_cast<size_t>(field)];
  if (!index) {
    index = std::make_unique<Index>();
    for (const Node& node : records_)
      if (auto key = IndexKey(field, node.record.Get(field))) (*index)[*key].push_back(node.mark);
  }
  return *index;
}

void ObjTable::IndexAdd(const Node& node, std::uint32_t fields) {
  for (int i = 0; i < kFieldCount; ++i) {
    if (!indexes_[i] || !((fields >> i) & 1u)) continue;
    const Field f = static_cast<Field>(i);
    if (auto key = IndexKey(f, node.record.Get(f))) {
      std::vector<Bookmark>& marks = (*indexes_[i])[*key];
      marks.insert(std::upper_bound(marks.begin(), marks.end(), node.mark), node.mark);
    }
  }
}

void ObjTable::IndexRemove(const Node& node, std::uint32_t fields) {
  for (int i = 0; i < kFieldCount; ++i) {
    if (!indexes_[i] || !((fields >> i) & 1u)) continue;
    const Field f = static_cast<Field>(i);
    const auto key = IndexKey(f, node.record.Get(f));
    if (!key) continue;
    const auto hit = indexes_[i]->find(*key);
    if (hit == indexes_[i]->end()) continue;
    std::vector<Bookmark>& marks = hit->second;
    const auto pos = std::lower_bound(marks.begin(), marks.end(), node.mark);
    if (pos != marks.end() && *pos == node.mark) marks.erase(pos);
    if (marks.empty()) indexes_[i]->erase(hit);
  }
}

void ObjTable::ClearIndexes() {
  for (auto& index : indexes_) index.reset();
}

}  // namespace catalogue
