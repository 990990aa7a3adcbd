// The popup menu on GTK: built afresh from the core's items each time it
// opens, so that GTK never keeps marks of its own. Radio items are check items
// drawn as radio buttons; the core, not a GTK radio group, decides which one is
// checked.
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/gtk/gtk_backend.h"

namespace gd::gtkui {
namespace {

// What every item of one menu shares: the callback, and whether the menu is
// still being built (setting a check mark emits the same signal as a choice).
struct MenuChooser {
  std::function<void(const std::string&)> onChosen;
  bool building = true;
};

constexpr const char* kItemNameKey = "glimmerdome-item-name";
constexpr const char* kChooserKey = "glimmerdome-chooser";

void OnActivate(GtkMenuItem* item, gpointer data) {
  auto* chooser = static_cast<MenuChooser*>(data);
  if (chooser->building) return;
  const char* name = static_cast<const char*>(g_object_get_data(G_OBJECT(item), kItemNameKey));
  if (name && chooser->onChosen) chooser->onChosen(name);
}

void MakeBold(GtkWidget* item, const std::string& caption) {
  GtkWidget* label = gtk_bin_get_child(GTK_BIN(item));
  if (!GTK_IS_LABEL(label)) return;
  gchar* escaped = g_markup_escape_text(caption.c_str(), -1);
  gchar* markup = g_strdup_printf("<b>%s</b>", escaped);
  gtk_label_set_markup(GTK_LABEL(label), markup);
  g_free(markup);
  g_free(escaped);
}

}  // namespace

GtkWidget* BuildPopupMenu(const PopupMenu& items, std::function<void(const std::string&)> onChosen) {
  GtkWidget* top = gtk_menu_new();
  auto* chooser = new MenuChooser{std::move(onChosen), true};
  g_object_set_data_full(G_OBJECT(top), kChooserKey, chooser,
                         [](gpointer p) { delete static_cast<MenuChooser*>(p); });

  std::map<std::string, GtkWidget*, std::less<>> menus;  // submenu name -> its GtkMenu
  using Kind = PopupMenuItem::Kind;
  for (const PopupMenuItem& item : items) {
    GtkWidget* parent = top;
    if (!item.parent.empty()) {
      auto it = menus.find(item.parent);
      if (it == menus.end()) continue;  // a parent must come before its items
      parent = it->second;
    }
    // Captions can hold any text; none of them carries a mnemonic.
    const std::string& caption = item.caption;
    GtkWidget* widget = nullptr;
    switch (item.kind) {
      case Kind::Separator:
        widget = gtk_separator_menu_item_new();
        break;
      case Kind::Submenu: {
        widget = gtk_menu_item_new_with_label(caption.c_str());
        GtkWidget* submenu = gtk_menu_new();
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), submenu);
        menus.emplace(item.name, submenu);
        break;
      }
      case Kind::Radio:
      case Kind::Check:
        widget = gtk_check_menu_item_new_with_label(caption.c_str());
        gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(widget), item.kind == Kind::Radio);
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), item.checked);
        break;
      case Kind::Command:
        widget = gtk_menu_item_new_with_label(caption.c_str());
        break;
    }
    if (item.isDefault) MakeBold(widget, caption);
    gtk_widget_set_name(widget, item.name.c_str());
    if (item.kind != Kind::Separator && item.kind != Kind::Submenu) {
      g_object_set_data_full(G_OBJECT(widget), kItemNameKey, g_strdup(item.name.c_str()), g_free);
      g_signal_connect(widget, "activate", G_CALLBACK(OnActivate), chooser);
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(parent), widget);
    gtk_widget_show(widget);
  }
  chooser->building = false;
  return top;
}

}  // namespace gd::gtkui

namespace gd {

// --- The popup menu ----------------------------------------------------------------

void GtkPlatform::ShowPopupMenu(const PopupMenu& items) {
  if (items.empty() || !window_ || closed_) return;
  if (menu_) gtk_widget_destroy(menu_);
  menu_ = gtkui::BuildPopupMenu(items, [this](const std::string& name) {
    // The choice runs once GTK has finished with the menu.
    pendingChoices_.push_back(name);
    if (!choiceQueued_) {
      choiceQueued_ = true;
      g_idle_add_full(G_PRIORITY_DEFAULT, OnDeferredChoice, this, nullptr);
    }
  });
  gtk_menu_attach_to_widget(GTK_MENU(menu_), window_, nullptr);
  g_signal_connect(menu_, "destroy", G_CALLBACK(+[](GtkWidget* menu, gpointer data) {
                     auto* self = static_cast<GtkPlatform*>(data);
                     if (self->menu_ == menu) self->menu_ = nullptr;
                   }),
                   this);
  // At the pointer event the core is hearing of (the right button's release).
  gtk_menu_popup_at_pointer(GTK_MENU(menu_), nullptr);
}

gboolean GtkPlatform::OnDeferredChoice(gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  self->choiceQueued_ = false;
  std::vector<std::string> choices = std::move(self->pendingChoices_);
  self->pendingChoices_.clear();
  for (const std::string& name : choices) {
    if (!self->lifecycle_ || self->closed_) break;
    self->lifecycle_->MenuItemChosen(name);
  }
  return G_SOURCE_REMOVE;
}

}  // namespace gd
