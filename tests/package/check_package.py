#!/usr/bin/env python3
"""Checks a release package built by scripts/package.sh: it holds exactly the five shipped files, both
programs are stripped 32-bit x86 programs, Pelmar.exe stays within its size budget and carries the
package's version in its version resource and About box, and README.txt is the user part of the
README. Usage: check_package.py build/Pelmar-<version>-win32.zip. Exit status 1 lists what is wrong."""
import os
import re
import struct
import sys
import zipfile

FILES = {'Pelmar.exe', 'pelmar-cli.exe', 'Pelmar.html', 'List.txt', 'README.txt'}
PELMAR_BUDGET = 400 * 1024
I386 = 0x14c


def pe_sections(exe):
    """The machine type and the section names of a PE file."""
    pe = struct.unpack_from('<I', exe, 0x3c)[0]
    if exe[pe:pe + 4] != b'PE\0\0':
        return None, []
    machine, count, _, symbols, symbol_count, optional_size = struct.unpack_from('<HHIIIH', exe, pe + 4)
    strings = symbols + 18 * symbol_count
    table = pe + 24 + optional_size
    names = []
    for i in range(count):
        name = exe[table + 40 * i:table + 40 * i + 8].rstrip(b'\0')
        if name.startswith(b'/'):  # a long name, such as .debug_info, sits in the string table
            start = strings + int(name[1:])
            name = exe[start:exe.index(b'\0', start)]
        names.append(name.decode('latin-1'))
    return machine, names


def problems(path):
    version = re.search(r'Pelmar-([0-9.]+)-win32\.zip$', path)
    if not version:
        yield 'the package name is not Pelmar-<version>-win32.zip'
        return
    version = version.group(1)
    with zipfile.ZipFile(path) as package:
        names = set(package.namelist())
        if names != FILES:
            yield 'holds %s, not %s' % (sorted(names), sorted(FILES))
            return
        files = {name: package.read(name) for name in names}
    for name in ('Pelmar.exe', 'pelmar-cli.exe'):
        machine, sections = pe_sections(files[name])
        if machine != I386:
            yield '%s is not a 32-bit x86 program' % name
        unstripped = [s for s in sections if s.startswith('.debug')]
        if unstripped:
            yield '%s still has debug sections %s' % (name, unstripped)
    if len(files['Pelmar.exe']) > PELMAR_BUDGET:
        yield 'Pelmar.exe has %d bytes, more than %d' % (len(files['Pelmar.exe']), PELMAR_BUDGET)
    quad = '.'.join((version.split('.') + ['0', '0'])[:3] + ['0'])
    for text in ('Pelmar  Version ' + version, quad):
        if text.encode('utf-16-le') not in files['Pelmar.exe']:
            yield 'Pelmar.exe lacks "%s" in its resources' % text
    readme = files['README.txt'].decode('utf-8')
    if '## Using Pelmar' not in readme or '## Building' in readme or '\r\n' not in readme:
        yield 'README.txt is not the user part of the README with Windows line ends'


def main():
    found = list(problems(sys.argv[1]))
    for problem in found:
        print('%s: %s' % (os.path.basename(sys.argv[1]), problem))
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
