#include "playback/run_list.h"

#include <algorithm>

void RunEntryList::Add(RunEntry entry) {
  entries_.push_back(std::move(entry));
}

void RunEntryList::Remove(std::int32_t id) {
  for (auto it = entries_.end(); it != entries_.begin();) {
    --it;
    if (id == -1 || it->ObjID == id) it = entries_.erase(it);
  }
}

bool RunEntryList::AnyPlaying() const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [](const RunEntry& e) { return e.CountsAsPlaying; });
}

void RunEntryList::MarkAlive(std::int32_t id, std::uint32_t now) {
  for (RunEntry& e : entries_)
    if (e.ObjID == id) e.LastAlive = now;
}

std::vector<const RunEntry*> RunEntryList::Snapshot() const {
  std::vector<const RunEntry*> snapshot;
  for (const RunEntry& e : entries_) snapshot.push_back(&e);
  return snapshot;
}

bool RunEntryList::Contains(const RunEntry* entry) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const RunEntry& e) { return &e == entry; });
}
