#include "host/core/services.h"

#include <algorithm>

#include "host/core/commands.h"

namespace tova::host {

namespace {

std::string_view trim_trailing_blanks(std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

}  // namespace

std::string graphics_title(std::string_view title) {
  std::string_view trimmed = trim_trailing_blanks(title);
  if (title.empty() || title.front() == '\0' || trimmed.empty()) return "Graphics";
  return std::string(trimmed.substr(0, kGraphicsTitleMax));
}

int32_t graphics_map_mode(int32_t mode) {
  return mode >= 2 && mode <= 8 ? mode : kMapModeText;
}

std::string menu_item_text(std::string_view text) {
  return std::string(trim_trailing_blanks(text).substr(0, kMenuTextMax));
}

Services::Services(Platform& platform, std::function<void()> pump_pending)
    : platform_(platform), pump_pending_(std::move(pump_pending)) {}

int32_t Services::open_graphics_window(int32_t* width, int32_t* height, std::string_view title,
                                       const int32_t* map_mode, PaintRoutine paint_routine) {
  if (graphics_open_) return 0;
  paint_routine_ = paint_routine;
  map_mode_ = graphics_map_mode(*map_mode);
  if (*width == 0 || *height == 0) {
    *width = kDefaultGraphicsWidth;
    *height = kDefaultGraphicsHeight;
  }
  graphics_open_ = platform_.create_graphics_window(graphics_title(title), *width, *height);
  return graphics_open_ ? 1 : 0;
}

bool Services::paint_graphics(Handle device_context) {
  if (paint_routine_ == nullptr) return false;
  platform_.set_map_mode(device_context, map_mode_);
  Handle context = device_context;
  paint_routine_(&context);
  return true;
}

void Services::wait_tick() {
  pump_pending_();
  if (!platform_.arm_tick_timer(kTickDelayMs, kTickResolutionMs, &tick_flag_)) {
    Answer answer = platform_.message_box(Window::none, "No timers available. Continue?",
                                          MessageButtons::yes_no);
    if (answer == Answer::no) platform_.end_run();
  }
  tick_flag_.store(0);
}

int32_t Services::start_timer(const int32_t* id, const int32_t* interval_ms, TimerRoutine routine) {
  // ID 0 marks a free slot and could never be found again.
  if (*id == 0) return 0;
  auto slot =
      std::find_if(timers_.begin(), timers_.end(), [](const TimerSlot& s) { return s.id == 0; });
  if (slot == timers_.end()) return 0;
  if (!platform_.set_timer(*id, *interval_ms)) return 0;
  *slot = TimerSlot{*id, routine};
  return 1;
}

void Services::stop_timer(const int32_t* id) {
  platform_.kill_timer(*id);
  auto slot = std::find_if(timers_.begin(), timers_.end(),
                           [id](const TimerSlot& s) { return s.id == *id; });
  if (slot != timers_.end()) *slot = TimerSlot{};
}

bool Services::on_timer(int32_t id) {
  auto slot = std::find_if(timers_.begin(), timers_.end(),
                           [id](const TimerSlot& s) { return s.id == id && s.id != 0; });
  if (slot == timers_.end() || slot->routine == nullptr) return false;
  slot->routine();
  return true;
}

bool Services::bind_next_command(MenuRoutine routine, int32_t* command) {
  size_t slot = static_cast<size_t>(next_command_ - kFirstUserCommand);
  if (slot >= kUserCommandSlots) return false;
  commands_[slot] = routine;
  *command = next_command_++;
  return true;
}

int32_t Services::append_menu_item(const int32_t* menu, const int32_t* flags, std::string_view text,
                                   MenuRoutine routine) {
  int32_t command = 0;
  // The ID is used up whether or not the system takes the item.
  if (!bind_next_command(routine, &command)) return 0;
  bool appended = platform_.append_menu_item(*menu, static_cast<uint32_t>(*flags), command,
                                             menu_item_text(text));
  platform_.redraw_menu_bar();
  return appended ? 1 : 0;
}

int32_t Services::insert_menu_item(const int32_t* menu, const int32_t* item, int32_t* flags,
                                   std::string_view text, MenuRoutine routine) {
  std::string item_text = menu_item_text(text);
  bool inserted = false;
  if (*item != 0) {
    int32_t command = 0;
    if (!bind_next_command(routine, &command)) return 0;
    inserted = platform_.insert_menu_item(*menu, *item - 1, static_cast<uint32_t>(*flags), command,
                                          item_text);
  } else {
    // A new top-level popup: no command ID is used.
    *flags = static_cast<int32_t>(static_cast<uint32_t>(*flags) | kMenuPopup | kMenuByPosition);
    inserted = platform_.insert_popup_menu(*menu - 1, static_cast<uint32_t>(*flags), item_text);
  }
  platform_.redraw_menu_bar();
  return inserted ? 1 : 0;
}

int32_t Services::check_menu_item(const int32_t* menu, const int32_t* item, int32_t* flags) {
  *flags = static_cast<int32_t>(static_cast<uint32_t>(*flags) | kMenuByPosition);
  return platform_.check_menu_item(*menu, *item - 1, static_cast<uint32_t>(*flags));
}

int32_t Services::delete_menu_item(const int32_t* menu, const int32_t* item) {
  if (*item == 0) return 0;
  bool deleted = platform_.delete_menu_item(*menu, *item - 1);
  platform_.redraw_menu_bar();
  return deleted ? 1 : 0;
}

bool Services::is_user_command(int32_t command) const {
  return command >= kFirstUserCommand && command < next_command_;
}

bool Services::on_user_command(int32_t command) {
  if (!is_user_command(command)) return false;
  MenuRoutine routine = commands_[static_cast<size_t>(command - kFirstUserCommand)];
  if (routine == nullptr) return false;
  int32_t checked = platform_.menu_item_checked(command) ? 1 : 0;
  routine(&checked);
  return true;
}

}  // namespace tova::host
