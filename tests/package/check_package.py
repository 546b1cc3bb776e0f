#!/usr/bin/env python3
"""Checks a release package built by scripts/package.sh: it holds exactly the five shipped files, both
programs are stripped 32-bit x86 programs, Pelmar.exe stays within its size budget and carries the
package's version in its version resource and About box, and README.txt is the user part of the
README. With --run (in a running Wine session: DISPLAY and WINEPREFIX set) it also unpacks the package
and runs what it holds: Pelmar.exe starts, shows its window and ends cleanly when asked to close, and
pelmar-cli.exe encrypts and decrypts the shipped list back to its bytes.
Usage: check_package.py [--run] build/Pelmar-<version>-win32.zip. Exit status 1 lists what is wrong."""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

FILES = {'Pelmar.exe', 'pelmar-cli.exe', 'Pelmar.html', 'List.txt', 'README.txt'}
# The budget grew from 400 KiB with the CSV import, entries keeping their bytes and the outside-change check,
# and to 512 KiB with the hot key, Find, key sequences and the rules per program (with their dialogs).
PELMAR_BUDGET = 512 * 1024
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


# Starting a program under Wine on a loaded machine can take a while.
START_TIMEOUT = 120


def wait_until(cond, timeout):
    deadline = time.monotonic() + timeout
    while not cond():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.1)
    return True


def wine(*args, cwd):
    """Runs a program under Wine to its end; output through a file, never a pipe that Wine's services
    could hold open."""
    with tempfile.TemporaryFile() as out:
        rc = subprocess.call(['wine', *args], cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                             stdin=subprocess.DEVNULL, timeout=120)
        out.seek(0)
        return rc, out.read().decode('utf-8', 'replace').replace('\r', '')


def pelmar_window_shown():
    return subprocess.call(['xdotool', 'search', '--onlyvisible', '--name', '^Pelmar$'],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) == 0


def run_problems(folder):
    """Runs the unpacked programs once each."""
    program = subprocess.Popen(['wine', 'Pelmar.exe'], cwd=folder, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        if not wait_until(lambda: pelmar_window_shown() or program.poll() is not None, START_TIMEOUT) \
                or not pelmar_window_shown():
            yield 'Pelmar.exe showed no window (exit status %s)' % program.poll()
            return
        # Without /f Wine's taskkill asks the program's windows to close, as the user would.
        wine('taskkill', '/im', 'Pelmar.exe', cwd=folder)
        try:
            status = program.wait(timeout=START_TIMEOUT)
        except subprocess.TimeoutExpired:
            yield 'Pelmar.exe did not end when asked to close'
            return
        if status != 0:
            yield 'Pelmar.exe ended with status %d' % status
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()
    steps = (('encrypt', 'List.txt', 'List.ple'), ('decrypt', 'List.ple', 'Back.txt'))
    for command, source, target in steps:
        rc, output = wine('pelmar-cli.exe', command, source, target, '--password', 'Pack4ge', cwd=folder)
        if rc != 0:
            yield 'pelmar-cli.exe %s ended with status %d: %s' % (command, rc, output.strip())
            return
    with open(os.path.join(folder, 'List.txt'), 'rb') as original, \
            open(os.path.join(folder, 'Back.txt'), 'rb') as back:
        if original.read() != back.read():
            yield 'pelmar-cli.exe encrypt then decrypt did not give List.txt back'


def main():
    args = sys.argv[1:]
    run = args[:1] == ['--run']
    path = args[-1]
    found = list(problems(path))
    if run and not found:
        folder = tempfile.mkdtemp(prefix='pelmar-package-')
        try:
            with zipfile.ZipFile(path) as package:
                package.extractall(folder)
            found = list(run_problems(folder))
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    for problem in found:
        print('%s: %s' % (os.path.basename(path), problem))
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
