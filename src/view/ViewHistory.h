#pragma once

#include <cstddef>
#include <vector>

#include "view/ExploreView.h"

namespace galleri {

// The views of one figure the user has gone through, as a browser keeps
// pages. A new history (a menu command) starts at the figure's own
// rectangle. Home is a view of its own: it is added like any new view, so
// Back returns from it to where the user was.
class ViewHistory {
  public:
    explicit ViewHistory(const ExploreView& own);

    const ExploreView& Current() const { return entries_[current_]; }
    const ExploreView& Own() const { return own_; }
    bool AtOwn() const;

    // A new view after the current one; the views ahead of it (after going
    // back) are dropped. A view equal to the current one adds nothing.
    // Returns whether the current view changed.
    bool Push(const ExploreView& view);
    // Moves one view back or forward; false (and nothing changes) at an end.
    bool Back();
    bool Forward();
    // Goes to the own rectangle as a new view; false when already there.
    bool Home();

    bool CanGoBack() const { return current_ > 0; }
    bool CanGoForward() const { return current_ + 1 < entries_.size(); }
    std::size_t Size() const { return entries_.size(); }

    // Views kept at most; the oldest go first (Home still reaches the own
    // rectangle).
    static constexpr std::size_t kMaxEntries = 10000;

  private:
    ExploreView own_;
    std::vector<ExploreView> entries_;
    std::size_t current_ = 0;
};

}  // namespace galleri
