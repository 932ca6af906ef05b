#!/usr/bin/python3
"""The real viewer read through the accessibility bus, as a screen reader reads it.

Starts tkviewer on its own X display with a window manager and the AT-SPI bus, walks its
accessible tree with pyatspi, and drives it by key events: the names, roles and states of
the controls, the page's text and caret, the status line's announcements, the tab chain,
the zoom of the type-ahead list and the help window's keys.

  atspi_test.py PRODUCT_DIR
Exits 77 (skipped) only where the display or the accessibility bus cannot start.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
MARK = "TK_ATSPI_SESSION"


def skip(reason):
    print(f"SKIPPED: the accessibility test cannot run here: {reason}", flush=True)
    sys.exit(SKIP)


def in_own_session():
    """Runs the script again inside a D-Bus session of its own."""
    if os.environ.get(MARK):
        return
    runner = shutil.which("dbus-run-session")
    if runner is None:
        skip("dbus-run-session (package dbus) is missing")
    os.environ[MARK] = "1"
    sys.exit(subprocess.call([runner, "--", sys.executable] + sys.argv))


in_own_session()
for tool in ("Xvfb", "openbox", "xdotool"):
    if shutil.which(tool) is None:
        skip(f"{tool} is missing")
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
if not os.access(LAUNCHER, os.X_OK):
    skip("at-spi-bus-launcher (package at-spi2-core) is missing")
try:
    import gi

    gi.require_version("Atspi", "2.0")
    from gi.repository import GLib
    import pyatspi
except (ImportError, ValueError) as error:
    skip(f"pyatspi (package python3-pyatspi) cannot be loaded: {error}")

PRODUCT = os.path.abspath(sys.argv[1])
TITLE = "Morvelt taalkist"
failures = []
children = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def start(args, **kwargs):
    process = subprocess.Popen(args, **kwargs)
    children.append(process)
    return process


def quiet(args):
    """Runs a helper program briefly; true when it succeeded."""
    try:
        return subprocess.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=10).returncode == 0
    except subprocess.TimeoutExpired:
        return False


def pump(seconds):
    """Lets the bus deliver its events for a while."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def wait_for(test, seconds=20.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = test()
        if value:
            return value
        pump(0.1)
    return test()


def start_display(temp):
    read, write = os.pipe()
    start(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
          pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as fd:
        number = fd.readline().strip()
    if not number:
        skip("Xvfb did not start")
    os.environ["DISPLAY"] = ":" + number
    start(["openbox", "--config-file", "/dev/null"], stdout=subprocess.DEVNULL,
          stderr=subprocess.DEVNULL)
    # A window shown before the window manager runs is never activated on a busy machine:
    # wait until openbox has published its desktops on the root window.
    if not wait_for(lambda: quiet(["xdotool", "get_desktop"]), 30):
        skip("the window manager did not start")
    start([LAUNCHER, "--launch-immediately"], stderr=subprocess.DEVNULL)
    try:
        if not wait_for(lambda: pyatspi.Registry.getDesktop(0) is not None, 10):
            skip("the AT-SPI registry does not answer")
    except GLib.Error as error:
        skip(f"the AT-SPI bus does not start: {error}")


# The tree.

def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def states(node):
    return node.getState()


def has(node, state):
    return node.getState().contains(state)


def find(root, role, name=None, showing=True):
    for node in walk(root):
        if node.getRole() == role and (name is None or node.name == name) and \
                (not showing or has(node, pyatspi.STATE_SHOWING)):
            return node
    return None


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == TITLE:
            return app
    return None


def frame(app):
    for i in range(app.childCount):
        child = app.getChildAtIndex(i)
        if child is not None and child.getRole() == pyatspi.ROLE_FRAME and \
                child.name.startswith(TITLE):
            return child
    return None


def focused(root):
    for node in walk(root):
        if has(node, pyatspi.STATE_FOCUSED) and node.getRole() != pyatspi.ROLE_FRAME:
            return node
    return None


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


INTERACTIVE = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
               pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY,
               pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_ITEM,
               pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_LINK, pyatspi.ROLE_SLIDER}


def interactive(root):
    """The controls a user can reach and use now: shown and enabled."""
    return [node for node in walk(root)
            if node.getRole() in INTERACTIVE and has(node, pyatspi.STATE_SHOWING) and
            has(node, pyatspi.STATE_ENABLED)]


# The keyboard.

