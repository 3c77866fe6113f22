#!/usr/bin/env python3
"""Drives the Windows programs in their window under Wine and Xvfb, as a user
would with the keyboard, and compares what they leave with the native runs.

Runs from tools/ci-wine.sh, which provides DISPLAY, WINEPREFIX and the
account. Every wait polls with a deadline; nothing waits forever.

Waits are on what the window shows: its text (Edit > Select All and Copy,
read back from the X clipboard that Wine serves), its dialogs, the files
it writes; no step sleeps a fixed time before it acts.

Checks, for the probe program and (once it is built) tova itself:
- a whole run: Ctrl+S and Escape inside the first answer, the second
  answer typed, the last one pasted with its line end (CR LF) after copying
  a line typed ahead (one Enter, not a control character), the result files
  byte for byte equal to the native program's, File > Save As... saving the
  window, the saved file equal to the native run's console records (one line
  per record, as strace shows the writes) with the typed answers where the
  window shows them, closing without a prompt after the save, status 0;
- closing while a read waits: "Save the Input/Output window?", Cancel keeps
  the program, No ends it with status 0;
- a fatal run-time error (an all-blank file name): status -1 (255);
- a 115-character answer: the caret stays in view (its block is found on
  the screen);
- long output: the probe's listing of 66,569 lines shown within 30 s (see
  bench/window-output.sh for the timed figure).

- printing (Ctrl+P, OK) to the PDF printer tools/ci-wine.sh makes with
  CUPS: every number of the window in the PDF's text, in order, each page
  under its header; skipped where there is no such printer.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time

WINE = shutil.which("wine") or "wine"


# Where the Input/Output window's client area starts inside the frame's X
# window (Wine draws the caption and the menu bar), and its cell size.
IO_CLIENT_X, IO_CLIENT_Y = 24, 80
IO_CLIENT_WIDTH = 592
CELL_WIDTH, CELL_HEIGHT = 8, 16


class Failure(Exception):
    pass


class Skip(Exception):
    """What the check needs is missing here; nothing was wrong."""


def run(args, **kwargs):
    return subprocess.run(args, check=False, capture_output=True, text=True, timeout=60, **kwargs)


def wait_for(what, condition, timeout, interval=0.25):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(interval)
    raise Failure(f"timed out after {timeout} s waiting for {what}")


def windows_named(pattern):
    result = run(["xdotool", "search", "--name", pattern])
    return [line for line in result.stdout.split() if line.strip()]


def key(*keys, window=None):
    args = ["xdotool", "key", "--delay", "60"]
    if window:
        run(["xdotool", "windowfocus", "--sync", window])
    run(args + list(keys))


def type_text(text):
    if text:
        run(["xdotool", "type", "--delay", "40", text])


def clipboard_text():
    """The X clipboard's text (Wine serves the Windows clipboard there)."""
    import tkinter
    root = tkinter.Tk()
    root.withdraw()
    try:
        return root.clipboard_get()
    except tkinter.TclError:
        return ""
    finally:
        root.destroy()


# --- the native run -----------------------------------------------------------

def native_transcript(program, workdir, answers):
    """Runs the native program with the answers fed one by one; returns the
    window's expected lines: one per console write, the typed answers after
    the record the program wrote before each read."""
    trace = os.path.join(workdir, "trace.log")
    with subprocess.Popen(
        ["strace", "-f", "-qq", "-e", "trace=read,write", "-e", "signal=none", "-xx",
         "-s", "100000", "-o", trace, program],
        cwd=workdir, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL) as process:
        try:
            for answer in answers:
                # One line per read: the program asks for it before the next.
                time.sleep(1.5)
                process.stdin.write((answer + "\n").encode())
                process.stdin.flush()
            process.stdin.close()
        except BrokenPipeError:
            raise Failure(f"native {program} ended before it had all its answers")
        try:
            status = process.wait(timeout=120)
        except subprocess.TimeoutExpired:
            process.kill()
            raise Failure(f"native {program} did not end")
    lines = []
    answered_at = []
    typed = iter(answers)
    line_open = False  # a write without LF leaves its line open, as on a console
    call = re.compile(r'^\d+\s+(read|write)\((\d+), "((?:\\x[0-9a-f]{2})*)".*\)\s*=\s*(-?\d+)')
    for text in open(trace, encoding="latin-1"):
        match = call.match(text)
        if not match:
            continue
        kind, fd, hexbytes, result = match.groups()
        data = bytes(int(h, 16) for h in re.findall(r"\\x([0-9a-f]{2})", hexbytes))
        if kind == "write" and fd in ("1", "2"):
            ends = data.endswith(b"\n")
            if ends:
                data = data[:-1]
                if data.endswith(b"\r"):
                    data = data[:-1]
            if line_open:
                lines[-1] += data
            else:
                lines.append(data)
            line_open = not ends
        elif kind == "read" and fd == "0" and int(result) > 0:
            answered_at.append(len(lines))
            lines.append(next(typed).encode())
            line_open = False
    return status, lines, answered_at


