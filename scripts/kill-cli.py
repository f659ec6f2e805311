#!/usr/bin/env python3
"""Kills tokrenu-cli with SIGKILL in the middle of runs and checks that the journal brings every file back.

Each round makes a folder of FILES files, each with its own content, permission bits, DOS attributes (where
the file system keeps user extended attributes) and access and write times, and starts `tokrenu-cli --run`
on it with a format that renames every file and makes it read-only with new times, in place or into another
folder (on this disk, or on /dev/shm when it is another file system). At a random moment (seeded per round)
the process is killed with SIGKILL; some rounds kill the undo as well. Then:
- the next `tokrenu-cli --run` (no terminal, no --yes) is asked about the interrupted run and keeps the files
  as they are when told no, on some rounds: every original content is then still there exactly once, and the
  question does not come a second time;
- `tokrenu-cli --undo --yes` (repeated after a killed undo) puts the run back: every original content exists
  exactly once, every file is back under its old name with its old permission bits, DOS attributes and times,
  nothing else is left in the folders, and --history says the run was undone.
A failing round is printed and its folder kept.

Usage: scripts/kill-cli.py [--cli PATH] [--rounds N] [--files N] [--seed S]
"""
import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from collections import Counter

DOSATTRIB = "user.DOSATTRIB"
QUESTION = "終わる前に中断されました"
# Formats that rename every file and change its attributes and times; each gives a distinct name.
FORMATS = [
    '"k_" & name & setattr("+r") & setlastwritetime(now) & setlastaccesstime(now)',
    'fn & "_moved." & ex & setlastwritetime(now)',
    '"x" & name & setattr("+r")',
]


def supports_xattr(folder):
    probe = os.path.join(folder, "probe")
    with open(probe, "wb"):
        pass
    try:
        os.setxattr(probe, DOSATTRIB, b"0x20")
        return True
    except OSError:
        return False
    finally:
        os.remove(probe)


def read_quietly(path):
    """The content, read without touching the access time."""
    fd = os.open(path, os.O_RDONLY | os.O_NOATIME)
    try:
        chunks = []
        while chunk := os.read(fd, 65536):
            chunks.append(chunk)
        return b"".join(chunks)
    finally:
        os.close(fd)


def state_of(path, xattrs):
    st = os.lstat(path)
    attrib = None
    if xattrs:
        try:
            attrib = os.getxattr(path, DOSATTRIB)
        except OSError:
            attrib = None
    return (st.st_mode & 0o7777, attrib, int(st.st_atime), int(st.st_mtime))


def make_files(folder, count, rng, xattrs):
    """count files with their own content, permission bits, attributes and times; what each one is."""
    expected = {}
    for i in range(count):
        name = "file_%06d.dat" % i
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(b"content %d %d\n" % (i, rng.getrandbits(48)))
        os.chmod(path, rng.choice([0o644, 0o600, 0o640, 0o664]))
        if xattrs and rng.random() < 0.3:
            os.setxattr(path, DOSATTRIB, rng.choice([b"0x2", b"0x20", b"0x22", b"0x4"]))
        atime = rng.randrange(900_000_000, 1_600_000_000)
        mtime = rng.randrange(900_000_000, 1_600_000_000)
        os.utime(path, (atime, mtime))
        expected[name] = (read_quietly(path), state_of(path, xattrs))
    return expected


def files_below(*tops):
    found = {}
    for top in tops:
        for base, _, names in os.walk(top):
            for name in names:
                path = os.path.join(base, name)
                found[path] = read_quietly(path)
    return found


def contents_once(expected, tops):
    """What is wrong with the contents below the folders: each original exactly once, nothing else."""
    counts = Counter(files_below(*tops).values())
    problems = []
    for name, (content, _) in expected.items():
        if counts[content] != 1:
            problems.append("%s: its content is there %d times" % (name, counts[content]))
    originals = {content for content, _ in expected.values()}
    strangers = sum(n for content, n in counts.items() if content not in originals)
    if strangers:
        problems.append("%d files that are no original" % strangers)
    return problems


def cli_run(cli, args, env, timeout=600):
    return subprocess.run([cli] + args, env=env, stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)


