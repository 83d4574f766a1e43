#include "ui/main/ConnectionCommands.h"

#include <cstring>

#include "net/NetUtils.h"
#include "net/TableReader.h"
#include "ui/controls/CommandPictures.h"

namespace kestro::ui {

ConnectionCommands::ConnectionCommands(const MainContext& context, ProcessDetails& processes,
                                       NameResolver& names)
    : context_(context), view_(context.list, processes, names, [this] { return OptionsNow(); }) {
  context.views.Register(kViewConnections, [this](ViewContext& viewContext, bool rebuild) {
    view_.Update(viewContext, rebuild);
  });
  AddCommands();
}

void ConnectionCommands::AddCommands() {
  CommandTable& commands = context_.commands;
  auto toggle = [&commands](UINT id) { return [&commands, id] { commands.Toggle(id); }; };
  commands.Add({.id = kCmdAllEndpoints,
                .name = L"actAllEndpoints",
                .caption = L"所有端点",
                .hint = L"显示未连接的端点",
                .picture = kPictureAllEndpoints,
                .shortcut = {FCONTROL, 'A'},
                .execute = [this] { ToggleAllEndpoints(); }});
  commands.Add({.id = kCmdByName,
                .name = L"actByName",
                .caption = L"解析地址",
                .hint = L"解析地址",
                .picture = kPictureByName,
                .shortcut = {FCONTROL, 'M'},
                .execute = [this] { ToggleByName(); }});
  commands.Add({.id = kCmdCloseConnection,
                .name = L"actCloseConnection",
                .caption = L"关闭连接",
                .hint = L"关闭连接",
                .picture = kPictureCloseConnection,
                .shortcut = {FCONTROL, 'K'},
                .execute = [this] { CloseConnection(); }});
  commands.Add({.id = kCmdAutoScroll,
                .name = L"AutoScroll1",
                .caption = L"自动滚屏",
                .picture = kPictureAutoScroll,
                .execute = toggle(kCmdAutoScroll),
                .checked = true});
  commands.Add(
      {.id = kCmdBalloonTip,
       .name = L"BallonTipAllert1",
       .caption = L"建立通知",
       .picture = kPictureBalloonOff,
       .execute = [this] { ToggleSwitch(kCmdBalloonTip, kPictureBalloonOff, kPictureBalloonOn); }});
  commands.Add({.id = kCmdSound,
                .name = L"EstablishedNotificationSound1",
                .caption = L"建立声音",
                .picture = kPictureSoundOff,
                .execute = [this] { ToggleSwitch(kCmdSound, kPictureSoundOff, kPictureSoundOn); }});
}

void ConnectionCommands::ToggleSwitch(UINT id, int pictureOff, int pictureOn) {
  // The picture is what the mirrors (tray menu, tool bar) show of the switch.
  Command& command = context_.command(id);
  command.picture = pictureOff;
  if (context_.commands.Toggle(id)) command.picture = pictureOn;
}

ConnectionOptions ConnectionCommands::OptionsNow() const {
  return {.allEndpoints = context_.command(kCmdAllEndpoints).checked,
          .byName = context_.command(kCmdByName).checked,
          .autoScroll = context_.command(kCmdAutoScroll).checked,
          .balloon = context_.command(kCmdBalloonTip).checked,
          .sound = context_.command(kCmdSound).checked};
}

void ConnectionCommands::ToggleAllEndpoints() {
  if (!context_.state().Ready) return;
  context_.commands.Toggle(kCmdAllEndpoints);
  context_.commands.Execute(kCmdRefresh);
}

void ConnectionCommands::ToggleByName() {
  if (!context_.state().Ready) return;
  context_.commands.Toggle(kCmdByName);
  context_.state().ReResolve = true;
  context_.commands.Execute(kCmdRefresh);
}

ConnectionRecord* ConnectionCommands::ClosableSelection() {
  if (context_.state().CurrentView != kViewConnections) return nullptr;
  std::optional<RowId> selected = context_.listView.SelectedRow();
  std::optional<size_t> index = selected ? context_.list.IndexOf(*selected) : std::nullopt;
  if (!index) return nullptr;
  auto* data = context_.list.Row(*index).RecordAs<ConnectionRecord>();
  if (!data || data->kind != ConnectionKind::kTcp4 || data->State() != kTcpEstablished)
    return nullptr;
  return data;
}

void ConnectionCommands::CloseConnection() {
  // The shortcut may come before the idle update has caught up with the selection.
  ConnectionRecord* data = ClosableSelection();
  if (!data) return;
  const RowId row = *context_.listView.SelectedRow();
  // On failure the record keeps the closing state until the next refresh
  // writes the table's state back.
  data->endpoint.tcp4.dwState = MIB_TCP_STATE_DELETE_TCB;
  MIB_TCPROW entry;
  std::memcpy(&entry, &data->endpoint.tcp4, sizeof entry);
  context_.tables().CloseTcpEntry(entry);
  if (std::optional<size_t> index = context_.list.IndexOf(row)) context_.list.DeleteRow(*index);
  context_.listView.Sync();
}

void ConnectionCommands::UpdateCommands() {
  const bool shown = context_.state().CurrentView == kViewConnections;
  context_.command(kCmdByName).enabled = shown;
  context_.command(kCmdAllEndpoints).enabled = shown;
  context_.command(kCmdCloseConnection).enabled = ClosableSelection() != nullptr;
}

}  // namespace kestro::ui
