#!/usr/bin/python3
"""velmora-cli's exports run as the program, read back by programs other than ours.

    export_ics_reader_test.py reader  VELMORA_CLI CLI_CONTAINER
        A container with an old yearly lunar anniversary (农历1985年八月十五 每年)
        and some plans: the calendar export, read by python3-icalendar, has the
        anniversary's days of this year and next, each a 八月十五; a second
        export after a plan is added on an earlier day keeps every UID.
    export_ics_reader_test.py targets VELMORA_CLI CLI_CONTAINER
        Both exports onto a FIFO, a symbolic link, a dangling link, a hard-linked
        file and a read-only file: each is left exactly as it was and the
        command fails; "-" writes the file to standard output.

Exits 0 when every check holds; prints what did not otherwise.
"""
import datetime
import os
import stat
import subprocess
import sys
import tempfile

import icalendar

# 中秋节 of these years, from the published calendars.
MID_AUTUMN = {
    2024: datetime.date(2024, 9, 17),
    2025: datetime.date(2025, 10, 6),
    2026: datetime.date(2026, 9, 25),
    2027: datetime.date(2027, 9, 15),
    2028: datetime.date(2028, 10, 3),
    2029: datetime.date(2029, 9, 22),
    2030: datetime.date(2030, 9, 12),
    2031: datetime.date(2031, 10, 1),
    2032: datetime.date(2032, 9, 19),
    2033: datetime.date(2033, 9, 8),
    2034: datetime.date(2034, 9, 27),
    2035: datetime.date(2035, 9, 16),
}
LAST_LUNAR_YEAR = 2050

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def run(*args, stdin=subprocess.DEVNULL):
    return subprocess.run(list(args), stdin=stdin, capture_output=True, timeout=60)


def fill(container, data, *args):
    done = run(container, data, *args)
    if done.returncode != 0:
        sys.exit("cli_container failed: " + done.stderr.decode(errors="replace"))


def export(cli, data, command, target):
    return run(cli, "--data", data, command, target)


def components(text):
    try:
        calendar = icalendar.Calendar.from_ical(text)
    except ValueError as error:
        check(False, "not a calendar: %s" % error)
        return []
    return [c for c in calendar.walk() if c.name in ("VTODO", "VJOURNAL", "VEVENT")]


def event_days(event):
    days = [event.get("DTSTART").dt]
    rdates = event.get("RDATE")
    for listed in rdates if isinstance(rdates, list) else [rdates] if rdates else []:
        days += [d.dt for d in listed.dts]
    return days


def lunar_code(cli, day):
    """The lunar date code of `day` from velmora-cli day: 815 for 八月十五."""
    done = run(cli, "day", day.isoformat())
    return done.stdout.decode().split("\t")[1] if done.returncode == 0 else ""


def reader(cli, container):
    with tempfile.TemporaryDirectory() as data:
        fill(container, data, "lunar-yearly", "1985-08-15", "中秋团圆")
        fill(container, data, "plan", "2026-03-01", "春游")
        fill(container, data, "plan", "2026-03-01", "春游")  # the same task twice
        fill(container, data, "plan", "2027-01-01", "元旦聚餐")
        first_file = os.path.join(data, "first.ics")
        this_year = datetime.date.today().year
        done = export(cli, data, "export-ics", first_file)
        if not check(done.returncode == 0, "export-ics failed: " + done.stderr.decode()):
            return
        with open(first_file, "rb") as f:
            first = components(f.read())
        events = [c for c in first if c.name == "VEVENT"]
        if not check(len(events) == 1, "one anniversary event, found %d" % len(events)):
            return
        check(str(events[0].get("SUMMARY")) == "中秋团圆", "the anniversary's title")
        days = event_days(events[0])
        # The clock may have passed midnight of New Year's Eve meanwhile.
        years = {this_year, datetime.date.today().year}
        check(min(d.year for d in days) in years, "listed from this year: %s" % days[:3])
        check(max(d.year for d in days) == LAST_LUNAR_YEAR, "listed to %d" % LAST_LUNAR_YEAR)
        for year in (this_year, this_year + 1):
            found = [d for d in days if d.year == year]
            if not check(len(found) == 1, "one day in %d, found %s" % (year, found)):
                continue
            if year in MID_AUTUMN:
                check(found[0] == MID_AUTUMN[year], "%d: %s, not %s" % (year, found[0], MID_AUTUMN[year]))
            check(lunar_code(cli, found[0]) == "815", "%s is no 八月十五" % found[0])
        first_uids = [str(c.get("UID")) for c in first]
        check(len(set(first_uids)) == len(first_uids) == 4, "four different UIDs: %s" % first_uids)

        fill(container, data, "plan", "2020-01-01", "更早的计划")
        second_file = os.path.join(data, "second.ics")
        done = export(cli, data, "export-ics", second_file)
        check(done.returncode == 0, "second export-ics failed: " + done.stderr.decode())
        with open(second_file, "rb") as f:
            second_uids = [str(c.get("UID")) for c in components(f.read())]
        check(len(set(second_uids)) == len(second_uids) == 5, "five different UIDs: %s" % second_uids)
        lost = set(first_uids) - set(second_uids)
        check(not lost, "UIDs lost after a plan was added: %s" % sorted(lost))


