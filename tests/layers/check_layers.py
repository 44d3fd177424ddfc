#!/usr/bin/env python3
"""Fails when a file under src/ or tools/ includes across a line that
docs/architecture.md draws.  usage: check_layers.py SOURCE_ROOT"""

import os
import re
import sys

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*"([^"]+)"', re.M)

# What each folder of src/ may include besides itself. A folder not named
# here holds windows beyond the main window.
BELOW = {
    'data': set(),
    'interchange': {'data'},
    'ui': {'data'},
    'app': {'data', 'interchange', 'ui'},
}
WINDOWS = {'data', 'interchange', 'ui', 'app'}
# Headers of the main window's folder the other windows share: printing.
SHARED_FROM_BROWSER = {'browser/RecipePrint.h', 'browser/RecipeLayout.h'}
# May include anything in src/.
TOP_FILES = {'src/app/main.cpp'}
TOP_FOLDERS = {'browser'}
# Within ui/: the screen services stand below the data control.
UI_BOTTOM = ('src/ui/ScreenView.h', 'src/ui/ScreenView.cpp')


MAIN_WINDOW_LINES = 800


def folders(root):
    """Every folder of src/ and tools/, relative to the root."""
    out = []
    for top in ('src', 'tools'):
        for dirpath, _, _ in os.walk(os.path.join(root, top)):
            out.append(os.path.relpath(dirpath, root))
    return out


def resolve(root, including, name, search):
    """The included file relative to the root, or None when it is not ours
    (a system or generated header). A name without its folder is looked for
    wherever an include path could have found it."""
    for base in [os.path.dirname(including), 'src'] + search:
        path = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(os.path.join(root, path)):
            return path
    return None


def problem(including, target):
    """Why `including` may not include `target` (both relative to the root)."""
    if including.startswith('tools/'):
        if target.split('/')[:2] == including.split('/')[:2]:
            return None
        if target.startswith(('src/data/', 'src/interchange/')):
            return None
        return 'a tool includes only its own folder, data/ and interchange/'
    if target.startswith('tools/'):
        return 'only the tool itself includes from tools/'
    if not target.startswith('src/'):
        return 'the program includes nothing outside src/'
    folder = including.split('/')[1]
    wanted = target[len('src/'):]
    to = wanted.split('/')[0]
    if wanted == 'browser/frmMain.h' and folder != 'browser' and including not in TOP_FILES:
        return 'the other windows reach the main window through ui/DrinkHost.h'
    if including in UI_BOTTOM and to == 'ui' and not wanted.startswith('ui/ScreenView'):
        return 'the screen services know no control (give the control a seam)'
    if to == folder or including in TOP_FILES or folder in TOP_FOLDERS:
        return None
    allowed = BELOW.get(folder, WINDOWS)
    if to in allowed or (folder not in BELOW and wanted in SHARED_FROM_BROWSER):
        return None
    return '%s/ may include only %s' % (folder, ', '.join(sorted(allowed | {folder})) or 'itself')


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else '.')
    found = []
    search = folders(root)
    for top in ('src', 'tools'):
        for dirpath, _, files in os.walk(os.path.join(root, top)):
            for f in sorted(files):
                if not f.endswith(('.h', '.cpp')):
                    continue
                including = os.path.relpath(os.path.join(dirpath, f), root)
                with open(os.path.join(root, including), encoding='utf-8', errors='replace') as fh:
                    text = fh.read()
                for m in INCLUDE.finditer(text):
                    line = text.count('\n', 0, m.start()) + 1
                    name = m.group(1)
                    if 'tools/' in name and not including.startswith('tools/'):
                        found.append('%s:%d: includes "%s": only the tool itself includes from tools/'
                                     % (including, line, name))
                        continue
                    target = resolve(root, including, name, search)
                    why = target and problem(including, target)
                    if why:
                        found.append('%s:%d: includes "%s": %s' % (including, line, name, why))
    # The main window's file holds the designed window; added commands go
    # beside it, in frmMainCommands.cpp.
    main_window = os.path.join(root, 'src', 'browser', 'frmMain.cpp')
    if os.path.exists(main_window):
        with open(main_window, encoding='utf-8', errors='replace') as fh:
            lines = fh.read().count('\n')
        if lines >= MAIN_WINDOW_LINES:
            print('src/browser/frmMain.cpp has %d lines; keep it under %d (added commands go in '
                  'frmMainCommands.cpp)' % (lines, MAIN_WINDOW_LINES))
            return 1
    for f in found:
        print(f)
    if found:
        print('%d include(s) across a layer line; see docs/architecture.md' % len(found))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
