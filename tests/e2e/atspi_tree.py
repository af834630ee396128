#!/usr/bin/env python3
"""Prints the accessibility tree of one running program, read through the desktop's
accessibility bus (AT-SPI), one node a line:
  role<TAB>name<TAB>state,state,...<TAB>value/min/max (or "-")<TAB>description
Usage: atspi_tree.py PID. Exits 2 when no program of that process number is on the bus."""

import sys

import pyatspi


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:  # an application that left the bus meanwhile
            continue
    return None


def describe(node):
    states = sorted(pyatspi.stateToString(s) for s in node.getState().getStates())
    value = "-"
    try:
        v = node.queryValue()
        value = "%g/%g/%g" % (v.currentValue, v.minimumValue, v.maximumValue)
    except NotImplementedError:
        pass
    name = (node.name or "").replace("\t", " ").replace("\n", " ")
    description = (node.description or "").replace("\t", " ").replace("\n", " ")
    return "%s\t%s\t%s\t%s\t%s" % (node.getRoleName(), name, ",".join(states), value, description)


def walk(node, out, depth=0):
    if node is None or depth > 30:
        return
    out.append(describe(node))
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), out, depth + 1)


def main():
    app = application(int(sys.argv[1]))
    if app is None:
        return 2
    lines = []
    walk(app, lines)
    print("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main())
