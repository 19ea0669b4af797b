#include "ui/main/connect_window.h"

#include <utility>

namespace quilbert::ui {

ConnectWindow::ConnectWindow(Program& g)
    : Form(g.toolkit, "connect"),
      MainControls(*this, g),
      g_(g),
      rows_(*this, g),
      user_(*this, g.state),
      menus_(*this, g.texts),
      settings_(*this, g, menus_, rows_, [this] { Form_Load(); }),
      resident_(*this, g, rows_, settings_),
      commands_(*this, g, rows_, user_, resident_, [this] { Form_Load(); }) {
  rows_.onTest = [this](int i) { Test_Click(i); };
  rows_.wireRow(1);
  menus_.build();
  wireMenus();
  wireEvents();
  g.state.MainWindow = this;
}

ConnectWindow::~ConnectWindow() = default;

void ConnectWindow::wireEvents() {
  nomuser.onChange = [this] { credentials_Change(); };
  password.onChange = [this] { credentials_Change(); };
  modif.onClick = [this] { modif_Click(); };
  effacer.onClick = [this] { effacer_Click(); };
  annulmodif.onClick = [this] { annulmodif_Click(); };
  connection.onClick = [this] { connection_Click(); };
  disconnect.onClick = [this] { disconnect_Click(); };
  bt_reduc.onClick = [this] { menu_agrandir_Click(); };
  Command1.onClick = [this] { fnquitter(); };
  onLoad = [this] { Form_Load(); };
  onMouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
  onQueryUnload = [this](int& cancel, forms::UnloadReason r) { Form_QueryUnload(cancel, r); };
}

void ConnectWindow::wireMenus() {
  const std::pair<const char*, std::function<void()>> items[] = {
      {"menu_connectall", [this] { connection_Click(); }},
      {"menu_deconnectall", [this] { disconnect_Click(); }},
      {"demarrage", [this] { demarrage_Click(); }},
      {"menu_keyring", [this] { menu_keyring_Click(); }},
      {"menu_resident", [this] { menu_resident_Click(); }},
      {"menu_agrandir", [this] { menu_agrandir_Click(); }},
      {"menu_quitter", [this] { fnquitter(); }},
      {"menu_import", [this] { menu_import_Click(); }},
      {"menu_export", [this] { menu_export_Click(); }}};
  for (const auto& [name, click] : items) menu(name).onClick = click;
  for (int k = 1; k <= 3; ++k) menu("icone", k).onClick = [this, k] { icone_Click(k); };
  for (int k = 0; k <= 1; ++k) menu("langue", k).onClick = [this, k] { langue_Click(k); };
}

void ConnectWindow::ApplyRunMode() {
  rows_.applyRunMode();
  menus_.applyRunMode();
}

void ConnectWindow::ShowDriveTable() {
  rows_.ShowDriveTable();
  user_.show(g_.config.DriveTable[1]);
}

}  // namespace quilbert::ui
