#!/usr/bin/env python3
"""Checks that every edit box, list box and combo box in the dialogs of a resource script comes just
after a text label in the template, that is in the tab order: screen readers name a field after the
static text before it. Usage: dialog_labels.py pelmar.rc. Exit status 1 lists the unnamed fields."""
import re
import sys

FIELD_CLASSES = {'edit', 'listbox', 'combobox'}
FIELD_KEYWORDS = {'EDITTEXT', 'LISTBOX', 'COMBOBOX'}
LABEL_KEYWORDS = {'LTEXT', 'RTEXT', 'CTEXT'}
CONTROL_KEYWORDS = FIELD_KEYWORDS | LABEL_KEYWORDS | {
    'CONTROL', 'PUSHBUTTON', 'DEFPUSHBUTTON', 'GROUPBOX', 'ICON', 'CHECKBOX', 'AUTOCHECKBOX',
    'RADIOBUTTON', 'AUTORADIOBUTTON', 'STATE3', 'AUTO3STATE', 'SCROLLBAR', 'PUSHBOX'}


def dialogs(text):
    """Yields (dialog name, [control statement]) for each DIALOG or DIALOGEX block."""
    lines = [re.sub(r'//.*', '', line).strip() for line in text.splitlines()]
    i = 0
    while i < len(lines):
        head = re.match(r'(\w+)\s+DIALOG(EX)?\b', lines[i])
        i += 1
        if not head:
            continue
        while i < len(lines) and lines[i] not in ('BEGIN', '{'):
            i += 1
        statements = []
        i += 1
        while i < len(lines) and lines[i] not in ('END', '}'):
            word = lines[i].split(None, 1)[0] if lines[i] else ''
            if word in CONTROL_KEYWORDS:
                statements.append(lines[i])
            elif lines[i] and statements:
                statements[-1] += ' ' + lines[i]  # a statement continued on the next line
            i += 1
        yield head.group(1), statements


def kind(statement):
    """'field', 'label' or None, and the control's id as written."""
    word = statement.split(None, 1)[0]
    args = [a.strip() for a in re.findall(r'"(?:[^"]|"")*"|[^,]+', statement[len(word):])]
    if word in FIELD_KEYWORDS:
        return 'field', args[0]
    if word in LABEL_KEYWORDS:
        return ('label' if args[0] != '""' else None), args[1]
    if word == 'CONTROL':
        text, ident, cls, style = args[0], args[1], args[2].strip('"').lower(), args[3]
        if cls in FIELD_CLASSES:
            return 'field', ident
        pictures = re.search(r'\bSS_(ICON|BITMAP|ENHMETAFILE)\b', style)
        if cls == 'static' and text.startswith('"') and text != '""' and not pictures:
            return 'label', ident
    return None, None


def check(text):
    """The number of fields seen, and a line for each one without its label."""
    fields, problems = 0, []
    for dialog, statements in dialogs(text):
        before = None
        for statement in statements:
            what, ident = kind(statement)
            if what == 'field':
                fields += 1
                if before != 'label':
                    problems.append('%s: %s has no label just before it' % (dialog, ident))
            before = what
    return fields, problems


def main():
    with open(sys.argv[1], encoding='latin-1') as f:
        fields, problems = check(f.read())
    if fields == 0:
        problems.append('no edit or list box found: the script has changed shape')
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
