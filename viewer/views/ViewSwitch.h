#pragma once
// The view switch: one update operation per view kind, run on demand or by
// the refresh timer, guarded so that only one update runs at a time.

#include <array>
#include <functional>

#include "views/ViewKinds.h"

namespace kestro {

// A view's update operation. With `rebuild` set the list has just been emptied
// of rows and columns: create the columns and add every row as new.
using ViewUpdate = std::function<void(ViewContext& context, bool rebuild)>;

inline constexpr wchar_t kStatusUpdating[] = L"更新中...";
inline constexpr wchar_t kStatusReady[] = L"准备好了";

class ViewSwitch {
 public:
  explicit ViewSwitch(ViewContext& context) : context_(context) {}

  // Installs the update operation of a view kind (tag 0 to 9).
  void Register(uint8_t tag, ViewUpdate update);
  bool IsRegistered(uint8_t tag) const { return tag < kViewCount && updates_[tag] != nullptr; }

  // Shows the view `tag`: dropped while an update runs; rebuilds the list when
  // the view changes or the list has no columns, otherwise updates in place.
  // The view state is restored on every path; an error of the update is
  // raised again afterwards, for the caller's error box.
  void ShowView(uint8_t tag);

  ViewState& state() { return context_.state; }
  ViewContext& context() { return context_; }

 private:
  ViewContext& context_;
  std::array<ViewUpdate, kViewCount> updates_{};
};

}  // namespace kestro
