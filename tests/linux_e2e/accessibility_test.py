#!/usr/bin/python3
"""What a screen reader finds of the running Linux clock, in the user's language.

Run inside a private session bus (ctest starts it with dbus-run-session):
    accessibility_test.py CLOCK RES_DIR
Starts an Xvfb and the accessibility bus of its own, then the clock three times
(LANGUAGE=C in an American locale, de, fr) with its time frozen by libfaketime,
and reads through the accessibility bus what a screen reader reads: the
window's name, the menu's items and the pass-through note. The German clock is then moved on to the next
minute, and its window must be renamed once, and only once.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

CLOCK, RES = sys.argv[1], sys.argv[2]
FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
TIMEOUT = 60

EXPECTED = {
    "C": {
        "menu": ["Scale", "Transparency", "Skin", "Mouse Pass Through", "Always on Top", "Glass",
                 "Seconds", "Exit"],
        "internal": "Internal",
        # An American locale's time format is a 12-hour one.
        "locale": "en_US.UTF-8",
        "name": "Tickora, 10:08 AM",
        "note": 'NOTE! You can deactivate "Mouse Pass Through" mode by selecting Tickora with '
                "ALT+TAB, or by starting Tickora again!",
    },
    "de": {
        "menu": ["Größe", "Transparenz", "Skin", "Mausklicks durchlassen", "Immer im Vordergrund",
                 "Glas", "Sekunden", "Beenden"],
        "internal": "Intern",
        "locale": "C.UTF-8",
        "name": "Tickora, 10:08",
        "note": "HINWEIS! Sie können „Mausklicks durchlassen“ ausschalten, indem Sie Tickora mit "
                "ALT+TAB auswählen oder Tickora erneut starten!",
    },
    "fr": {
        "menu": ["Taille", "Transparence", "Habillage", "Laisser passer les clics",
                 "Toujours au premier plan", "Verre", "Secondes", "Quitter"],
        "internal": "Interne",
        "locale": "C.UTF-8",
        "name": "Tickora, 10:08",
        "note": "REMARQUE\u00a0! Vous pouvez désactiver le mode «\u00a0Laisser passer les "
                "clics\u00a0» en sélectionnant Tickora avec ALT+TAB, ou en relançant Tickora\u00a0!",
    },
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message, flush=True)
    return condition


def wait_for(what, probe, timeout=TIMEOUT):
    """Runs the main context (accessibility events) until probe() answers."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        while context.iteration(False):
            pass
        answer = probe()
        if answer:
            return answer
        time.sleep(0.05)
    raise TimeoutError("gave up waiting for " + what)


def children(node):
    try:
        return [node.get_child_at_index(i) for i in range(node.get_child_count())]
    except GLib.Error:
        return []


def find_all(node, role, found=None):
    found = [] if found is None else found
    for child in children(node):
        if child is None:
            continue
        if child.get_role() == role:
            found.append(child)
        find_all(child, role, found)
    return found


def fresh_name(node):
    node.clear_cache()
    return node.get_name()


def clock_application(pid):
    desktop = Atspi.get_desktop(0)
    for app in children(desktop):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except GLib.Error:
            pass
    return None


def clock_frame(app):
    frames = [w for w in children(app) if w is not None and w.get_role() == Atspi.Role.FRAME]
    return frames[0] if frames else None


def menu_items(menu):
    return [c for c in children(menu) if c is not None and c.get_role() != Atspi.Role.SEPARATOR]


def start_clock(scratch, language, locale, timestamp_file, environment):
    home = os.path.join(scratch, "home-" + language)
    skins = os.path.join(home, "data", "tickora", "skins", "Exit")
    os.makedirs(skins)
    shutil.copy(os.path.join(RES, "main.png"), skins)
    os.makedirs(os.path.join(home, "config", "tickora"))
    runtime = os.path.join(home, "run")
    os.makedirs(runtime, mode=0o700)
    with open(os.path.join(home, "config", "tickora", "settings.ini"), "w") as settings:
        settings.write("[Software\\Velmarck\\Tickora]\nPosX=dword:00000064\nPosY=dword:00000064\n")
    env = dict(environment)
    env.update({
        "LANG": locale, "LANGUAGE": language, "TZ": "UTC",
        "LOCPATH": os.path.join(scratch, "locales"),
        "XDG_CONFIG_HOME": os.path.join(home, "config"),
        "XDG_DATA_HOME": os.path.join(home, "data"),
        "XDG_DATA_DIRS": os.path.join(home, "nothing"),
        "XDG_RUNTIME_DIR": runtime,
        "GDK_BACKEND": "x11", "GDK_GL": "disable",
        "ASAN_OPTIONS": "detect_leaks=0:verify_asan_link_order=0",
        "LD_PRELOAD": FAKETIME, "FAKETIME_TIMESTAMP_FILE": timestamp_file,
        "FAKETIME_NO_CACHE": "1", "FAKETIME_DONT_FAKE_MONOTONIC": "1",
    })
    env.pop("LC_ALL", None)
    env.pop("LC_MESSAGES", None)
    return subprocess.Popen([CLOCK], env=env)


def set_time(timestamp_file, text):
    # Frozen (no @): the clock reads exactly this until the file changes.
    partial = timestamp_file + ".new"
    with open(partial, "w") as stamp:
        stamp.write(text + "\n")
    os.rename(partial, timestamp_file)


