#!/usr/bin/env python3
"""Runs tokrenu-cli over many small random folders and checks that nothing is lost.

Each round makes a folder of a few files whose names collide, chain, differ only in case or look like
options (sometimes with a link among them), picks a format and options at random (answers yes or no, trash
or not, renumbering, bulk, copy, a target folder on this disk or on /dev/shm, the files' own folder spelled
with ".", "..", a trailing slash or through a link, test instead of run), names the folder or each file,
sometimes sends a stop signal (once or twice) at a random moment, and then checks:
- the exit status is 0, 1 or 3 (or death by the signal sent twice);
- every file's content is still somewhere (only a file outside the plan may go, replaced with consent);
- nothing went to the trash when every question was answered no;
- each move or copy the log reports is on disk, and a file whose move failed is untouched;
- a test changes nothing, and no temporary file is left behind (but for a cycle's, when a signal stopped it).
A failing round is printed and its folder kept.

Usage: scripts/soak-cli.py [--cli PATH] [--rounds N] [--seed S]
"""
import argparse
import os
import random
import shutil
import signal
import subprocess
import tempfile
import time
from collections import Counter

NAMES = ["a.txt", "A.txt", "b.txt", "B.TXT", "a (2).txt", "a_1.txt", "1", "2", "3", "4", "10", "img_1.jpg",
         "img_2.jpg", "ä.txt", "ａ.txt", "x y.txt", ".hidden", "noext", "c.tar.gz", "z.txt", "Z.txt", "a", "b", "c",
         "d.", "e ", "same.txt", "ß.txt", "SS.txt", "--run", "--yes", "--no-recycle", "-x", "--"]
FORMATS = ['replace(replace(replace(name,"a","#"),"b","a"),"#","b")', 'lcase(name)', 'ucase(name)', '"same.txt"', 'fn & "." & ex', 'replace(name,"a","b")',
           'replace(name,"b","a")', '|n,1,n+1:0|', '|n,2,n+1:0|', '|n,0,n+1:0|', '|f:|_|n,1,n+1:0|.|e:|', '"a"',
           '"a.txt"', '"A.txt"', 'left(name,1)', 'name & "x"', '"img_" & name', 'mid(name,2)', '"1"', '"2"',
           '|n,3,n-1:0|', '"ａ.txt"', 'strconv(name,1)', 'strconv(name,2)', 'name', '"."', '"  "', '"x/y"',
           '"..\\\\a"', '"b.txt"', '"c"', 'fn', 'name & setattr("+h")', 'name & setattr("+r")',
           '"ro_" & name & setattr("+r")']
OUTSIDE = "../m/a.txt"  # a file in the target folder that is not part of the plan


def files_below(*tops):
    found = {}
    for top in tops:
        for base, _, files in os.walk(top):
            for name in files:
                path = os.path.join(base, name)
                if name.endswith(".trashinfo"):
                    continue
                if os.path.islink(path):
                    found[path] = b"->" + os.readlink(path).encode()
                else:
                    with open(path, "rb") as f:
                        found[path] = f.read()
    return found


def place(path):
    """The path with its folder resolved, as the files were found: a target may be spelled through a link."""
    return os.path.join(os.path.realpath(os.path.dirname(path)), os.path.basename(path))


def log_claims(log):
    """(source, destination or None when it failed) for every move or copy line of the log."""
    claims, source = [], None
    for line in log.split("\n"):
        if line.startswith("* /"):
            source = line[2:]
        elif source and line.startswith(("移動：", "コピー：", "移動:", "コピー:")):
            rest = line.split("：", 1)[1] if "：" in line else line.split(":", 1)[1]
            claims.append((source, None if rest == "失敗しました。" else place(rest)))
            source = None
    return claims