def kill_at(cli, args, env, delay):
    """Starts the command and kills it after delay seconds; its exit status (negative when killed)."""
    proc = subprocess.Popen([cli] + args, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        proc.wait(timeout=delay)
    except subprocess.TimeoutExpired:
        proc.send_signal(signal.SIGKILL)
        proc.wait()
    return proc.returncode


def one_round(cli, seed, count, work, other_disk, run_seconds):
    rng = random.Random(seed)
    root = tempfile.mkdtemp(prefix="kill-%d-" % seed, dir=work)
    folder = os.path.join(root, "files")
    os.mkdir(folder)
    xattrs = supports_xattr(folder)
    expected = make_files(folder, count, rng, xattrs)
    env = dict(os.environ, XDG_STATE_HOME=os.path.join(root, "state"), XDG_DATA_HOME=os.path.join(root, "trash"),
               LC_ALL="C.UTF-8")

    where = rng.choice(["in place", "in place", "other folder", "other disk"] if other_disk else
                       ["in place", "other folder"])
    tops = [folder]
    options = ["--run", "--yes"]
    if where == "other folder":
        target = os.path.join(root, "sorted")
        options += ["--move-to", target]
        tops.append(target)
    elif where == "other disk":
        target = tempfile.mkdtemp(prefix="kill-%d-" % seed, dir=other_disk)
        options += ["--move-to", target]
        tops.append(target)
    fmt = rng.choice(FORMATS)
    # Mostly moments while files move (the later part of a run; the start reads the folder and writes the
    # plan), now and then any moment, or right at the start.
    delay = rng.choice([rng.uniform(0.0, 0.05), rng.uniform(0.0, run_seconds)] +
                       [rng.uniform(0.4 * run_seconds, run_seconds)] * 3)
    status = kill_at(cli, options + ["--", fmt, folder], env, delay)
    moved = count - sum(1 for name in expected if os.path.exists(os.path.join(folder, name)))
    report = {"seed": seed, "where": where, "delay": round(delay, 3), "status": status, "moved": moved}
    problems = []

    # Some rounds keep the files as they are: the question comes once, and nothing is lost or doubled.
    if where != "other disk" and rng.random() < 0.3:
        # Only a journal without its end mark is asked about: the kill may come after the mark.
        interrupted = " interrupted " in cli_run(cli, ["--history"], env).stdout.decode(errors="replace")
        empty = os.path.join(root, "empty")
        os.mkdir(empty)
        first = cli_run(cli, ["--run", "--", "name", empty], env)
        asked = QUESTION in first.stderr.decode(errors="replace")
        again = cli_run(cli, ["--run", "--", "name", empty], env)
        if QUESTION in again.stderr.decode(errors="replace"):
            problems.append("the question about the interrupted run came twice")
        if interrupted and moved > 0 and not asked:
            problems.append("no question about the interrupted run")
        if asked and not interrupted:
            problems.append("a question about a run that was not interrupted")
        problems += contents_once(expected, tops)
        report["kept"] = True

    # Some rounds kill the undo too, before the undo that must finish.
    if rng.random() < 0.3:
        undo_delay = rng.uniform(0.0, run_seconds)
        report["undo killed"] = round(undo_delay, 3)
        kill_at(cli, ["--undo", "--yes"], env, undo_delay)
    undo = cli_run(cli, ["--undo", "--yes"], env)
    report["undo status"] = undo.returncode
    if undo.returncode not in (0, 3):
        log = undo.stdout.decode(errors="replace").splitlines()
        failed = [line for k, line in enumerate(log) if k > 0 and "失敗" in line for line in (log[k - 1], line)]
        problems.append("undo ended with %d: %s %s" % (undo.returncode, undo.stderr.decode(errors="replace")[-400:],
                                                      failed[:6]))

    problems += contents_once(expected, tops)
    for name, (_, before) in expected.items():
        path = os.path.join(folder, name)
        if not os.path.lexists(path):
            problems.append("%s is not back" % name)
        elif state_of(path, xattrs) != before:
            problems.append("%s is back as %r, was %r" % (name, state_of(path, xattrs), before))
    left = sorted(set(files_below(*tops)) - {os.path.join(folder, name) for name in expected})
    if left:
        problems.append("left behind: %s" % left[:5])
    history = cli_run(cli, ["--history"], env).stdout.decode(errors="replace")
    if moved > 0 and "undone" not in history:
        problems.append("--history does not say the run was undone:\n" + history)

    if problems:
        print("FAIL", report, "format", fmt)
        for problem in problems[:20]:
            print("   ", problem)
        print("    kept in", root)
        return False, report
    shutil.rmtree(root)
    if where == "other disk":
        shutil.rmtree(tops[1], ignore_errors=True)
    return True, report


def time_whole_run(cli, count, work):
    """How long a whole run of count files takes here, so that the kills fall inside runs."""
    root = tempfile.mkdtemp(prefix="kill-time-", dir=work)
    folder = os.path.join(root, "files")
    os.mkdir(folder)
    make_files(folder, count, random.Random(0), False)
    env = dict(os.environ, XDG_STATE_HOME=os.path.join(root, "state"), LC_ALL="C.UTF-8")
    start = time.monotonic()
    cli_run(cli, ["--run", "--yes", "--", FORMATS[0], folder], env)
    seconds = time.monotonic() - start
    shutil.rmtree(root)
    return seconds


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--cli", default=os.path.join(here, "..", "build-release", "src", "cli", "tokrenu-cli"))
    parser.add_argument("--rounds", type=int, default=20)
    parser.add_argument("--files", type=int, default=20000)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    args = parser.parse_args()
    cli = os.path.abspath(args.cli)
    work = tempfile.mkdtemp(prefix="tokrenu-kill-")
    other_disk = None
    if os.path.isdir("/dev/shm") and os.stat("/dev/shm").st_dev != os.stat(work).st_dev:
        other_disk = tempfile.mkdtemp(prefix="tokrenu-kill-", dir="/dev/shm")
    run_seconds = max(time_whole_run(cli, args.files, work), 0.05)
    print("a whole run of %d files takes %.2f s; seeds from %d" % (args.files, run_seconds, args.seed))
    failures = 0
    cut = 0
    for k in range(args.rounds):
        ok, report = one_round(cli, args.seed + k, args.files, work, other_disk, run_seconds)
        failures += 0 if ok else 1
        cut += 1 if 0 < report["moved"] < args.files else 0
        print("round %d: %s" % (k + 1, report), flush=True)
    print("%d rounds, %d killed half way through the files, %d failed" % (args.rounds, cut, failures))
    if failures == 0:
        shutil.rmtree(work, ignore_errors=True)
    if other_disk:
        shutil.rmtree(other_disk, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
