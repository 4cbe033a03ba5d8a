#include "view/ViewHistory.h"

#include "escape/PlaneFigure.h"

namespace galleri {

ViewHistory::ViewHistory(const ExploreView& own) : own_(own), entries_{own} {}

bool ViewHistory::AtOwn() const {
    return SameView(Current(), own_);
}

bool ViewHistory::Push(const ExploreView& view) {
    if (SameView(view, Current())) {
        return false;
    }
    entries_.resize(current_ + 1);
    entries_.push_back(view);
    if (entries_.size() > kMaxEntries) {
        entries_.erase(entries_.begin());
    }
    current_ = entries_.size() - 1;
    return true;
}

bool ViewHistory::Back() {
    if (!CanGoBack()) {
        return false;
    }
    --current_;
    return true;
}

bool ViewHistory::Forward() {
    if (!CanGoForward()) {
        return false;
    }
    ++current_;
    return true;
}

bool ViewHistory::Home() {
    return Push(own_);
}

}  // namespace galleri