def entry(path):
    """What stands at `path`, to tell that it was left exactly as it was."""
    info = os.lstat(path)
    content = b""
    if stat.S_ISREG(info.st_mode):
        with open(path, "rb") as f:
            content = f.read()
    link_to = os.readlink(path) if stat.S_ISLNK(info.st_mode) else ""
    return (info.st_ino, info.st_mode, info.st_nlink, info.st_size, info.st_mtime_ns, content, link_to)


def targets(cli, container):
    with tempfile.TemporaryDirectory() as data, tempfile.TemporaryDirectory() as out:
        fill(container, data, "lunar-yearly", "1985-08-15", "中秋团圆")
        fill(container, data, "plan", "2026-03-01", "春游")
        real = os.path.join(out, "real.ics")
        with open(real, "wb") as f:
            f.write(b"the real file")
        read_only = os.path.join(out, "read-only.ics")
        with open(read_only, "wb") as f:
            f.write(b"kept")
        os.chmod(read_only, 0o444)
        linked = os.path.join(out, "linked.ics")
        with open(linked, "wb") as f:
            f.write(b"linked")
        os.link(linked, os.path.join(out, "other-name.ics"))
        fifo = os.path.join(out, "fifo")
        os.mkfifo(fifo)
        link = os.path.join(out, "link.ics")
        os.symlink(real, link)
        dangling = os.path.join(out, "dangling.ics")
        os.symlink(os.path.join(out, "nowhere.ics"), dangling)
        cases = [(fifo, "命名管道"), (link, "符号链接"), (dangling, "符号链接"),
                 (linked, "硬链接"), (read_only, "只读")]
        for command in ("export-ics", "export-bookmarks"):
            for path, why in cases:
                before = entry(path)
                done = export(cli, data, command, path)
                message = done.stderr.decode(errors="replace")
                check(done.returncode != 0, "%s %s: exit 0" % (command, path))
                check(why in message, "%s %s: message %r" % (command, path, message))
                check(done.stdout == b"", "%s %s: printed %r" % (command, path, done.stdout))
                check(entry(path) == before, "%s %s: changed" % (command, path))
        check(not os.path.lexists(os.path.join(out, "nowhere.ics")), "the dangling link's file made")
        check(len(os.listdir(out)) == 7, "files left in the folder: %s" % sorted(os.listdir(out)))

        done = export(cli, data, "export-ics", "-")
        check(done.returncode == 0, "export-ics -: " + done.stderr.decode())
        check(len(components(done.stdout)) == 2, "export-ics - prints the calendar")
        done = export(cli, data, "export-bookmarks", "-")
        check(done.returncode == 0, "export-bookmarks -: " + done.stderr.decode())
        check(b"<!DOCTYPE NETSCAPE-Bookmark-file-1>" in done.stdout, "export-bookmarks - prints the file")
        check(not os.path.lexists(os.path.join(os.getcwd(), "-")), "a file named - was made")


def main():
    mode, cli, container = sys.argv[1:4]
    {"reader": reader, "targets": targets}[mode](cli, container)
    for failure in failures:
        print("FAILED: " + failure)
    print("%s: %s" % (mode, "failed" if failures else "all checks hold"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
