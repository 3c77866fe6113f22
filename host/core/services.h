// Services the host offers to the program it runs: one Graphics window, the
// wait tick, periodic timers bound to routines and menu items bound to
// routines. Arguments come by reference, as the program's language passes
// them; a text comes with its length and is blank-padded. A routine argument
// of nullptr is "none".
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "host/core/commands.h"
#include "host/core/platform.h"

namespace tova::host {

using TimerRoutine = void (*)();
using MenuRoutine = void (*)(int32_t* checked);
using PaintRoutine = void (*)(Handle* device_context);

// Menu flag bits as the program passes them.
inline constexpr uint32_t kMenuChecked = 0x0008;
inline constexpr uint32_t kMenuUnchecked = 0x0000;
inline constexpr uint32_t kMenuPopup = 0x0010;
inline constexpr uint32_t kMenuByPosition = 0x0400;

inline constexpr int32_t kMapModeText = 1;
inline constexpr int32_t kDefaultGraphicsWidth = 600;
inline constexpr int32_t kDefaultGraphicsHeight = 300;
inline constexpr size_t kGraphicsTitleMax = 79;
inline constexpr size_t kMenuTextMax = 511;
inline constexpr size_t kUserTimerSlots = 100;
inline constexpr size_t kUserCommandSlots = 500;
inline constexpr int32_t kTickDelayMs = 100;
inline constexpr int32_t kTickResolutionMs = 10;

// The title a Graphics window gets from the program's text argument.
std::string graphics_title(std::string_view title);
// The mapping mode used for painting: 2 .. 8 as given, anything else text.
int32_t graphics_map_mode(int32_t mode);
// A menu item's text: trailing blanks removed, at most 511 characters.
std::string menu_item_text(std::string_view text);

class Services {
 public:
  Services(Platform& platform, std::function<void()> pump_pending);

  int32_t open_graphics_window(int32_t* width, int32_t* height, std::string_view title,
                               const int32_t* map_mode, PaintRoutine paint_routine);
  bool graphics_window_open() const { return graphics_open_; }
  int32_t map_mode() const { return map_mode_; }
  // The Graphics window's paint: false when no paint routine is recorded
  // (default processing paints it then). Between the front end's begin and
  // end of the paint.
  bool paint_graphics(Handle device_context);

  void wait_tick();
  int32_t tick_flag() const { return tick_flag_.load(); }

  int32_t start_timer(const int32_t* id, const int32_t* interval_ms, TimerRoutine routine);
  void stop_timer(const int32_t* id);
  // A timer tick of the frame window: true when a routine was called.
  bool on_timer(int32_t id);
  // Timer ID held by slot 0 .. 99 (0: free).
  int32_t timer_slot_id(size_t slot) const { return timers_[slot].id; }

  int32_t append_menu_item(const int32_t* menu, const int32_t* flags, std::string_view text,
                           MenuRoutine routine);
  int32_t insert_menu_item(const int32_t* menu, const int32_t* item, int32_t* flags,
                           std::string_view text, MenuRoutine routine);
  int32_t check_menu_item(const int32_t* menu, const int32_t* item, int32_t* flags);
  int32_t delete_menu_item(const int32_t* menu, const int32_t* item);
  int32_t next_command_id() const { return next_command_; }
  // A user command: true when it is bound to a routine, which was called.
  bool on_user_command(int32_t command);
  bool is_user_command(int32_t command) const;

 private:
  struct TimerSlot {
    int32_t id = 0;  // 0: free
    TimerRoutine routine = nullptr;
  };
  // Takes the next command ID for `routine`; false when the table is full.
  bool bind_next_command(MenuRoutine routine, int32_t* command);

  Platform& platform_;
  std::function<void()> pump_pending_;
  bool graphics_open_ = false;
  PaintRoutine paint_routine_ = nullptr;
  int32_t map_mode_ = kMapModeText;
  std::atomic<int32_t> tick_flag_{0};
  std::array<TimerSlot, kUserTimerSlots> timers_{};
  int32_t next_command_ = kFirstUserCommand;
  std::array<MenuRoutine, kUserCommandSlots> commands_{};
};

}  // namespace tova::host
