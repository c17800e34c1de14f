#!/usr/bin/env python3
"""Every translation file under resources/translations is finished and current.

Each file's entries all carry a finished translation (none unfinished, obsolete or vanished),
and lupdate, run over the sources the build names for it into a copy of the file, finds
nothing new and nothing gone: the file holds exactly the texts the code shows. A file that no
lupdate project of the build names is itself left over.

Usage: translations_test.py <source dir> <build dir> <lupdate>
Exits 77 (skipped) when lupdate is missing.
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET


def messages(path):
    """{(context, source): (translation, type)} of a .ts file."""
    entries = {}
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            translation = message.find("translation")
            kind = translation.get("type", "") if translation is not None else "missing"
            text = translation.text if translation is not None else None
            entries[(name, message.findtext("source"))] = (text or "", kind)
    return entries


def projects(build):
    """(sources, include paths, .ts files) of each lupdate project the build generated."""
    found = []
    for path in glob.glob(os.path.join(build, "**", ".lupdate", "*_project.cmake"), recursive=True):
        values = dict(re.findall(r'set\((\w+) "([^"]*)"\)', open(path, encoding="utf-8").read()))
        # A target's own sources are named relative to the folder of its CMakeLists.txt.
        base = os.path.dirname(values.get("lupdate_project_file", ""))
        split = lambda key: [os.path.join(base, v) for v in values.get(key, "").split(";") if v]
        found.append((split("lupdate_sources"), split("lupdate_include_paths"),
                      split("lupdate_translations")))
    return found


def main():
    source, build, lupdate = sys.argv[1:4]
    if not shutil.which(lupdate) and not os.access(lupdate, os.X_OK):
        print(f"SKIP: lupdate not found ({lupdate}); install qt6-l10n-tools")
        return 77
    faults = []
    covered = set()
    with tempfile.TemporaryDirectory() as scratch:
        for sources, includes, ts_files in projects(build):
            copies = []
            for ts in ts_files:
                covered.add(os.path.realpath(ts))
                copy = os.path.join(scratch, os.path.basename(ts))
                shutil.copyfile(ts, copy)
                copies.append((ts, copy))
            command = [lupdate, "-silent", "-no-obsolete", "-locations", "none"]
            # Files the build generates (moc's) hold no texts, and exist only once built.
            sources = [path for path in sources
                       if os.path.exists(path) or not path.startswith(os.path.join(build, ""))]
            command += [f"-I{path}" for path in includes] + sources
            command += ["-ts"] + [copy for _, copy in copies]
            run = subprocess.run(command, capture_output=True, text=True)
            if run.returncode != 0:
                faults.append(f"lupdate failed: {run.stderr.strip()}")
                continue
            for ts, copy in copies:
                before, after = messages(ts), messages(copy)
                name = os.path.relpath(ts, source)
                for key in sorted(set(after) - set(before)):
                    faults.append(f"{name}: new text not in the file: {key}")
                for key in sorted(set(before) - set(after)):
                    faults.append(f"{name}: text no longer in the code: {key}")
    for ts in sorted(glob.glob(os.path.join(source, "resources", "translations", "*.ts"))):
        name = os.path.relpath(ts, source)
        if os.path.realpath(ts) not in covered:
            faults.append(f"{name}: no target's lupdate names this file")
        for key, (text, kind) in sorted(messages(ts).items()):
            if kind or not text.strip():
                faults.append(f"{name}: {kind or 'empty'} translation of {key}")
    for fault in faults:
        print("FAIL", fault)
    print(f"{len(covered)} translation files checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
