#pragma once

#include <cstddef>
#include <iterator>
#include <list>
#include <memory>

#include "store/records.h"

// A read-only view of the store's PageMarks, least recently visited first. It is valid until the
// store next changes.
class PageMarkList {
 public:
  using Owned = std::list<std::unique_ptr<CPez>>;

  class Iterator {
   public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = CPez;
    using difference_type = std::ptrdiff_t;
    using pointer = const CPez*;
    using reference = const CPez&;

    Iterator() = default;
    explicit Iterator(Owned::const_iterator at) : at_(at) {}
    const CPez& operator*() const { return **at_; }
    const CPez* operator->() const { return at_->get(); }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    Iterator operator++(int) { return Iterator(at_++); }
    Iterator& operator--() {
      --at_;
      return *this;
    }
    Iterator operator--(int) { return Iterator(at_--); }
    bool operator==(const Iterator& other) const = default;

   private:
    Owned::const_iterator at_;
  };

  explicit PageMarkList(const Owned& pages) : pages_(&pages) {}

  Iterator begin() const { return Iterator(pages_->begin()); }
  Iterator end() const { return Iterator(pages_->end()); }
  std::reverse_iterator<Iterator> rbegin() const { return std::reverse_iterator<Iterator>(end()); }
  std::reverse_iterator<Iterator> rend() const { return std::reverse_iterator<Iterator>(begin()); }
  std::size_t size() const { return pages_->size(); }
  bool empty() const { return pages_->empty(); }
  const CPez& front() const { return *pages_->front(); }
  const CPez& back() const { return *pages_->back(); }
  // The i-th PageMark; this walks the list (for tests and single lookups, not for loops).
  const CPez& operator[](std::size_t i) const {
    return **std::next(pages_->begin(), static_cast<std::ptrdiff_t>(i));
  }

 private:
  const Owned* pages_;
};
