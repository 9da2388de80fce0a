"""Walks the program's accessibility tree over AT-SPI, as a screen reader sees it, and prints one line a control:
role, name, and the names of the labels that label it. Waits (with a deadline) for the program to appear."""
import sys
import time

import pyatspi

INTERACTIVE = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_TEXT,
    pyatspi.ROLE_ENTRY, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX, pyatspi.ROLE_TABLE,
    pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_PAGE_TAB_LIST,
}


def find_app(deadline):
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.childCount > 0:
                for window in app:
                    if window is not None and window.name == "Veltrane Client Tools":
                        return window
        time.sleep(0.2)
    return None


def walk(node, depth=0):
    try:
        role = node.getRole()
    except Exception:
        return
    if role in INTERACTIVE:
        labels = [t.name for r in node.getRelationSet() if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
                  for t in (r.getTarget(i) for i in range(r.getNTargets()))]
        states = node.getState()
        print("%s\t%s\t%s\t%s" % (node.getRoleName(), node.name, "|".join(labels),
                                  "selected" if states.contains(pyatspi.STATE_SELECTED) else ""))
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, depth + 1)


window = find_app(time.time() + float(sys.argv[1] if len(sys.argv) > 1 else 20))
if window is None:
    print("no window of the program on the accessibility bus", file=sys.stderr)
    sys.exit(1)
walk(window)