def one_round(cli, rng):
    root = tempfile.mkdtemp(dir="/var/tmp", prefix="tokrenu-soak-")
    folder = os.path.join(root, "d")
    trash = os.path.join(root, "xdg")
    os.mkdir(folder)
    os.mkdir(trash)
    contents = {}
    for name in rng.sample(NAMES, rng.randint(1, 8)):
        contents[name] = f"{name}|{rng.random()}".encode()
        with open(os.path.join(folder, name), "wb") as f:
            f.write(contents[name])
    symlinks = 0
    if rng.random() < 0.3:
        target, link = rng.choice(list(contents)), rng.choice(["lnk", "lnk.txt", "L"])
        if link not in contents:
            if rng.random() < 0.5:
                os.symlink(target, os.path.join(folder, link))
                symlinks += 1
            else:
                os.link(os.path.join(folder, target), os.path.join(folder, link))

    fmt = rng.choice(FORMATS)
    yes, recycle = rng.random() < 0.6, rng.random() < 0.5
    options = (["--yes"] if yes else []) + ["--recycle" if recycle else "--no-recycle"]
    options += [flag for flag, p in (("--renumber", 0.3), ("--multidest", 0.2), ("--copy", 0.2)) if rng.random() < p]
    other_disk = None
    if rng.random() < 0.1:
        other_disk = tempfile.mkdtemp(dir="/dev/shm", prefix="tokrenu-soak-")
        target = os.path.join(other_disk, "m")
        if rng.random() < 0.5:
            os.mkdir(target)
        options += ["--move-to", target]
    elif rng.random() < 0.15:
        # The files' own folder, spelled otherwise: the plan must still see one place.
        spelling = rng.choice(["/.", "/", "/../d", "/../d/.", "LINK"])
        if spelling == "LINK":
            os.symlink(folder, os.path.join(root, "lnkdir"))
            target = os.path.join(root, "lnkdir", rng.choice(["", "."]))
        else:
            target = folder + spelling
        options += ["--move-to", target]
    elif rng.random() < 0.2:
        target = os.path.join(root, "m")
        if rng.random() < 0.5:
            os.mkdir(target)
        if rng.random() < 0.5:
            os.makedirs(target, exist_ok=True)
            contents[OUTSIDE] = b"outside"
            with open(os.path.join(target, "a.txt"), "wb") as f:
                f.write(contents[OUTSIDE])
        options += ["--move-to", target]
    confirmless = rng.random() < 0.15
    if confirmless:
        options.append("--no-confirmation")
    action = "--test" if rng.random() < 0.1 else "--run"

    before = files_below(root, *([other_disk] if other_disk else []))
    # The trash and the journals of the runs stay with the round.
    env = dict(os.environ, XDG_DATA_HOME=trash, XDG_STATE_HOME=os.path.join(root, "state"), LC_ALL="C.UTF-8")
    # The folder itself, or each file by its name: after the format every argument is a path, whatever it
    # looks like.
    paths = ["--", fmt, folder] if rng.random() < 0.5 else [fmt] + sorted(os.listdir(folder))
    stop = rng.choice([signal.SIGINT, signal.SIGTERM, signal.SIGHUP]) if rng.random() < 0.1 else None
    twice = stop is not None and rng.random() < 0.3
    process = subprocess.Popen([cli, action] + options + paths, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, env=env, cwd=folder)
    if stop is not None:
        time.sleep(rng.random() * 0.03)
        process.send_signal(stop)
        if twice:
            time.sleep(0.002)
            if process.poll() is None:
                process.send_signal(stop)
    out, err = process.communicate(timeout=60)
    done = subprocess.CompletedProcess(process.args, process.returncode, out, err)
    log = done.stdout.decode(errors="replace")
    found = files_below(root, *([other_disk] if other_disk else []))
    present = list(found.values())

    bad = []
    # A signal before the handlers are in place, or a second one, ends the process by that signal.
    if done.returncode not in (0, 1, 3) and not (stop is not None and done.returncode == -stop):
        bad.append(f"exit status {done.returncode}")
    outside_may_go = not recycle and (yes or confirmless)
    for name, content in contents.items():
        if content not in present and not (name == OUTSIDE and outside_may_go):
            bad.append(f"lost {name}")
    if not yes and not confirmless and any(path.startswith(trash) for path in found):
        bad.append("trash used although every question was answered no")
    if action == "--run":
        claims = log_claims(log)
        # A file that breaks a cycle of names goes to a temporary name first and on from there.
        onward = {source: dest for source, dest in claims if os.path.basename(source).startswith(".tokrenu-cycle")}
        claims = [(source, onward.get(dest) or dest) for source, dest in claims if source not in onward]
        destinations = [dest for _, dest in claims if dest]
        for source, dest in claims:
            wanted = contents.get(os.path.relpath(source, folder))
            if wanted is None:
                continue
            if dest is None and source not in destinations and found.get(source) != wanted:
                bad.append(f"failed entry {source} changed")
            if dest is not None and destinations.count(dest) == 1 and found.get(dest) != wanted:
                bad.append(f"log says {source} -> {dest}, disk has {found.get(dest)!r}")
    elif found != before:
        bad.append("a test changed files")
    if stop is None and action == "--run" and done.returncode == 3 and "作業は中止されました" in log:
        bad.append("stopped without a signal")
    if sum(1 for content in present if content.startswith(b"->")) < symlinks:
        bad.append("symbolic link lost")
    # Only a stop in the middle of a cycle leaves a file waiting under its temporary name, as the log says.
    for path in found:
        name = os.path.basename(path)
        if name.startswith(".tokrenu-") and not (stop is not None and name.startswith(".tokrenu-cycle")):
            bad.append("temporary file left")
    if bad:
        print("FAIL", bad, "format", fmt, "options", options, "paths", paths[:3], "signal", stop, "twice", twice,
              "folder", root)
        print(log[-1500:])
        print(done.stderr.decode(errors="replace")[-800:])
    else:
        shutil.rmtree(root)
        if other_disk:
            shutil.rmtree(other_disk)
    return done.returncode, not bad


def main():
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--cli", default=os.path.join(top, "build-release", "src", "cli", "tokrenu-cli"))
    parser.add_argument("--rounds", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    statuses, failures = Counter(), 0
    for _ in range(args.rounds):
        status, ok = one_round(args.cli, rng)
        statuses[status] += 1
        failures += not ok
    print(f"{args.rounds} rounds, {failures} failed, exit statuses {dict(statuses)}")
    raise SystemExit(1 if failures else 0)


if __name__ == "__main__":
    main()