# --- the window ---------------------------------------------------------------

class WindowRun:
    def __init__(self, exe, workdir):
        self.title = os.path.basename(exe)
        self.workdir = workdir
        self.log = open(os.path.join(workdir, "wine.log"), "w")
        self.process = subprocess.Popen([WINE, exe], cwd=workdir, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        self.frame = wait_for(f"the frame window {self.title}", self.own_frame, 60)

    def own_frame(self):
        """This process's frame (a run before it may still be going away)."""
        name = "^" + re.escape(self.title) + "$"
        result = run(["xdotool", "search", "--all", "--pid", str(self.process.pid), "--name", name])
        mine = [line for line in result.stdout.split() if line.strip()]
        return (mine or windows_named(name)[-1:] or [None])[0]

    def text(self):
        """The window's whole text: Select All (Ctrl+A), Copy (Ctrl+C)."""
        key("ctrl+a", "ctrl+c", window=self.frame)
        return clipboard_text()

    def wait_text(self, needle, timeout=60):
        return wait_for(f"{needle!r} in the window", lambda: needle in self.text(), timeout, 0.3)

    def answer(self, text, prompt=None):
        """Types `text` and Enter once `prompt` shows (the read waits then)."""
        if prompt:
            self.wait_text(prompt)
        run(["xdotool", "windowfocus", "--sync", self.frame])
        type_text(text)
        key("Return")

    def drag_rows(self, row):
        """Drags from the start of the view's `row` to the start of the next
        one: that line and its line end are selected."""
        x = str(IO_CLIENT_X + 2)
        ys = [str(IO_CLIENT_Y + r * CELL_HEIGHT + CELL_HEIGHT // 2) for r in (row, row + 1)]
        run(["xdotool", "mousemove", "--window", self.frame, x, ys[0], "mousedown", "1"])
        run(["xdotool", "mousemove", "--window", self.frame, x, ys[1], "mouseup", "1"])

    def double_click_cell(self, row, column):
        """Double-clicks the cell (row, column) of the Input/Output window's
        view, from where that window stands in the frame (15, 15 in the MDI
        client) and the system fixed font's 8 x 16 cells."""
        x = IO_CLIENT_X + column * CELL_WIDTH + CELL_WIDTH // 2
        y = IO_CLIENT_Y + row * CELL_HEIGHT + CELL_HEIGHT // 2
        run(["xdotool", "mousemove", "--window", self.frame, str(x), str(y)])
        time.sleep(0.3)
        run(["xdotool", "click", "--repeat", "2", "--delay", "80", "1"])
        time.sleep(0.5)

    def save_as(self, name):
        # Ctrl+S: Save As..., the accelerator shown in the File menu.
        key("ctrl+s", window=self.frame)
        dialog = wait_for("the Save As dialog", lambda: (windows_named("^Save As$") or [None])[0], 30)
        run(["xdotool", "windowfocus", "--sync", dialog])
        # The dialog opens in the folder used last, so the name goes in whole
        # (Wine's drive Z: is the root of the file system).
        type_text("Z:" + os.path.join(self.workdir, name).replace("/", "\\"))
        key("Return")
        try:
            wait_for("the Save As dialog to close", lambda: not windows_named("^Save As$"), 30)
        except Failure:
            run(["import", "-window", "root", os.path.join(self.workdir, "save-as.png")])
            raise

    def close(self):
        key("alt+F4", window=self.frame)

    def prompt(self, timeout=15):
        return (windows_named("^TOVA$") or [None])[0] if timeout == 0 else \
            wait_for("the exit prompt", lambda: (windows_named("^TOVA$") or [None])[0], timeout)

    def alive(self):
        return self.process.poll() is None

    def status(self, timeout=30):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise Failure(f"{self.title} did not end after closing")

    def kill(self):
        if self.alive():
            self.process.kill()
            self.process.wait(timeout=30)
        try:
            wait_for("the windows to go", lambda: not windows_named(
                "^" + re.escape(self.title) + "$"), 10)
        except Failure:
            pass


def stable_file(path, seconds=1.5):
    """True once the file exists and has kept its size for `seconds`."""
    if not os.path.exists(path):
        return False
    size = os.path.getsize(path)
    time.sleep(seconds)
    return os.path.getsize(path) == size and size > 0


def read_lines(path):
    data = open(path, "rb").read()
    if not data.endswith(b"\r\n") and data:
        raise Failure(f"{path} does not end in CR LF")
    return data.split(b"\r\n")[:-1]


def show_difference(expected, got):
    for i, (e, g) in enumerate(zip(expected, got)):
        if e != g:
            return f"line {i + 1}: expected {e!r}, got {g!r}"
    return f"expected {len(expected)} lines, got {len(got)}"


def whole_run(exe, native, data, answers, results, work, screenshot=None, ahead=None,
              copy_word=None):
    """`answers` are (text, prompt, how): typed once the prompt shows, or
    pasted ("paste") with a line end, or typed with Ctrl+S and Escape in its
    middle ("ctrl+s"); `ahead` maps an answer's index to a line typed right
    after it, while the program computes; `copy_word` is (row, column,
    word): after the run, that word of the view's top line is
    double-clicked, copied and pasted as a new line."""
    name = os.path.basename(exe)
    native_dir = os.path.join(work, name + ".native")
    wine_dir = os.path.join(work, name + ".wine")
    for d in (native_dir, wine_dir):
        os.makedirs(d, exist_ok=True)
        shutil.copy(data, d)
    status, expected, answered_at = native_transcript(native, native_dir,
                                                      [text for text, _, _ in answers])
    if status != 0:
        raise Failure(f"native run ended with status {status}")
    # A line typed ahead shows right after the answer before it; no read takes it.
    for index in sorted((ahead or {}).keys(), reverse=True):
        expected.insert(answered_at[index] + 1, ahead[index].encode())

    window = WindowRun(exe, wine_dir)
    try:
        # The accelerators take Ctrl+C, X and Z although their items are
        # grayed: nothing is typed and nothing happens.
        key("ctrl+c", "ctrl+x", "ctrl+z", window=window.frame)
        for index, (text, prompt, how) in enumerate(answers):
            if how == "paste":
                # The line typed ahead, copied from the window with its line
                # end (CR LF) and pasted: one Enter, the run goes on.
                window.wait_text(prompt)
                key("Home", window=window.frame)
                window.drag_rows(expected.index(text.encode()))
                key("ctrl+c", "ctrl+v", "End")
            elif how == "ctrl+s":
                # Ctrl+S used to type a control character into the answer.
                window.wait_text(prompt)
                half = len(text) // 2
                run(["xdotool", "windowfocus", "--sync", window.frame])
                type_text(text[:half])
                key("ctrl+s")
                wait_for("the Save As dialog", lambda: windows_named("^Save As$"), 30)
                key("Escape")
                wait_for("the Save As dialog to close", lambda: not windows_named("^Save As$"), 30)
                run(["xdotool", "windowfocus", "--sync", window.frame])
                type_text(text[half:])
                key("Return")
            else:
                window.answer(text, prompt)
            if ahead and index in ahead:
                window.answer(ahead[index])
        for result in results:
            wait_for(f"{result} written", lambda: stable_file(os.path.join(wine_dir, result)), 300)
        window.wait_text(expected[-1].decode("latin-1"), 120)
        if copy_word:
            row, column, word = copy_word
            run(["xdotool", "windowfocus", "--sync", window.frame])
            key("Home")
            window.double_click_cell(row, column)
            key("ctrl+c")
            key("ctrl+v")
            key("Return")
            expected.append(word.encode())
            wait_for("the pasted word", lambda: window.text().rstrip().endswith(word), 30)
        if screenshot:
            # Tile (Shift+F4): the Input/Output window fills the frame.
            key("shift+F4", window=window.frame)
        window.save_as("saved")
        saved = os.path.join(wine_dir, "saved.txt")
        wait_for("saved.txt", lambda: stable_file(saved, 0.5), 30)
        if screenshot:
            # A click ends the selection that reading the text left.
            run(["xdotool", "mousemove", "--window", window.frame,
                 str(IO_CLIENT_X + 4), str(IO_CLIENT_Y + 4), "click", "1"])
            key("End")
            time.sleep(0.5)  # the caret's blink; nothing is waited for
            geometry = run(["xdotool", "getwindowgeometry", "--shell", window.frame]).stdout
            values = dict(line.split("=") for line in geometry.split() if "=" in line)
            run(["import", "-window", "root", "-crop",
                 f"{values['WIDTH']}x{values['HEIGHT']}+{values['X']}+{values['Y']}",
                 "+repage", screenshot])
        for result in results:
            ours = open(os.path.join(wine_dir, result), "rb").read()
            theirs = open(os.path.join(native_dir, result), "rb").read()
            if ours != theirs:
                raise Failure(f"{result} differs from the native run's")
        got = read_lines(saved)
        if got != expected:
            raise Failure("saved window text differs from the native transcript: " +
                          show_difference(expected, got))
        window.close()
        code = window.status()
        if windows_named("^TOVA$"):
            raise Failure("the exit prompt was shown after saving")
        if code != 0:
            raise Failure(f"{name} ended with status {code}, not 0")
    finally:
        window.kill()
    return len(expected)


def text_end_in_row(png, x0, y0, width):
    """How far right the dark pixels of the text row at (x0, y0) reach, in
    pixels from x0 (0 when the row is empty)."""
    columns = run_bytes(["convert", png, "-crop", f"{width}x{CELL_HEIGHT}+{x0}+{y0}", "+repage",
                         "-colorspace", "gray", "-scale", f"{width}x1!", "-depth", "8", "gray:-"])
    dark = [x for x, value in enumerate(columns) if value < 200]
    return dark[-1] + 1 if dark else 0


def run_bytes(args):
    return subprocess.run(args, check=False, capture_output=True, timeout=60).stdout


def long_answer(exe, data, work):
    """A 115-character answer keeps the caret on the screen."""
    wine_dir = os.path.join(work, os.path.basename(exe) + ".long")
    os.makedirs(wine_dir, exist_ok=True)
    shutil.copy(data, wine_dir)
    window = WindowRun(exe, wine_dir)
    try:
        window.wait_text("ENTER FILENAME")
        run(["xdotool", "mousemove", "--window", window.frame,
             str(IO_CLIENT_X + 4), str(IO_CLIENT_Y + 4), "click", "1"])
        run(["xdotool", "windowfocus", "--sync", window.frame])
        type_text("W" * 115)
        geometry = run(["xdotool", "getwindowgeometry", "--shell", window.frame]).stdout
        values = dict(line.split("=") for line in geometry.split() if "=" in line)
        # The answer's row (the second) of the Input/Output window's client
        # area (600 pixels wide less its frame).
        x0, y0 = int(values["X"]) + IO_CLIENT_X, int(values["Y"]) + IO_CLIENT_Y + CELL_HEIGHT
        shot = os.path.join(wine_dir, "long-answer.png")
        # The view follows the caret: the last character stands one cell
        # left of the caret's, which is inside the window. (It lagged: the
        # last character stood past the right edge, the row full to it.)
        cells = IO_CLIENT_WIDTH // CELL_WIDTH
        ends = []

        def caret_in_view():
            run(["import", "-window", "root", shot])
            ends.append(text_end_in_row(shot, x0, y0, IO_CLIENT_WIDTH))
            return (cells - 3) * CELL_WIDTH <= ends[-1] <= (cells - 1) * CELL_WIDTH
        try:
            wait_for("the answer's end in view", caret_in_view, 10, 0.3)
        except Failure:
            raise Failure(f"the answer ends at x = {ends[-1]} of {IO_CLIENT_WIDTH}: "
                          "the caret is past the right edge")
        window.close()
        box = window.prompt()
        run(["xdotool", "windowfocus", "--sync", box])
        key("n")
        window.status()
    finally:
        window.kill()


def long_output(exe, data, work, lines=66569):
    """The probe's listing of `lines` lines shows completely in the window.
    Timed from the answer to the last line in PROBE.TXT (written line by
    line with the window's, closed after the last), then checked in the
    window's text."""
    wine_dir = os.path.join(work, os.path.basename(exe) + ".output")
    os.makedirs(wine_dir, exist_ok=True)
    shutil.copy(data, wine_dir)
    window = WindowRun(exe, wine_dir)
    try:
        window.answer("probe.dat", "ENTER FILENAME")
        window.wait_text("LISTING WANTED")
        run(["xdotool", "windowfocus", "--sync", window.frame])
        type_text(str(lines))
        # From the Enter (xdotool's own delay included) to the last line.
        began = time.monotonic()
        key("Return")
        result = os.path.join(wine_dir, "PROBE.TXT")
        last = f"LINE {lines} OF {lines}\r\n".encode()

        def listed():
            try:
                with open(result, "rb") as f:
                    f.seek(max(os.path.getsize(result) - len(last), 0))
                    return f.read() == last
            except OSError:
                return False
        wait_for(f"{lines} lines", listed, 3600, 0.05)
        seconds = time.monotonic() - began
        print(f"   {lines} lines listed in {seconds:.2f} s", flush=True)
        # Every line is in the window: saved, it holds them all.
        window.save_as("long")
        saved = os.path.join(wine_dir, "long.txt")
        wait_for("long.txt", lambda: stable_file(saved, 0.5), 60)
        if read_lines(saved)[-lines - 1:-1] != open(result, "rb").read().split(b"\r\n")[:-1]:
            raise Failure("the window does not hold every line of the listing")
        if seconds > 30:
            raise Failure(f"{lines} lines took {seconds:.1f} s")
        window.close()  # saved: no question
        window.status()
    finally:
        window.kill()
    return f"{seconds:.1f} s for"


def close_while_reading(exe, data, work):
    wine_dir = os.path.join(work, os.path.basename(exe) + ".close")
    os.makedirs(wine_dir, exist_ok=True)
    shutil.copy(data, wine_dir)
    window = WindowRun(exe, wine_dir)
    try:
        # The About box, modal, over a waiting read; Enter closes it.
        key("alt+f", window=window.frame)
        time.sleep(0.5)
        key("a")
        about = wait_for("the About box", lambda: (windows_named("^About TOVA$") or [None])[0], 15)
        run(["import", "-window", "root", os.path.join(wine_dir, "about.png")])
        run(["xdotool", "windowfocus", "--sync", about])
        key("Return")
        wait_for("the About box to close", lambda: not windows_named("^About TOVA$"), 15)
        window.close()
        box = window.prompt()
        run(["xdotool", "windowfocus", "--sync", box])
        key("Escape")
        wait_for("the prompt to go", lambda: not windows_named("^TOVA$"), 15)
        time.sleep(1)
        if not window.alive():
            raise Failure("Cancel at the exit prompt ended the program")
        window.close()
        box = window.prompt()
        run(["xdotool", "windowfocus", "--sync", box])
        key("n")
        code = window.status()
        if code != 0:
            raise Failure(f"closing with No ended with status {code}, not 0")
    finally:
        window.kill()


def red_fraction(png):
    """The share of pure-red pixels in a screenshot."""
    result = run(["convert", png, "-fuzz", "10%", "-fill", "white", "-opaque", "red",
                  "-fill", "black", "+opaque", "white", "-format", "%[fx:mean]", "info:"])
    try:
        return float(result.stdout.strip() or 0)
    except ValueError:
        return 0.0


def host_services(exe, data, work):
    """The Graphics window painted by the program's routine, a timer and a
    menu item bound to routines (the probe's second answer 2)."""
    wine_dir = os.path.join(work, os.path.basename(exe) + ".services")
    os.makedirs(wine_dir, exist_ok=True)
    shutil.copy(data, wine_dir)
    window = WindowRun(exe, wine_dir)
    try:
        window.answer("probe.dat", "ENTER FILENAME")
        # No Select All here: the Graphics window takes the activation.
        time.sleep(2)
        window.answer("2")
        shot = os.path.join(wine_dir, "graphics.png")

        def painted():
            run(["import", "-window", "root", shot])
            return red_fraction(shot) >= 0.01
        try:
            wait_for("the Graphics window painted", painted, 30, 0.5)
        except Failure:
            raise Failure("the Graphics window's paint routine drew nothing")
        # The program goes on to its question; the window shows nothing of it
        # while the Graphics window is the active child.
        time.sleep(3)
        key("alt+f", window=window.frame)
        time.sleep(0.5)
        key("c")
        time.sleep(1)
        # The Graphics window is the active child now: the Window menu's list
        # brings the Input/Output window back to the keyboard.
        key("alt+w", window=window.frame)
        time.sleep(0.5)
        key("1")
        # Nothing outside shows the activation the menu's choice starts.
        time.sleep(0.5)
        window.answer("w")
        time.sleep(2)
        window.save_as("saved")
        saved = os.path.join(wine_dir, "saved.txt")
        wait_for("saved.txt", lambda: stable_file(saved, 0.5), 30)
        lines = read_lines(saved)
        if b"  TIMER RAN MENU RAN" not in lines:
            raise Failure(f"the timer or menu routine did not run: {lines[-6:]}")
        window.close()
        code = window.status()
        if code != 0:
            raise Failure(f"ended with status {code}, not 0")
    finally:
        window.kill()


def fatal_error(exe, work):
    wine_dir = os.path.join(work, os.path.basename(exe) + ".fatal")
    os.makedirs(wine_dir, exist_ok=True)
    window = WindowRun(exe, wine_dir)
    try:
        window.answer("   ", "ENTER FILENAME")
        # The report's third line came in two writes; it shows as one.
        window.wait_text("(UNIT=1,...", 30)
        if not window.alive():
            raise Failure("the window did not stay open after the error report")
        window.close()
        box = window.prompt()
        run(["xdotool", "windowfocus", "--sync", box])
        key("n")
        code = window.status()
        if code != 255:
            raise Failure(f"a fatal error ended with status {code}, not -1 (255)")
    finally:
        window.kill()


NUMBER = re.compile(r"-?\d*\.\d+|-?\d+")


def wine_printers():
    """The printers Wine found (it lists CUPS's queues in the registry)."""
    key_name = r"System\CurrentControlSet\Control\Print\Printers"
    result = run([WINE, "reg", "query", "HKLM\\" + key_name])
    prefix = ("HKEY_LOCAL_MACHINE\\" + key_name + "\\").upper()
    return [line.strip()[len(prefix):] for line in result.stdout.splitlines()
            if line.strip().upper().startswith(prefix)]


def printed(exe, data, answers, work):
    """A whole run, then File > Print (Ctrl+P) and OK to the PDF printer
    tools/ci-wine.sh made: the PDF, read back as text, holds every number of
    the window in order, under a header with the title and the page number."""
    out = os.environ.get("TOVA_PDF_DIR")
    if not out or not shutil.which("pdftotext"):
        raise Skip("no PDF printer (tools/ci-wine.sh makes one with CUPS as root)")
    wine_dir = os.path.join(work, os.path.basename(exe) + ".print")
    os.makedirs(wine_dir, exist_ok=True)
    shutil.copy(data, wine_dir)
    before = set(os.listdir(out))
    window = WindowRun(exe, wine_dir)
    try:
        for text, prompt in answers:
            window.answer(text, prompt)
        window.wait_text("STOP", 300)
        shown = window.text()
        key("ctrl+p", window=window.frame)
        dialog = wait_for("the Print dialog", lambda: (windows_named("^Print$") or [None])[0], 30)
        # Wine lists CUPS's queues once a program loads its spooler, as the
        # dialog does.
        if not wine_printers():
            key("Escape", window=dialog)
            raise Skip("Wine sees no printer (CUPS_SERVER="
                       f"{os.environ.get('CUPS_SERVER', '')})")
        run(["xdotool", "windowfocus", "--sync", dialog])
        key("Return")
        wait_for("the Print dialog to close", lambda: not windows_named("^Print$"), 30)

        def new_pdf():
            made = [f for f in set(os.listdir(out)) - before if f.endswith(".pdf")]
            return made and stable_file(os.path.join(out, made[0]), 1.0) and made[0]
        pdf = os.path.join(out, wait_for(f"a PDF in {out}", new_pdf, 120, 0.5))
        shutil.copy(pdf, os.path.join(wine_dir, "printed.pdf"))
        layout = subprocess.run(["pdftotext", "-layout", pdf, "-"], check=True,
                                capture_output=True, text=True, timeout=60).stdout
        open(os.path.join(wine_dir, "printed.txt"), "w").write(layout)
        pages = layout.split("\f")
        if pages and not pages[-1].strip():
            pages.pop()
        body = []
        for number, page in enumerate(pages, 1):
            lines = [line for line in page.splitlines() if line.strip()]
            header = lines[0].split() if lines else []
            if header[:1] != ["Input/Output"] or header[-2:] != ["Page", str(number)]:
                raise Failure(f"page {number}'s header is {lines[:1]!r}, not the title "
                              f"and \"Page {number}\"")
            body += lines[1:]
        want = NUMBER.findall(shown)
        got = NUMBER.findall("\n".join(body))
        if got != want:
            return_at = next((i for i, (w, g) in enumerate(zip(want, got)) if w != g),
                             min(len(want), len(got)))
            raise Failure(f"the PDF's numbers differ from the window's at number {return_at + 1} "
                          f"of {len(want)} (window {want[return_at:return_at + 3]}, "
                          f"PDF {got[return_at:return_at + 3]}); see {wine_dir}/printed.txt")
    finally:
        window.kill()
    return f"{len(pages)} pages, {len(want)} numbers of {len(shown.splitlines())}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--screenshot")
    parser.add_argument("--only", help="run only the checks whose title contains this")
    args = parser.parse_args()
    root = args.root
    os.makedirs(args.work, exist_ok=True)
    here = os.path.join(root, "tests", "host", "win32")

    tova_exe = os.path.join(root, "build", "mingw", "tova.exe")
    tova_native = os.path.join(root, "build", "dev", "tova")
    have_tova = os.path.exists(tova_exe) and os.path.exists(tova_native)

    checks = []
    probe_exe = os.path.join(root, "build", "mingw", "host_probe.exe")
    probe_native = os.path.join(root, "build", "dev", "tests", "host", "win32", "host_probe")
    probe_data = os.path.join(here, "data", "probe.dat")
    checks.append(("probe: whole run, pasting, Ctrl+S, typing ahead, copy and paste",
                   lambda: whole_run(
        probe_exe, probe_native, probe_data,
        [("probe.dat", "ENTER FILENAME", "ctrl+s"), ("1", "LISTING WANTED", "type"),
         ("junk", "ENTER A WORD", "paste")],
        ["PROBE.TXT"], args.work, None if have_tova else args.screenshot,
        ahead={1: "junk"}, copy_word=(0, 4, "ENTER"))))
    checks.append(("probe: a 115-character answer keeps the caret in view", lambda: long_answer(
        probe_exe, probe_data, args.work)))
    bench_lines = int(os.environ.get("TOVA_BENCH_LINES", "66569"))
    checks.append(("probe: lines of output", lambda: long_output(
        probe_exe, probe_data, args.work, bench_lines)))
    checks.append(("probe: About box; close while a read waits", lambda: close_while_reading(
        probe_exe, probe_data, args.work)))
    checks.append(("probe: fatal error", lambda: fatal_error(probe_exe, args.work)))
    checks.append(("probe: Graphics window, timer and menu item", lambda: host_services(
        probe_exe, probe_data, args.work)))

    if have_tova:
        examples = os.path.join(root, "examples")
        candidates = sorted(f for f in os.listdir(examples) if f.lower().endswith(".dat")) \
            if os.path.isdir(examples) else []
        data = os.path.join(examples, candidates[0]) if candidates else \
            os.path.join(here, "data", "sample.dat")
        checks.append(("tova: whole run", lambda: whole_run(
            tova_exe, tova_native, data,
            [(os.path.basename(data), "ENTER FILENAME", "type"), ("1", "GOWER", "type")],
            ["LOADS.TXT", "MATRIX.DIS"], args.work, args.screenshot)))
        checks.append(("tova: fatal error", lambda: fatal_error(tova_exe, args.work)))
        checks.append(("tova: print to PDF", lambda: printed(
            tova_exe, data,
            [(os.path.basename(data), "ENTER FILENAME"), ("1", "GOWER")], args.work)))
    else:
        print("   (tova.exe or the native tova is not built yet: only the probe runs)")

    passed = failed = skipped = 0
    for title, check in checks:
        if args.only and args.only not in title:
            continue
        began = time.monotonic()
        try:
            detail = check()
            passed += 1
            extra = f", {detail} lines" if detail else ""
            print(f"   ok   {title} ({time.monotonic() - began:.0f} s{extra})")
        except Skip as skip:
            skipped += 1
            print(f"   SKIP {title}: {skip}")
        except Failure as failure:
            failed += 1
            print(f"   FAIL {title}: {failure}")
        except subprocess.TimeoutExpired as timeout:
            failed += 1
            print(f"   FAIL {title}: {timeout}")
    print(f"window: {passed} passed, {failed} failed, {skipped} skipped")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
