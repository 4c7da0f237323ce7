#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "vemosupport/automation_error.h"
#include "vemosupport/enumerator.h"
#include "vemosupport/variant.h"

namespace vemo {

// Folds a key for comparison without regard to case: full Unicode case folding.
std::string FoldKey(std::string_view key);

// The runtime's keyed ordered collection: members in insertion order (or inserted
// before a given position), addressed by 1-based position or by a text key compared
// without regard to case. A duplicate key is refused with error 457, a missing key is
// error 5, a position outside 1..Count error 9. T is a reference type (shared_ptr).
template <class T>
class KeyedCollection {
  struct Member {
    std::optional<std::string> foldedKey;
    T item;
  };

 public:
  KeyedCollection() = default;
  ~KeyedCollection() {
    for (Member* member : members_) delete member;
  }
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
    // Members live on the heap and the order is kept as plain pointers, so an insertion
    // moves pointers as one block of memory.
    auto member = std::make_unique<Member>(Member{std::nullopt, std::move(item)});
    if (members_.size() == members_.capacity()) members_.reserve(std::max<std::size_t>(8, 2 * members_.size()));
    if (key) {
      member->foldedKey = FoldKey(*key);
      if (!byKey_.emplace(*member->foldedKey, member.get()).second) return false;
    }
    members_.insert(before ? members_.begin() + (*before - 1) : members_.end(), member.release());
    return true;
  }

  const T& Item(std::int32_t position) const {
    if (position < 1 || position > Count()) throw AutomationError(err::kSubscriptOutOfRange);
    return members_[static_cast<std::size_t>(position - 1)]->item;
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
    for (const auto& member : members_) items.emplace_back(member->item);
    return std::make_shared<Enumerator>(std::move(items));
  }

  // The member under `key`, or nullptr; never raises.
  const T* Find(std::string_view key) const {
    auto found = byKey_.find(FoldKey(key));
    return found == byKey_.end() ? nullptr : &found->second->item;
  }

  void Remove(std::int32_t position) {
    if (position < 1 || position > Count()) throw AutomationError(err::kSubscriptOutOfRange);
    auto at = members_.begin() + (position - 1);
    std::unique_ptr<Member> removed(*at);
    if (removed->foldedKey) byKey_.erase(*removed->foldedKey);
    members_.erase(at);
  }

  // Empties the collection, releasing the members from the front, as its owners do
  // when they end.
  void Clear() {
    std::vector<Member*> members = std::move(members_);
    members_.clear();
    byKey_.clear();
    for (Member* member : members) delete member;
  }

  // Iteration in collection order over the members themselves.
  class const_iterator {
   public:
    using Inner = typename std::vector<Member*>::const_iterator;
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
  std::vector<Member*> members_;  // owned
  std::unordered_map<std::string, Member*> byKey_;
};

}  // namespace vemo
