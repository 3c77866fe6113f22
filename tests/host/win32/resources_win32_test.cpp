// The program file's resources, read back from this test program, which
// carries the same resource script as tova.exe; and the small pure pieces
// of the Windows front end.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/win32/context.h"
#include "host/win32/host_main.h"
#include "host/win32/message_words.h"
#include "host/win32/resource.h"

namespace tova {
// The front end calls the program's main routine; this test never starts it.
void run_analysis() {
  ExitProcess(3);
}
}  // namespace tova

namespace tova::host::win32 {
namespace {

HINSTANCE self() {
  return GetModuleHandleA(nullptr);
}

struct MenuRow {
  int popup;
  const char* text;  // nullptr: separator
  int command;
  bool grayed;
};

// The menu bar exactly as the frame shows it.
const MenuRow kMainMenu[] = {
    {0, "&Save", 500, false},
    {0, "Save As...\tCtrl+S", 501, false},
    {0, nullptr, 0, false},
    {0, "Print...\tCtrl+P", 510, false},
    {0, nullptr, 0, false},
    {0, "&About...", 520, false},
    {0, nullptr, 0, false},
    {0, "E&xit", 530, false},
    {1, "&Undo\tCtrl+Z", 600, true},
    {1, nullptr, 0, false},
    {1, "Cu&t\tCtrl+X", 610, true},
    {1, "&Copy\tCtrl+C", 611, true},
    {1, "&Paste\tCtrl+V", 612, true},
    {1, "De&lete", 613, true},
    {1, nullptr, 0, false},
    {1, "Select &All\tCtrl+A", 614, false},
    {2, "&Cascade\tShift+F5", 701, false},
    {2, "&Tile\tShift+F4", 700, false},
    {2, "&Arrange Icons", 702, false},
};

TEST(MainMenu, HasTheThreePopupsWithTheirItemsIdsAndStates) {
  HMENU bar = LoadMenuA(self(), "MainMenu");
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 3);
  const char* popups[] = {"&File", "&Edit", "&Window"};
  for (int p = 0; p < 3; ++p) {
    char text[64];
    GetMenuStringA(bar, p, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, popups[p]);
  }
  std::vector<MenuRow> rows;
  std::vector<std::string> texts;
  texts.reserve(32);
  for (int p = 0; p < 3; ++p) {
    HMENU popup = GetSubMenu(bar, p);
    ASSERT_NE(popup, nullptr);
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
      UINT state = GetMenuState(popup, i, MF_BYPOSITION);
      if (state & MF_SEPARATOR) {
        rows.push_back({p, nullptr, 0, false});
        continue;
      }
      char text[64];
      GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
      texts.emplace_back(text);
      rows.push_back({p, texts.back().c_str(), static_cast<int>(GetMenuItemID(popup, i)),
                      (state & MF_GRAYED) != 0});
    }
  }
  ASSERT_EQ(rows.size(), std::size(kMainMenu));
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    EXPECT_EQ(rows[i].popup, kMainMenu[i].popup);
    EXPECT_EQ(rows[i].text == nullptr, kMainMenu[i].text == nullptr);
    if (rows[i].text && kMainMenu[i].text) {
      EXPECT_STREQ(rows[i].text, kMainMenu[i].text);
    }
    EXPECT_EQ(rows[i].command, kMainMenu[i].command);
    EXPECT_EQ(rows[i].grayed, kMainMenu[i].grayed);
  }
  DestroyMenu(bar);
}

// Ctrl+A, Ctrl+S and Ctrl+P are commands too, never typed characters.
TEST(MdiAccel, HasNineEntriesControlCharactersFirst) {
  HACCEL table = LoadAcceleratorsA(self(), "MDIAccel");
  ASSERT_NE(table, nullptr);
  ACCEL entries[16];
  ASSERT_EQ(CopyAcceleratorTableA(table, entries, 16), 9);
  struct Expected {
    BYTE kind;
    WORD key;
    WORD command;
  } expected[] = {
      {0, 26, 600},
      {0, 24, 610},
      {0, 3, 611},
      {0, 22, 612},
      {0, 1, 614},
      {0, 19, 501},
      {0, 16, 510},
      {FVIRTKEY | FSHIFT, VK_F5, 701},
      {FVIRTKEY | FSHIFT, VK_F4, 700},
  };
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE("entry " + std::to_string(i));
    EXPECT_EQ(entries[i].fVirt & (FVIRTKEY | FSHIFT | FCONTROL | FALT), expected[i].kind);
    EXPECT_EQ(entries[i].key, expected[i].key);
    EXPECT_EQ(entries[i].cmd, expected[i].command);
  }
  DestroyAcceleratorTable(table);
}

// A dialog template as the resource holds it, decoded far enough to compare.
struct Control {
  int id;
  int kind;  // 0x80 button, 0x82 static
  DWORD style_kind;
  std::string text;
  int x, y, cx, cy;
};
struct Dialog {
  DWORD style;
  int x, y, cx, cy;
  std::string caption;
  int point_size;
  std::string font;
  std::vector<Control> controls;
};

