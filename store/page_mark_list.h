#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

#include "store/records.h"

// A read-only view of the store's PageMarks, least recently visited first. It is valid until the
// store next changes.
class PageMarkList {
 public:
  using Owned = std::vector<std::unique_ptr<CPez>>;

  class Iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
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
    difference_type operator-(const Iterator& other) const { return at_ - other.at_; }
    Iterator operator+(difference_type n) const { return Iterator(at_ + n); }
    bool operator==(const Iterator& other) const = default;

   private:
    Owned::const_iterator at_;
  };

  explicit PageMarkList(const Owned& pages) : pages_(&pages) {}

  Iterator begin() const { return Iterator(pages_->begin()); }
  Iterator end() const { return Iterator(pages_->end()); }
  std::size_t size() const { return pages_->size(); }
  bool empty() const { return pages_->empty(); }
  const CPez& operator[](std::size_t i) const { return *(*pages_)[i]; }
  const CPez& front() const { return *pages_->front(); }
  const CPez& back() const { return *pages_->back(); }

 private:
  const Owned* pages_;
};
