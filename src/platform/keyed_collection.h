#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "vemosupport/automation_error.h"
#include "vemosupport/enumerator.h"
#include "vemosupport/variant.h"
#include "platform/positional_sequence.h"

namespace vemo {

// Folds a key for comparison without regard to case: full Unicode case folding.
std::string FoldKey(std::string_view key);

// The runtime's keyed ordered collection: members in insertion order (or inserted
// before a given position), addressed by 1-based position or by a text key compared
// without regard to case. A duplicate key is refused with error 457, a missing key is
// error 5, a position outside 1..Count error 9. T is a reference type (shared_ptr).
//
// A collection of thousands of members (a large device's data points) is filled by
// insertions at arbitrary positions: the order is a PositionalSequence, and the members
// and the key index take their memory from the collection's own pool, which hands it
// back in a few large pieces when the collection ends.
template <class T>
class KeyedCollection {
  struct Member {
    std::optional<std::string> foldedKey;
    T item;
  };

 public:
  KeyedCollection() = default;
  ~KeyedCollection() { Clear(); }
  KeyedCollection(const KeyedCollection&) = delete;
  KeyedCollection& operator=(const KeyedCollection&) = delete;

  std::int32_t Count() const { return static_cast<std::int32_t>(members_.size()); }

  // Adds `item`, under `key` when given, at the end or before the member at 1-based
  // position `before`. Nothing changes when it fails.
  void Add(T item, std::optional<std::string_view> key = std::nullopt,
           std::optional<std::int32_t> before = std::nullopt) {
    if (!TryAdd(std::move(item), key, before)) throw AutomationError(err::kDuplicateKey);
  }

  // Add that answers false, changing nothing, when the key is taken.
  bool TryAdd(T item, std::optional<std::string_view> key = std::nullopt,
              std::optional<std::int32_t> before = std::nullopt) {
    if (before && (*before < 1 || *before > Count())) throw AutomationError(err::kSubscriptOutOfRange);
    std::optional<std::string> foldedKey;
    if (key) foldedKey = FoldKey(*key);
    auto slot = byKey_.end();
    if (foldedKey) {
      bool added = false;
      std::tie(slot, added) = byKey_.try_emplace(*foldedKey, nullptr);
      if (!added) return false;
    }
    Member* member = nullptr;
    try {
      member = NewMember(Member{std::move(foldedKey), std::move(item)});
      members_.insert(before ? static_cast<std::size_t>(*before - 1) : members_.size(), member);
    } catch (...) {
      if (slot != byKey_.end()) byKey_.erase(slot);
      if (member) DeleteMember(member);
      throw;
    }
    if (slot != byKey_.end()) slot->second = member;
    return true;
  }

  const T& Item(std::int32_t position) const {
    if (position < 1 || position > Count()) throw AutomationError(err::kSubscriptOutOfRange);
    return members_.at(static_cast<std::size_t>(position - 1))->item;
  }

  const T& Item(std::string_view key) const {
    auto found = byKey_.find(FoldKey(key));
    if (found == byKey_.end()) throw AutomationError(err::kInvalidArgument);
    return found->second->item;
  }

  // A number selects by position (rounded as automation rounds), text by key; any
  // other kind of index is an invalid argument.
  const T& Item(const Variant& index) const {
    if (const std::string* key = index.AsString()) return Item(std::string_view(*key));
    if (index.IsNumber()) return Item(index.ToInt32());
    throw AutomationError(err::kInvalidArgument);
  }

  // An enumerator over the members in collection order.
  std::shared_ptr<Enumerator> NewEnum() const {
    std::vector<Variant> items;
    items.reserve(members_.size());
    for (const Member* member : members_) items.emplace_back(member->item);
    return std::make_shared<Enumerator>(std::move(items));
  }

  // The member under `key`, or nullptr; never raises.
  const T* Find(std::string_view key) const {
    auto found = byKey_.find(FoldKey(key));
    return found == byKey_.end() ? nullptr : &found->second->item;
  }

  void Remove(std::int32_t position) {
    if (position < 1 || position > Count()) throw AutomationError(err::kSubscriptOutOfRange);
    Member* removed = members_.at(static_cast<std::size_t>(position - 1));
    if (removed->foldedKey) byKey_.erase(*removed->foldedKey);
    members_.erase(static_cast<std::size_t>(position - 1));
    DeleteMember(removed);
  }

  // Empties the collection, releasing the members from the front, as its owners do
  // when they end.
  void Clear() {
    std::vector<Member*> members;
    members.reserve(members_.size());
    for (Member* member : members_) members.push_back(member);
    members_.clear();
    byKey_.clear();
    for (Member* member : members) DeleteMember(member);
  }

  // Iteration in collection order over the members themselves.
  class const_iterator {
   public:
    using Inner = typename PositionalSequence<Member*>::const_iterator;
    explicit const_iterator(Inner inner) : inner_(inner) {}
    const T& operator*() const { return (*inner_)->item; }
    const_iterator& operator++() { ++inner_; return *this; }
    bool operator==(const const_iterator& other) const { return inner_ == other.inner_; }

   private:
    Inner inner_;
  };
  const_iterator begin() const { return const_iterator(members_.begin()); }
  const_iterator end() const { return const_iterator(members_.end()); }

 private:
  Member* NewMember(Member&& value) {
    void* memory = pool_.allocate(sizeof(Member), alignof(Member));
    try {
      return new (memory) Member(std::move(value));
    } catch (...) {
      pool_.deallocate(memory, sizeof(Member), alignof(Member));
      throw;
    }
  }
  void DeleteMember(Member* member) {
    member->~Member();
    pool_.deallocate(member, sizeof(Member), alignof(Member));
  }

  // Declared first: it outlives the members and the index that live in it.
  std::pmr::unsynchronized_pool_resource pool_;
  PositionalSequence<Member*> members_;  // owned, in pool_
  std::pmr::unordered_map<std::string, Member*> byKey_{&pool_};
};

}  // namespace vemo
