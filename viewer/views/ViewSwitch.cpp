#include "views/ViewSwitch.h"

#include "views/ListModel.h"

namespace kestro {

void ViewSwitch::Register(uint8_t tag, ViewUpdate update) {
  if (tag < kViewCount) updates_[tag] = std::move(update);
}

void ViewSwitch::ShowView(uint8_t tag) {
  ViewState& state = context_.state;
  if (!state.Ready) return;
  state.Ready = false;

  // Whatever happens below, the switch ends ready for the next request.
  struct Restore {
    ViewContext& context;
    uint8_t tag;
    ~Restore() {
      context.state.ReResolve = false;
      context.state.CurrentView = tag;
      context.state.Ready = true;
      context.events.SetStatusText(kStatusReady);
    }
  } restore{context_, tag};

  ListModel& list = context_.list;
  const bool rebuild = tag != state.CurrentView || list.ColumnCount() == 0;
  if (rebuild) {
    state.SelectedInterface = -1;
    list.DeleteAllRows();
    list.ClearColumns();
  }
  context_.events.SetStatusText(kStatusUpdating);
  context_.events.ProcessPendingMessages();
  if (IsRegistered(tag)) updates_[tag](context_, rebuild);
}

}  // namespace kestro