class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : p_(data) {}
  WORD word() {
    WORD w;
    std::memcpy(&w, p_, 2);
    p_ += 2;
    return w;
  }
  DWORD dword() {
    DWORD d;
    std::memcpy(&d, p_, 4);
    p_ += 4;
    return d;
  }
  // A string of 16-bit characters, or 0xFFFF and an ordinal (returned as "#n").
  std::string text() {
    WORD first = word();
    if (first == 0xFFFF) return std::string("#") + std::to_string(word());
    std::vector<char> value;
    for (WORD c = first; c != 0; c = word()) value.push_back(static_cast<char>(c));
    return std::string(value.begin(), value.end());
  }
  void align(const BYTE* base) {
    while ((p_ - base) % 4 != 0) ++p_;
  }

 private:
  const BYTE* p_;
};

Dialog load_dialog(int id) {
  HRSRC found = FindResourceA(self(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
  EXPECT_NE(found, nullptr);
  const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(self(), found)));
  TemplateReader in(base);
  Dialog dialog;
  dialog.style = in.dword();
  in.dword();  // extended style
  int count = in.word();
  dialog.x = static_cast<short>(in.word());
  dialog.y = static_cast<short>(in.word());
  dialog.cx = static_cast<short>(in.word());
  dialog.cy = static_cast<short>(in.word());
  in.text();  // menu
  in.text();  // class
  dialog.caption = in.text();
  if (dialog.style & DS_SETFONT) {
    dialog.point_size = in.word();
    dialog.font = in.text();
  }
  for (int i = 0; i < count; ++i) {
    in.align(base);
    Control control;
    DWORD style = in.dword();
    in.dword();
    control.x = static_cast<short>(in.word());
    control.y = static_cast<short>(in.word());
    control.cx = static_cast<short>(in.word());
    control.cy = static_cast<short>(in.word());
    control.id = in.word();
    std::string kind = in.text();
    control.kind = kind == "#128" ? 0x80 : kind == "#130" ? 0x82 : 0;
    control.style_kind = style & 0x0F;
    control.text = in.text();
    WORD extra = in.word();
    for (WORD b = 0; b < extra; b += 2) in.word();
    dialog.controls.push_back(control);
  }
  return dialog;
}

