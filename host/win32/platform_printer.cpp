// Printing: the print dialog, the modeless Printing dialog, the abort
// procedure and the document calls.
#include <windows.h>
// These need the types of windows.h first.
#include <commdlg.h>

#include <algorithm>
#include <string>

#include "host/win32/context.h"
#include "host/win32/resource.h"
#include "host/win32/win32_platform.h"

namespace tova::host::win32 {

namespace {
HDC dc_of(Handle device) {
  return reinterpret_cast<HDC>(device);
}
}  // namespace

std::optional<PrinterSetup> Win32Platform::choose_printer() {
  PRINTDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = context().frame;
  // The whole window or a page range; a selection is not offered.
  dialog.Flags = PD_RETURNDC | PD_COLLATE | PD_NOSELECTION;
  dialog.nFromPage = 1;
  dialog.nToPage = 1;
  dialog.nMinPage = 1;
  dialog.nMaxPage = 32767;
  dialog.nCopies = 1;
  BOOL chosen = PrintDlgA(&dialog);
  if (dialog.hDevMode != nullptr) GlobalFree(dialog.hDevMode);
  if (dialog.hDevNames != nullptr) GlobalFree(dialog.hDevNames);
  if (!chosen || dialog.hDC == nullptr) return std::nullopt;

  PrinterSetup setup;
  setup.device = reinterpret_cast<Handle>(dialog.hDC);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dialog.hDC, &metrics);
  setup.line_height = metrics.tmHeight + metrics.tmExternalLeading;
  setup.page_height = GetDeviceCaps(dialog.hDC, VERTRES);
  setup.page_width = GetDeviceCaps(dialog.hDC, HORZRES);
  setup.dots_per_inch_x = GetDeviceCaps(dialog.hDC, LOGPIXELSX);
  setup.dots_per_inch_y = GetDeviceCaps(dialog.hDC, LOGPIXELSY);
  setup.page_range = (dialog.Flags & PD_PAGENUMS) != 0;
  setup.from_page = dialog.nFromPage;
  setup.to_page = dialog.nToPage;
  setup.copies = dialog.nCopies;
  return setup;
}

void Win32Platform::open_printing_dialog(Handle device) {
  Context& c = context();
  SetAbortProc(dc_of(device), abort_procedure);
  c.printing_dialog = CreateDialogParamA(c.instance, MAKEINTRESOURCEA(IDD_PRINTING), c.frame,
                                         printing_procedure, 0);
  EnableWindow(c.frame, FALSE);
  if (c.printing_dialog != nullptr) UpdateWindow(c.printing_dialog);
}

void Win32Platform::close_printing_dialog() {
  Context& c = context();
  // The frame first, so that it takes the activation back from the dialog.
  EnableWindow(c.frame, TRUE);
  if (c.printing_dialog != nullptr) DestroyWindow(c.printing_dialog);
  c.printing_dialog = nullptr;
}

PrintFont Win32Platform::select_print_font(Handle device, int32_t char_width) {
  Context& c = context();
  HDC dc = dc_of(device);
  PrintFont font;
  // A fixed-pitch character's advance is about 0.6 of its height: start
  // there and shrink until the measured advance fits.
  for (int height = std::max(char_width * 5 / 3, 2); height >= 2; height = height * 9 / 10) {
    HFONT candidate = CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  FIXED_PITCH | FF_MODERN, "Courier New");
    if (candidate == nullptr) break;
    HGDIOBJ old = SelectObject(dc, candidate);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SIZE extent{};
    GetTextExtentPoint32A(dc, "0000000000", 10, &extent);
    int advance = (extent.cx + 9) / 10;
    if (advance <= char_width || height == 2) {
      if (c.print_font != nullptr) DeleteObject(c.print_font);
      c.print_font = candidate;
      font.char_width = advance;
      font.line_height = metrics.tmHeight + metrics.tmExternalLeading;
      return font;
    }
    SelectObject(dc, old);
    DeleteObject(candidate);
    if (height * 9 / 10 == height) break;
  }
  return font;
}

void Win32Platform::pump_printing() {
  abort_procedure(nullptr, 0);
}

INT_PTR CALLBACK printing_procedure(HWND, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      // Cancel, Enter and Esc: the job stops at its next look.
      context().host->print_command().cancel();
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL CALLBACK abort_procedure(HDC, int) {
  // The spooler calls this while it produces the document: the messages
  // that arrive meanwhile are handled here, the Printing dialog's first.
  Context& c = context();
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (c.printing_dialog != nullptr && IsDialogMessageA(c.printing_dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return c.host->print_command().continuing() ? TRUE : FALSE;
}

bool Win32Platform::start_document(Handle device, std::string_view name) {
  std::string document(name);
  DOCINFOA info{};
  info.cbSize = sizeof info;
  info.lpszDocName = document.c_str();
  return StartDocA(dc_of(device), &info) > 0;
}

bool Win32Platform::start_page(Handle device) {
  return StartPage(dc_of(device)) > 0;
}

void Win32Platform::print_text(Handle device, int32_t x, int32_t y, std::string_view text) {
  TextOutA(dc_of(device), x, y, text.data(), static_cast<int>(text.size()));
}

bool Win32Platform::end_page(Handle device) {
  return EndPage(dc_of(device)) > 0;
}

bool Win32Platform::end_document(Handle device) {
  return EndDoc(dc_of(device)) > 0;
}

void Win32Platform::abort_document(Handle device) {
  AbortDoc(dc_of(device));
}

void Win32Platform::delete_printer(Handle device) {
  Context& c = context();
  DeleteDC(dc_of(device));
  // Free only now: a font cannot go while a device holds it.
  if (c.print_font != nullptr) DeleteObject(c.print_font);
  c.print_font = nullptr;
}

}  // namespace tova::host::win32
