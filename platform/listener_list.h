#pragma once

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

// The listeners of one model, told in the order they subscribed. A listener may subscribe or
// unsubscribe listeners (itself included) while it is told: one that left is not told again, one
// that joined hears only the next notice. Main thread only, like the models that own such a list.
//
// Subscribe hands back a Subscription that leaves the list when it goes, so a view cannot outlive
// its place in the list; the list may go first (the model is destroyed before its views), and the
// Subscription then does nothing.
template <typename Listener>
class ListenerList {
  using Listeners = std::vector<Listener*>;

 public:
  class Subscription {
   public:
    Subscription() = default;
    Subscription(Subscription&& other) noexcept
        : listeners_(std::move(other.listeners_)), listener_(std::exchange(other.listener_, nullptr)) {}
    Subscription& operator=(Subscription&& other) noexcept {
      if (this != &other) {
        Leave();
        listeners_ = std::move(other.listeners_);
        listener_ = std::exchange(other.listener_, nullptr);
      }
      return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { Leave(); }

    // Leaves the list now (the destructor does the same).
    void Leave() {
      if (const std::shared_ptr<Listeners> listeners = listeners_.lock()) std::erase(*listeners, listener_);
      listeners_.reset();
      listener_ = nullptr;
    }

   private:
    friend class ListenerList;
    Subscription(const std::shared_ptr<Listeners>& listeners, Listener* listener)
        : listeners_(listeners), listener_(listener) {}

    std::weak_ptr<Listeners> listeners_;
    Listener* listener_ = nullptr;
  };

  // Adds listener (once: a second subscription of the same listener adds nothing and its
  // Subscription leaves nothing).
  [[nodiscard]] Subscription Subscribe(Listener& listener) {
    if (std::find(listeners_->begin(), listeners_->end(), &listener) != listeners_->end()) return {};
    listeners_->push_back(&listener);
    return Subscription(listeners_, &listener);
  }

  // Calls call(listener) for every listener subscribed now and still subscribed when its turn comes.
  template <typename Call>
  void Notify(Call&& call) const {
    const Listeners snapshot = *listeners_;
    for (Listener* listener : snapshot)
      if (std::find(listeners_->begin(), listeners_->end(), listener) != listeners_->end()) call(*listener);
  }

  bool Empty() const { return listeners_->empty(); }

 private:
  std::shared_ptr<Listeners> listeners_ = std::make_shared<Listeners>();
};