TEST(AboutBox, Dialog100HasItsFrameFontAndControls) {
  Dialog about = load_dialog(IDD_ABOUT);
  EXPECT_EQ(about.caption, "About TOVA");
  EXPECT_EQ(about.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
            static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
  EXPECT_EQ(about.x, 25);
  EXPECT_EQ(about.y, 25);
  EXPECT_EQ(about.cx, 160);
  EXPECT_EQ(about.cy, 165);
  EXPECT_EQ(about.point_size, 8);
  EXPECT_EQ(about.font, "MS Sans Serif");
  struct Row {
    int id, kind;
    const char* text;  // nullptr: ours to word
    int x, y, cx, cy;
  } expected[] = {
      {1, 0x80, "Continue", 115, 145, 40, 14},
      {101, 0x82, nullptr, 27, 10, 100, 8},
      {101, 0x82, nullptr, 45, 25, 62, 8},
      {101, 0x82, nullptr, 45, 40, 62, 8},
      {101, 0x82, "Page Size", 10, 65, 75, 8},
      {101, 0x82, "Minimum Address", 10, 80, 75, 8},
      {101, 0x82, "Maximum Address", 10, 95, 75, 8},
      {101, 0x82, "Processor Type", 10, 110, 75, 8},
      {101, 0x82, "Number of Processors", 10, 125, 75, 8},
      {102, 0x82, "", 95, 65, 65, 8},
      {103, 0x82, "", 95, 80, 65, 8},
      {104, 0x82, "", 95, 95, 65, 8},
      {105, 0x82, "", 95, 110, 65, 8},
      {106, 0x82, "", 95, 125, 65, 8},
  };
  ASSERT_EQ(about.controls.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE("control " + std::to_string(i));
    const Control& c = about.controls[i];
    EXPECT_EQ(c.id, expected[i].id);
    EXPECT_EQ(c.kind, expected[i].kind);
    if (expected[i].text) {
      EXPECT_EQ(c.text, expected[i].text);
    }
    EXPECT_EQ(c.x, expected[i].x);
    EXPECT_EQ(c.y, expected[i].y);
    EXPECT_EQ(c.cx, expected[i].cx);
    EXPECT_EQ(c.cy, expected[i].cy);
  }
  EXPECT_EQ(about.controls[0].style_kind, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  // The product and notice lines name TOVA only.
  EXPECT_NE(about.controls[1].text.find("TOVA"), std::string::npos);
}

TEST(PrintingDialog, Dialog200IsVisibleWithoutSystemMenu) {
  Dialog printing = load_dialog(IDD_PRINTING);
  EXPECT_EQ(printing.caption, "TOVA");
  EXPECT_EQ(printing.style & (WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME),
            static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME));
  EXPECT_EQ(printing.style & WS_SYSMENU, 0u);
  EXPECT_EQ(printing.x, 25);
  EXPECT_EQ(printing.y, 25);
  EXPECT_EQ(printing.cx, 90);
  EXPECT_EQ(printing.cy, 55);
  EXPECT_EQ(printing.font, "MS Sans Serif");
  ASSERT_EQ(printing.controls.size(), 2u);
  EXPECT_EQ(printing.controls[0].id, 101);
  EXPECT_EQ(printing.controls[0].text, "Printing...");
  EXPECT_EQ(printing.controls[0].x, 25);
  EXPECT_EQ(printing.controls[0].y, 10);
  EXPECT_EQ(printing.controls[0].cx, 35);
  EXPECT_EQ(printing.controls[0].cy, 8);
  EXPECT_EQ(printing.controls[1].id, 1);
  EXPECT_EQ(printing.controls[1].kind, 0x80);
  EXPECT_EQ(printing.controls[1].text, "Cancel");
  EXPECT_EQ(printing.controls[1].x, 25);
  EXPECT_EQ(printing.controls[1].y, 30);
  EXPECT_EQ(printing.controls[1].cx, 40);
  EXPECT_EQ(printing.controls[1].cy, 14);
  EXPECT_EQ(printing.controls[1].style_kind, static_cast<DWORD>(BS_DEFPUSHBUTTON));
}

TEST(Icons, FrameAndChildIconsLoad) {
  EXPECT_NE(LoadIconA(self(), MAKEINTRESOURCEA(IDI_FRAME)), nullptr);
  EXPECT_NE(LoadIconA(self(), MAKEINTRESOURCEA(IDI_CHILD)), nullptr);
  EXPECT_EQ(LoadIconA(self(), MAKEINTRESOURCEA(402)), nullptr);
}

TEST(CommandLineTail, SkipsTheProgramNameAndTheBlanksAfterIt) {
  struct Case {
    const char* line;
    const char* tail;
  } cases[] = {
      {"tova.exe", ""},
      {"tova.exe  \t x y", "x y"},
      {"\"C:\\Program Files\\tova.exe\" data.dat", "data.dat"},
      {"\"C:\\a b\\tova.exe\"", ""},
      {"\"unterminated name", ""},
      {"C:\\work\\run.exe\targ", "arg"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_STREQ(command_line_tail(c.line), c.tail) << c.line;
}

TEST(FrameTitle, IsTheProgramFileNameAfterTheLastBackslash) {
  EXPECT_EQ(frame_title("C:\\work\\run.exe"), "run.exe");
  EXPECT_EQ(frame_title("run.exe"), "run.exe");
  EXPECT_EQ(frame_title("C:\\dir\\"), "");
  EXPECT_EQ(frame_title(""), "");
  EXPECT_EQ(frame_title("/usr/bin/tova"), "/usr/bin/tova");  // only backslashes count
}

// The core gets plain values: IDs, sizes, requests, keys and notches.
TEST(MessageWords, TheCoreGetsOnlyTheWordsThatCarryItsValues) {
  EXPECT_EQ(command_id(MAKEWPARAM(IDM_PASTE, 1)), IDM_PASTE);  // from an accelerator
  EXPECT_EQ(timer_id(0x12340007), 7);
  ClientSize size = client_size(MAKELPARAM(640, 480));
  EXPECT_EQ(size.width, 640);
  EXPECT_EQ(size.height, 480);
  EXPECT_EQ(scroll_request(MAKEWPARAM(SB_THUMBTRACK, 0xFFFF)), ScrollRequest::thumb_track);
  EXPECT_EQ(scroll_request(MAKEWPARAM(SB_LINEDOWN, 3)), ScrollRequest::line_forward);
  EXPECT_EQ(scroll_request(SB_ENDSCROLL), ScrollRequest::other);
  EXPECT_EQ(key_of(VK_PRIOR), Key::page_up);
  EXPECT_EQ(key_of('A'), Key::other);
}

TEST(MessageWords, AFineWheelsPartsAddUpToWholeNotches) {
  int pending = 0;
  EXPECT_EQ(wheel_notches(MAKEWPARAM(0, WHEEL_DELTA / 2), &pending), 0);
  EXPECT_EQ(wheel_notches(MAKEWPARAM(0, WHEEL_DELTA * 3 / 2), &pending), 2);
  EXPECT_EQ(pending, 0);
  EXPECT_EQ(wheel_notches(MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), &pending), -1);
}

TEST(AboutAddress, EightDigitsUnlessTheAddressNeedsMore) {
  EXPECT_EQ(address_text(65536), "0x00010000");
  EXPECT_EQ(address_text(0), "0x00000000");
  EXPECT_EQ(address_text(0x7FFEFFFFu), "0x7ffeffff");
  EXPECT_EQ(address_text(0x7FFFFFFEFFFFull), "0x7ffffffeffff");
  EXPECT_EQ(address_text(0x100000000ull), "0x100000000");
}

}  // namespace
}  // namespace tova::host::win32
