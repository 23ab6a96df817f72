#pragma once
// The runners the agent has started, one entry per runner process, in start
// order. An entry owns its process: removing the entry reaps the process, so
// no runner is ever left behind as a zombie.

#include <cstdint>
#include <list>
#include <vector>

#include "platform/process.h"

struct RunEntry {
  std::int32_t ObjID = 0;
  platform::ChildProcess process;
  std::uint32_t LastAlive = 0;  // tick of the last sign of life; the start at first
  bool CountsAsPlaying = false;
};

class RunEntryList {
 public:
  void Add(RunEntry entry);
  // Removes the entries of `id`, or all of them for -1, from the last to the
  // first. A runner that still runs is terminated and every one is reaped, so
  // none outlives its entry.
  void Remove(std::int32_t id);
  // Whether an entry that counts as playing remains.
  bool AnyPlaying() const;
  // Every entry of `id` gets `now` as its last sign of life.
  void MarkAlive(std::int32_t id, std::uint32_t now);

  // The entries as they are now, for a pass that may remove some of them.
  std::vector<const RunEntry*> Snapshot() const;
  // Whether `entry` (from a snapshot) is still in the list.
  bool Contains(const RunEntry* entry) const;

  std::size_t size() const { return entries_.size(); }
  const std::list<RunEntry>& entries() const { return entries_; }
  std::list<RunEntry>& entries() { return entries_; }

 private:
  std::list<RunEntry> entries_;
};