def open_menu(clock, app):
    window = subprocess.run(
        ["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(clock.pid), "--name",
         "^Tickora$"], capture_output=True, text=True, timeout=TIMEOUT, check=True).stdout.split()[0]
    geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                              capture_output=True, text=True, check=True).stdout
    size = dict(line.split("=") for line in geometry.split())
    subprocess.run(["xdotool", "mousemove", "--window", window, str(int(size["WIDTH"]) // 2),
                    str(int(size["HEIGHT"]) // 2), "click", "3"], check=True)

    def shown_menu():
        for menu in find_all(app, Atspi.Role.MENU):
            parent = menu.get_parent()
            if parent is not None and parent.get_role() == Atspi.Role.WINDOW:
                return menu
        return None
    return wait_for("the menu", shown_menu)


def run_clock(scratch, language, environment, minute_boundary):
    expected = EXPECTED[language]
    stamp = os.path.join(scratch, "time-" + language)
    set_time(stamp, "2026-12-07 10:08:59")
    clock = start_clock(scratch, language, expected["locale"], stamp, environment)
    try:
        app = wait_for("the clock on the accessibility bus", lambda: clock_application(clock.pid))
        frame = wait_for("the clock's frame", lambda: clock_frame(app))
        check(fresh_name(frame) == expected["name"],
              f"{language}: the window is named {fresh_name(frame)!r}")
        renames = []
        # Only what the event carries: asking the clock from inside the
        # callback would wait on the clock.
        listener = Atspi.EventListener.new(
            lambda event: renames.append(event.any_data)
            if str(event.any_data).startswith("Tickora") else None)
        listener.register("object:property-change:accessible-name")

        menu = open_menu(clock, app)
        items = menu_items(menu)
        check([i.get_name() for i in items] == expected["menu"],
              f"{language}: menu {[i.get_name() for i in items]}")
        by_label = {i.get_name(): i for i in items}
        scale = by_label.get(expected["menu"][0])
        skin = by_label.get(expected["menu"][2])
        if scale is not None:
            check("100%" in [i.get_name() for i in menu_items(scale)],
                  f"{language}: scale items {[i.get_name() for i in menu_items(scale)]}")
        if skin is not None:
            # A skin folder called "Exit" keeps its name in every language.
            check([i.get_name() for i in menu_items(skin)] == [expected["internal"], "Exit"],
                  f"{language}: skin items {[i.get_name() for i in menu_items(skin)]}")

        pass_through = by_label.get(expected["menu"][3])
        if check(pass_through is not None, f"{language}: no pass-through item"):
            pass_through.do_action(0)
            note = wait_for("the pass-through note",
                            lambda: [n for n in find_all(app, Atspi.Role.ALERT)])[0]
            labels = [label.get_name() for label in find_all(note, Atspi.Role.LABEL)]
            check(expected["note"] in labels, f"{language}: the note says {labels}")
            find_all(note, Atspi.Role.PUSH_BUTTON)[0].do_action(0)
            wait_for("the note to close", lambda: not find_all(app, Atspi.Role.ALERT))

        if minute_boundary:
            # Frozen at 10:08:59 the clock has looked at the time for some
            # seconds: no renaming so far, and one when the minute changes.
            check(renames == [], f"{language}: renamed within the minute: {renames}")
            set_time(stamp, "2026-12-07 10:09:00")
            wait_for("the name of the next minute", lambda: fresh_name(frame) == "Tickora, 10:09")
            wait_for("the rename event", lambda: renames)
            check(renames == ["Tickora, 10:09"], f"{language}: renames {renames}")
        listener.deregister("object:property-change:accessible-name")
    finally:
        clock.send_signal(signal.SIGTERM)
        clock.wait(timeout=TIMEOUT)


def main():
    scratch = tempfile.mkdtemp(prefix="tickora-a11y.")
    started = []
    try:
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                 "1024x768x24", "-nolisten", "tcp", "-noreset"], pass_fds=[write_end],
                                stderr=subprocess.DEVNULL)
        started.append(xvfb)
        os.close(write_end)
        with os.fdopen(read_end) as display_number:
            display = ":" + display_number.readline().strip()
        environment = dict(os.environ, DISPLAY=display)
        environment.pop("WAYLAND_DISPLAY", None)
        environment.pop("NO_AT_BRIDGE", None)
        bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                               env=environment)
        started.append(bus)
        os.environ["DISPLAY"] = display
        session = Gio.bus_get_sync(Gio.BusType.SESSION)

        def bus_answers():
            try:
                session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                  None, None, Gio.DBusCallFlags.NO_AUTO_START, 1000, None)
                return True
            except GLib.Error:
                return False
        wait_for("the accessibility bus", bus_answers)
        # The locales the clocks run in, made in the scratch folder (LOCPATH).
        locales = os.path.join(scratch, "locales")
        os.makedirs(locales)
        for name, source in (("en_US.UTF-8", "en_US"), ("C.UTF-8", "C")):
            subprocess.run(["localedef", "-i", source, "-f", "UTF-8",
                            os.path.join(locales, name)], check=True)
        Atspi.init()
        for language in ("C", "de", "fr"):
            run_clock(scratch, language, environment, minute_boundary=language == "de")
    finally:
        for process in reversed(started):
            process.terminate()
            process.wait(timeout=TIMEOUT)
        shutil.rmtree(scratch, ignore_errors=True)
    print("\n".join(failures) if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
