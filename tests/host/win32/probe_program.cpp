// A stand-in main routine for exercising the window host under Wine: the
// same kind of dialogue as the analysis program (a prompt, a file name, a
// title from unit 1, a second answer, a computation, a long listing, a
// result file, a third answer, STOP), without any numeric conversion.
#include <chrono>
#include <string>
#include <string_view>

#include "analysis/driver.h"
#include "textio/format_table.h"
#include "textio/io_api.h"
#include "textio/statement.h"

#ifdef _WIN32
#include <windows.h>

#include "host/win32/services_api.h"
#endif

namespace tova {

namespace {

#ifdef _WIN32
// The host's services, on request (a second answer of 2): a Graphics window
// painted red, a timer and a menu item, each bound to a routine that only
// counts, since no routine may start a statement.
int g_ticks = 0;
int g_menu_calls = 0;

void paint_red(tova::host::Handle* device_context) {
  HDC dc = reinterpret_cast<HDC>(*device_context);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT area{20, 20, 220, 120};
  FillRect(dc, &area, red);
  DeleteObject(red);
}
void count_tick() {
  ++g_ticks;
}
void count_menu_call(int32_t*) {
  ++g_menu_calls;
}

void use_services() {
  namespace services = tova::host::win32;
  int32_t width = 300, height = 200, map_mode = 1;
  services::open_graphics_window(&width, &height, "PROBE GRAPHICS  ", &map_mode,
                                 reinterpret_cast<const void*>(&paint_red), 16);
  int32_t id = 7, interval = 100;
  services::start_timer(&id, &interval, reinterpret_cast<const void*>(&count_tick));
  int32_t menu = 1, flags = 0;
  services::append_menu_item(&menu, &flags, "Probe &Count",
                             reinterpret_cast<const void*>(&count_menu_call), 12);
  services::wait_tick();
}

void report_services() {
  textio::WriteStatement(textio::kConsole)
      .character(g_ticks > 0 ? " TIMER RAN" : " TIMER IDLE")
      .character(g_menu_calls > 0 ? " MENU RAN" : " MENU IDLE");
}
#else
void use_services() {}
void report_services() {}
#endif

std::string trimmed(const char* text, size_t length) {
  std::string value(text, length);
  size_t end = value.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : value.substr(0, end + 1);
}

}  // namespace

void run_analysis() {
  // Names and titles are read whole, blanks included, as the analysis does.
  static const textio::FormatTable whole_record = textio::compile_format("(A)");
  textio::WriteStatement(textio::kConsole).character(" ENTER FILENAME FOR INPUT DATA");
  char name[100];
  textio::assign_character(name, sizeof name, "", 0);
  textio::ReadStatement(textio::kConsole, &whole_record).character(name, sizeof name);
  // An all-blank name is a fatal "Bad file specification" here.
  textio::open_unit(1, std::string_view(name, sizeof name));

  char title[100];
  textio::assign_character(title, sizeof title, "", 0);
  textio::ReadStatement(textio::unit(1), &whole_record).character(title, sizeof title);
  textio::WriteStatement(textio::kConsole).character(" TITLE").character(trimmed(title, 100));

  textio::WriteStatement(textio::kConsole).character(" LISTING WANTED? (1=YES)");
  char answer[8];
  textio::assign_character(answer, sizeof answer, "", 0);
  textio::ReadStatement(textio::kConsole).character(answer, sizeof answer);

  // 1: a listing of 60 lines; a larger number: that many (the long-output
  // benchmark); anything else: 3.
  int lines = answer[0] == '1' && answer[1] == ' ' ? 60 : 3;
  if (answer[0] >= '1' && answer[0] <= '9' && answer[1] != ' ') {
    lines = 0;
    for (size_t i = 0; i < sizeof answer && answer[i] >= '0' && answer[i] <= '9'; ++i) {
      lines = lines * 10 + (answer[i] - '0');
    }
  }
  // A computation during which no message is handled: what the user types
  // meanwhile shows up at the next statement and is read by nobody.
  // (Not before the long-output benchmark's listing, which is timed.)
  const auto busy_until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (lines <= 60 && std::chrono::steady_clock::now() < busy_until) {
  }

  textio::open_unit(10, "PROBE.TXT");
  if (answer[0] == '2') use_services();
  for (int i = 1; i <= lines; ++i) {
    std::string line = "LINE " + std::to_string(i) + " OF " + std::to_string(lines);
    textio::WriteStatement(textio::kConsole).character(line);
    textio::WriteStatement(textio::unit(10)).character(line);
  }
  textio::close_unit(10);

  textio::WriteStatement(textio::kConsole).character(" ENTER A WORD");
  char word[20];
  textio::assign_character(word, sizeof word, "", 0);
  textio::ReadStatement(textio::kConsole, &whole_record).character(word, sizeof word);
  textio::WriteStatement(textio::kConsole).character(" GOT").character(trimmed(word, 20));
  if (answer[0] == '2') report_services();
  textio::stop("");
}

}  // namespace tova