def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "60"] + list(names), check=True)
    pump(0.3)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "90", text], check=True)
    pump(0.3)


# What reaches the bus.

class Listener:
    def __init__(self):
        self.events = []
        self.lists = []  # the type-ahead list is a popup, not a child of the application
        pyatspi.Registry.registerEventListener(self.heard, "object:state-changed:showing",
                                               "object:state-changed:focused")

    def heard(self, event):
        try:
            self.events.append((event.type, event.source.getRole(), event.source.name,
                                event.detail1))
            if event.source.getRole() == pyatspi.ROLE_LIST and event.detail1:
                self.lists.append(event.source)
        except Exception:  # the object may be gone already
            pass

    def clear(self):
        self.events.clear()

    def announced(self):
        """The notifications that appeared, in order: what a screen reader speaks."""
        return [name for kind, role, name, shown in self.events
                if kind.endswith("showing") and role == pyatspi.ROLE_NOTIFICATION and shown]

    def wait_announced(self, pattern, seconds=15.0):
        found = wait_for(lambda: [n for n in self.announced() if re.fullmatch(pattern, n)],
                         seconds)
        return found[-1] if found else None

    def focused(self):
        return [(role, name) for kind, role, name, on in self.events
                if kind.endswith("focused") and on]


def run(temp):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               TAALKIST_REGISTRY_DIR=os.path.join(temp, "registry"),
               TAALKIST_MSGBOX_LOG=os.path.join(temp, "boxes.log"),
               XDG_RUNTIME_DIR=temp, ASAN_OPTIONS="detect_leaks=0", LANG="C.UTF-8")
    listener = Listener()
    viewer = start([os.path.join(PRODUCT, "tkviewer"), "nl-en"], env=env)
    app = wait_for(lambda: (a := application()) is not None and frame(a) is not None and a, 60)
    if not check(app, "the viewer shows its window on the accessibility bus"):
        return
    window = frame(app)
    field = wait_for(lambda: find(window, pyatspi.ROLE_TEXT, "Zoekwoord"), 10)
    if not check(field is not None, "the search field is a text named 'Zoekwoord'"):
        return
    # The window manager may start after the window: the window is activated as a user
    # would click it, and then the search field has the focus.
    for _ in range(8):
        if wait_for(lambda: has(field, pyatspi.STATE_FOCUSED), 3):
            break
        for verb in ("windowactivate", "windowfocus"):
            quiet(["xdotool", "search", "--name", TITLE, verb])
    check(has(field, pyatspi.STATE_FOCUSED), "the search field has the focus at the start")
    check(has(field, pyatspi.STATE_EDITABLE), "the search field is editable")

    # Every control is named; the books are check boxes and the current one is checked.
    unnamed = [node.getRoleName() for node in interactive(window) if not node.name.strip()]
    check(not unnamed, f"every control shown has a name (unnamed: {unnamed})")
    books = find(window, pyatspi.ROLE_TOOL_BAR, "Woordenboeken")
    check(books is not None, "the dictionaries are a tool bar named 'Woordenboeken'")
    buttons = []
    if books is not None:
        buttons = [b for b in walk(books) if b.getRole() == pyatspi.ROLE_CHECK_BOX and
                   has(b, pyatspi.STATE_SHOWING)]
        current = [b.name for b in buttons if has(b, pyatspi.STATE_CHECKED)]
        shown = re.search(r"\[(.*)\]", window.name)
        check(len(buttons) >= 2 and shown and current == [shown.group(1)],
              f"one book button is checked, the book of the caption ({current}, {window.name})")
        keys("alt+2")
        check(wait_for(lambda: has(buttons[1], pyatspi.STATE_CHECKED) and
                       not has(buttons[0], pyatspi.STATE_CHECKED), 5),
              "choosing another book moves the checked state to its button")
        keys("alt+1")
    for role, name in ((pyatspi.ROLE_PUSH_BUTTON, "Open nieuw venster"),
                       (pyatspi.ROLE_PUSH_BUTTON, "Uitspreken"),
                       (pyatspi.ROLE_PUSH_BUTTON, "Terug"),
                       (pyatspi.ROLE_PUSH_BUTTON, "Vooruit"),
                       (pyatspi.ROLE_PUSH_BUTTON, "Vind woord"),
                       (pyatspi.ROLE_PUSH_BUTTON, "Eerdere zoekopdrachten"),
                       (pyatspi.ROLE_STATUS_BAR, "Statusregel")):
        check(find(window, role, name) is not None, f"a {role} named '{name}'")
    page = find(window, pyatspi.ROLE_LABEL, "Artikel")
    if not check(page is not None and has(page, pyatspi.STATE_FOCUSABLE),
                 "the page is a focusable text named 'Artikel'"):
        return

    # A search: the list's count while typing, then the status, with the focus in the field.
    listener.clear()
    type_text("huis")
    check(listener.wait_announced(r"\d+ trefwoorden in de lijst, het eerste is huis\S*\.", 5),
          f"the type-ahead list announces its count and first word ({listener.announced()})")
    keys("Return")
    check(listener.wait_announced(r"Er zijn \d+ trefwoorden gevonden\."),
          f"the status of a search with entries reached the bus ({listener.announced()})")
    check(has(field, pyatspi.STATE_FOCUSED), "after Enter the focus stays in the field")
    check(text_of(page).startswith("huis"), "the page's text is exposed, headword first")

    # A miss with a base form, and one without.
    keys("ctrl+l")
    type_text("liep")
    keys("Return")
    check(listener.wait_announced(r"'liep' is een vorm van 'lopen'\."),
          f"a miss announces its base form ({listener.announced()[-1:]})")
    check("lopen" in text_of(page), "the page shows the base form's entries")
    keys("ctrl+l")
    type_text("qqxqzw")
    keys("Return")
    check(listener.wait_announced(r"Het woord 'qqxqzw' kan niet worden gevonden\."),
          "a miss without a base form announces the not-found text")

    # The page: Tab reaches it, the arrows move its caret, Ctrl+L and F6 go back.
    keys("ctrl+l")
    type_text("huis")
    keys("Return", "Tab")
    check(wait_for(lambda: has(page, pyatspi.STATE_FOCUSED), 5), "Tab goes to the page")
    caret = page.queryText()
    start_at = caret.caretOffset
    keys("Down", "Right", "Right")
    check(caret.caretOffset > start_at,
          f"the arrow keys move the page's caret ({start_at} -> {caret.caretOffset})")
    for key in ("ctrl+l", "F6"):
        keys("Tab") if key == "F6" else None
        keys(key)
        check(wait_for(lambda: has(field, pyatspi.STATE_FOCUSED), 5),
              f"{key} from the page puts the focus in the field")

    # Links: Tab selects one, Enter searches it (the explanatory book links its synonyms).
    names = [b.name for b in buttons]
    if check("Engels verklarend" in names, "the explanatory book is there"):
        keys(f"alt+{names.index('Engels verklarend') + 1}")
    keys("ctrl+l")
    type_text("house")
    keys("Return")
    wait_for(lambda: text_of(page).startswith("house"), 10)
    keys("Tab", "Tab")
    selection = caret.getSelection(0) if caret.getNSelections() > 0 else None
    link = caret.getText(selection[0], selection[1]) if selection else ""
    check(link.strip() and link != "house", f"Tab in the page selects a link ({link!r})")
    listener.clear()
    keys("Return")
    check(listener.wait_announced(r"Er (is 1 trefwoord|zijn \d+ trefwoorden) gevonden\."),
          "Enter on the link searches its word")
    check(link and text_of(field) == link, f"the link's word is in the field ({text_of(field)!r})")
    keys("alt+1")

    # The tab chain: every control shown reaches the focus by Tab alone.
    keys("ctrl+l")
    wanted = {(n.getRole(), n.name) for n in interactive(window)
              if has(n, pyatspi.STATE_FOCUSABLE) and n.getRole() != pyatspi.ROLE_LIST_ITEM}
    listener.clear()
    for _ in range(40):
        keys("Tab")
    reached = set(listener.focused())
    missing = sorted(name for role, name in wanted - reached)
    check(len(wanted) >= 8 and not missing, f"Tab reaches every control (not: {missing})")
    not_focusable = sorted(n.name for n in interactive(window)
                           if not has(n, pyatspi.STATE_FOCUSABLE) and
                           n.getRole() not in (pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_MENU_ITEM) and
                           n.name not in ("Vind woord", "Eerdere zoekopdrachten"))
    check(not not_focusable, f"only the menus (F10) and the field's own buttons (Enter, "
          f"Alt+Down) stay out of the tab chain "
          f"({not_focusable})")

    # The type-ahead list grows with the zoom.
    def row_height():
        keys("ctrl+l")
        type_text("hu")
        named = lambda: [l for l in listener.lists if l.name == "Trefwoorden die zo beginnen"]
        item = wait_for(lambda: named() and named()[-1].childCount > 0 and
                        named()[-1].getChildAtIndex(0), 5)
        height = item.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).height if item else 0
        keys("Escape")
        return height

    normal = row_height()
    keys("ctrl+plus", "ctrl+plus", "ctrl+plus")
    zoomed = row_height()
    keys("ctrl+0")
    check(normal > 0 and zoomed >= normal * 1.3,
          f"the type-ahead list zooms with the page (row {normal} -> {zoomed} pixels)")

    # Every book at once: each block's header is a button that says whether it is folded.
    keys("alt+0")
    if check(wait_for(lambda: "[Alle woordenboeken]" in window.name, 5),
             f"Alt+0 chooses every book ({window.name})"):
        listener.clear()
        keys("ctrl+l")
        type_text("hand")
        keys("Return")
        check(listener.wait_announced(r"Gevonden in .+\."),
              f"the status of every book reached the bus ({listener.announced()[-1:]})")
        headers = wait_for(lambda: [n for n in walk(window)
                                    if n.getRole() in (pyatspi.ROLE_PUSH_BUTTON,
                                                       pyatspi.ROLE_TOGGLE_BUTTON) and
                                    n.name.startswith("Woordenboek ") and
                                    has(n, pyatspi.STATE_SHOWING)], 10) or []
        check(len(headers) >= 2 and all(has(h, pyatspi.STATE_EXPANDABLE) for h in headers),
              f"each book's block has an expandable header ({[h.name for h in headers]})")
        if headers:
            header = headers[0]
            was = has(header, pyatspi.STATE_EXPANDED)
            action = header.queryAction()
            action.doAction(0)
            check(wait_for(lambda: has(header, pyatspi.STATE_EXPANDED) != was, 5),
                  f"the header's action folds or unfolds its block ('{action.getName(0)}')")
            action.doAction(0)
        keys("alt+1")

    # The popup of a word looked up from another program: named, and its page exposed.
    lookup = start([os.path.join(PRODUCT, "tkviewer"), "--lookup", "fiets"], env=env)
    popup = wait_for(lambda: next((c for c in app if c is not None and c.name == "Opzoeken" and
                                   has(c, pyatspi.STATE_SHOWING)), None), 15)
    if check(popup is not None, "the lookup popup is a window named 'Opzoeken'"):
        unnamed = [f"{n.getRoleName()} in {n.parent.getRoleName()} '{n.parent.name}' "
                   f"({n.description!r})" for n in interactive(popup) if not n.name.strip()]
        check(not unnamed, f"every control of the popup has a name (unnamed: {unnamed})")
        articles = wait_for(lambda: (n := find(popup, pyatspi.ROLE_LABEL, "Gevonden artikelen"))
                            and "fiets" in text_of(n) and n, 10)
        check(articles, "the popup's page is exposed with the word's entries")
        check(find(popup, pyatspi.ROLE_TEXT, "Zoekwoord") is not None,
              "the popup's field is a text named 'Zoekwoord'")
    lookup.wait(20)

    # The help window: a default button, Escape closes it.
    keys("F1")
    help_window = wait_for(lambda: next((c for c in app if c is not None and
                                          c.name.startswith("Hulpinformatie")), None), 10)
    if check(help_window is not None, "F1 opens the help window"):
        close = find(help_window, pyatspi.ROLE_PUSH_BUTTON, "Sluiten")
        check(close is not None and has(close, pyatspi.STATE_IS_DEFAULT),
              "the help window has a default button 'Sluiten'")
        check(find(help_window, pyatspi.ROLE_LABEL, "Hulpinformatie") is not None,
              "the help text is named")
        keys("Escape")
        check(wait_for(lambda: not has(help_window, pyatspi.STATE_SHOWING), 5),
              "Escape closes the help window")
    viewer.terminate()


def main():
    temp = tempfile.mkdtemp(prefix="tk-atspi-")
    try:
        start_display(temp)
        run(temp)
    finally:
        for process in reversed(children):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
        shutil.rmtree(temp, ignore_errors=True)
    if failures:
        print(f"{len(failures)} check(s) failed", flush=True)
        sys.exit(1)
    print("all checks passed", flush=True)


main()
