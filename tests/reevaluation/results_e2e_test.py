#!/usr/bin/env python3
"""velmora-results end to end: dqx7460-sim serves the rig, velmora-headless runs and saves whole
tests on it over the real sockets, and velmora-results evaluates them again from their files.

On an archive and on its CSV alone it must give exactly the values and notes of the CSV's
result block, in all three formats; over a folder of one series with one specimen excluded,
the statistics this script computes from the printed values.

Usage: results_e2e_test.py DQX7460_SIM VELMORA_HEADLESS VELMORA_RESULTS
"""
import csv
import io
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile
import time

SIM, HEADLESS, RESULTS = sys.argv[1:4]
# Generous for AddressSanitizer builds on a crowded machine.
RUN_TIMEOUT_S = 120
# t(0.975) for 1..4 degrees of freedom.
T975 = [12.706204736, 4.302652730, 3.182446305, 2.776445105]

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL " + what, flush=True)
    return condition


def wait_until(condition, timeout_s, what):
    """Polls the condition until it holds or the bound passes."""
    deadline = time.monotonic() + timeout_s
    while not condition():
        if time.monotonic() > deadline:
            raise RuntimeError("timed out waiting for " + what)
        time.sleep(0.01)


# The table's language follows the locale where --lang is not given: Chinese here, whatever
# the machine's own locale, unless a check sets it.
CHINESE_LOCALE = {"LC_ALL": "C.UTF-8", "LC_MESSAGES": "", "LANG": "C.UTF-8"}


def results(*args, locale=None):
    environment = dict(os.environ, **(locale or CHINESE_LOCALE))
    return subprocess.run([RESULTS, *args], capture_output=True, timeout=RUN_TIMEOUT_S,
                          env=environment)


def has_chinese(text):
    return any("\u3000" <= c <= "\u9fff" or "\uff00" <= c <= "\uffef" for c in text)


def block_of(csv_path):
    """The CSV's result block: [(name, value text, unit)] and the notes."""
    with open(csv_path, encoding="utf-8-sig", newline="") as f:
        rows = list(csv.reader(f))
    values, notes = [], []
    for row in rows:
        if row[0] == "结果":
            values.append((row[1], row[2], row[3]))
        elif row[0] == "说明":
            notes.append(row[1])
        else:
            break
    return values, notes


def number(text):
    return float(text) if text != "" else None


def expect_block(test, values, notes, what):
    printed = [(r["name"], r["value"], r["unit"]) for r in test["results"]]
    check([p[0] for p in printed] == [v[0] for v in values], what + ": the block's names")
    for (name, value, unit), (pname, pvalue, punit) in zip(values, printed):
        check(pvalue == number(value) and punit == unit,
              "%s: %s is %r %s, the block says %r %s" % (what, name, pvalue, punit, value, unit))
    check(test["notes"] == notes, what + ": the block's notes %r, printed %r" % (notes, test["notes"]))


def expect_table(table, values, what):
    """Each block line appears as an aligned table row: name, value ('-' for none), unit."""
    lines = [line.split() for line in table.splitlines() if line.startswith("  ")]
    for name, value, unit in values:
        fields = name.split() + [value or "-"] + unit.split()
        check(fields in lines, what + ": table row " + " ".join(fields))


def main():
    scratch = tempfile.mkdtemp(prefix="vr-e2e-", dir="/tmp")
    driver = os.path.join(scratch, "drv")
    os.mkdir(driver, 0o700)
    work = os.path.join(scratch, "work")
    os.mkdir(work)
    environment = dict(os.environ, DQX7460_DRIVER_DIR=driver, QT_QPA_PLATFORM="offscreen")
    sim = subprocess.Popen([SIM, "--dir", driver, "--time-scale", "2"], env=environment,
                           stdout=subprocess.DEVNULL)
    try:
        wait_until(lambda: os.path.exists(os.path.join(driver, "EZUSB-0")) and
                   os.path.exists(os.path.join(driver, "dqx7460-sim.ctl")), 20, "the simulator")
        archives = []
        for n in range(1, 6):
            # The last run corrects the crosshead by the simulated load train's compliance.
            options = ["--compliance", "0.04"] if n == 5 else []
            # The third run in English, by the locale: its printed results follow, its files
            # do not. The fourth keeps Chinese by --lang in the same locale.
            english_locale = {"LC_ALL": "", "LC_MESSAGES": "", "LANG": "en_GB.UTF-8"}
            run_environment = dict(environment, **english_locale) if n in (3, 4) else environment
            if n == 4:
                options = ["--lang", "zh"]
            run = subprocess.run([HEADLESS, "--name", "E2E%d" % n, *options], cwd=work,
                                 env=run_environment, capture_output=True, timeout=RUN_TIMEOUT_S)
            output = run.stdout.decode("utf-8", "replace")
            if not check(run.returncode == 0, "velmora-headless run %d: %s%s" %
                         (n, output, run.stderr.decode("utf-8", "replace"))):
                return
            archives.append(next(line.split(None, 1)[1] for line in output.splitlines()
                                 if line.startswith("Archive:")))
            printed = output.split("Results:")[1].split("Archive:")[0]
            if n == 3:
                check("  Max force Fm " in printed and "  (Extensometer: none" in printed and
                      not has_chinese(printed), "velmora-headless in an English locale: " + output)
            if n == 4:
                check("  最大力 " in printed, "velmora-headless --lang zh: " + output)
    finally:
        subprocess.run([SIM, "--dir", driver, "--send", "quit"], env=environment,
                       capture_output=True, timeout=30)
        try:
            sim.wait(timeout=30)
        except subprocess.TimeoutExpired:
            sim.kill()
            sim.wait()

    # One test: the archive, and its CSV alone in a folder of its own, in every format.
    archive = archives[0]
    base = archive[:-4]
    values, notes = block_of(base + ".csv")
    check(any(name == "断裂判定记录" and value != "" for name, value, _ in values),
          "the block names the break record")
    check(any(name == "最大力 Fm" for name, _, _ in values), "the block gives 最大力 its symbol")
    alone = os.path.join(scratch, "alone")
    os.mkdir(alone)
    lone_csv = os.path.join(alone, os.path.basename(base) + ".csv")
    shutil.copy(base + ".csv", lone_csv)
    for path, source in ((archive, "archive"), (lone_csv, "csv")):
        run = results("--format", "json", path)
        check(run.returncode == 0, "%s: exit %d %s" % (path, run.returncode, run.stderr))
        document = json.loads(run.stdout.decode("utf-8"))
        check(len(document["tests"]) == 1 and document["statistics"] is None,
              source + ": one test, no statistics")
        test = document["tests"][0]
        check(test["source"] == source and test["file"] == path, source + ": its file")
        expect_block(test, values, notes, source + " as JSON")
        table = results(path)
        check(table.returncode == 0, source + ": table exit %d" % table.returncode)
        expect_table(table.stdout.decode("utf-8"), values, source + " as a table")
        as_csv = results("--format", "csv", path).stdout.decode("utf-8")
        rows = [r for r in csv.reader(io.StringIO(as_csv, newline=""))][1:]
        printed = [(r[2], r[3], r[4]) for r in rows if r[2] not in ("说明", "命令行", "已排除")]
        check(printed == values, source + " as CSV: the block's lines")

    english_names = [name for name, _, _ in block_of(archives[2][:-4] + ".csv")[0]]
    check(english_names == [name for name, _, _ in values],
          "the English run's CSV names its results in Chinese: %r" % english_names)
    # English is the table's only: its labels and notes with their symbols and numbers; the
    # Chinese table, the CSV and the JSON are the same bytes whatever the language.
    chinese = results(archive).stdout
    check(results("--lang", "zh", archive, locale={"LANG": "en_US.UTF-8", "LC_ALL": ""}).stdout
          == chinese, "--lang zh: the default table")
    english = results("--lang", "en", archive).stdout.decode("utf-8")
    for label in ("Item", "Tensile strength Rm", "Max force Fm", "Modulus of elasticity E",
                  "Elongation after fracture A", "Notes:", "Fracture at record ", "Break record"):
        check(label in english, "the English table has %r" % label)
    check(not has_chinese(english.replace(archive, "")), "English only but the path:\n" + english)
    check([line.split()[-2:] for line in english.splitlines() if "Rm" in line] ==
          [line.split()[-2:] for line in chinese.decode("utf-8").splitlines() if "Rm" in line],
          "Rm's value and unit in both")
    for form in ("csv", "json"):
        check(results("--lang", "en", "--format", form, archive).stdout ==
              results("--format", form, archive).stdout, form + ": the same in English")
    by_locale = results(archive, locale={"LC_ALL": "", "LC_MESSAGES": "", "LANG": "en_GB.UTF-8"})
    check(by_locale.stdout.decode("utf-8") == english, "an English locale: the English table")
    check(results(archive, locale={"LC_ALL": "C", "LANG": "en_GB.UTF-8"}).stdout == chinese,
          "LC_ALL decides before LANG")
    # The help and the command line's refusals follow the same rule.
    help_en = results("--help", locale={"LC_ALL": "", "LANG": "en_GB.UTF-8"}).stdout.decode("utf-8")
    check(help_en.startswith("Usage: velmora-results [options]") and not has_chinese(help_en),
          "--help in English:\n" + help_en)
    check(results("--help").stdout.decode("utf-8").startswith("用法：velmora-results [选项]"),
          "--help in Chinese")
    refusal = results("--lang", "en", "--fit-range", "40-10", archive)
    check(refusal.returncode == 2 and refusal.stderr.decode("utf-8").startswith(
        "velmora-results: --fit-range must be LOW-HIGH with 0 < LOW < HIGH <= 100: 40-10\nUsage:"),
        "a refusal in English: " + refusal.stderr.decode("utf-8"))
    # A file it refuses says why in the same language.
    junk = os.path.join(scratch, "junk.dat")
    with open(junk, "wb") as f:
        f.write(b"not an archive")
    run = results("--lang", "en", archive, junk)
    said = run.stderr.decode("utf-8")
    check(run.returncode == 1 and junk in said and not has_chinese(said.replace(junk, "")),
          "a refused file in English: " + said)

    # The rig's frame and grips give 0.04 mm/N of the crosshead's travel: uncorrected, the
    # modulus of its 10 N/mm wire (S0 0.05 mm², L0 100 mm: 20,000 MPa) comes out far too low;
    # corrected, within 3 %. The CSV alone gives the corrected results too.
    modulus = lambda path: next(number(v) for name, v, _ in block_of(path[:-4] + ".csv")[0]
                                if name == "弹性模量 E")
    check(modulus(archives[0]) < 0.8 * 20000, "uncorrected E %r" % modulus(archives[0]))
    check(abs(modulus(archives[4]) - 20000) < 0.03 * 20000,
          "compliance-corrected E %r" % modulus(archives[4]))
    corrected_values, corrected_notes = block_of(archives[4][:-4] + ".csv")
    check(("加载链柔度 C", "0.04", "mm/N") in corrected_values, "the block names the compliance")
    corrected_alone = os.path.join(scratch, "corrected")
    os.mkdir(corrected_alone)
    shutil.copy(archives[4][:-4] + ".csv", corrected_alone)
    test = json.loads(results("--format", "json", corrected_alone).stdout.decode("utf-8"))
    expect_block(test["tests"][0], corrected_values, corrected_notes, "corrected CSV alone")

    # The command line overrides the files and says so.
    run = results("--format", "json", "--area", "0.1", "--fit-range", "5-35", archive)
    test = json.loads(run.stdout.decode("utf-8"))["tests"][0]
    check(test["from_command_line"] == ["横截面积 S0 = 0.1 mm²", "弹性段拟合区间 = 5 %–35 %"],
          "the values from the command line: %r" % test["from_command_line"])
    check(test["results"][0]["value"] == 0.1 and test["fit_range"] == [5, 35],
          "S0 and the fit range from the command line")
    # A refused file still prints the others; a line it cannot take prints nothing.
    run = results("--format", "json", archive, os.path.join(scratch, "missing.dat"))
    document = json.loads(run.stdout.decode("utf-8"))
    check(run.returncode == 1 and len(document["tests"]) == 1 and
          len(document["refused"]) == 1, "a refused file: exit 1, the other printed")
    run = results("--format", "yaml", archive)
    check(run.returncode == 2 and run.stdout == b"", "a bad format: exit 2")

    # A series: four specimens, the second excluded; a fifth test of another series.
    for n, path in enumerate(archives, start=1):
        with open(path[:-4] + ".ini", encoding="utf-8") as f:
            lines = f.read().split("\n")
        series = ["Series=E2E 钢丝", "SpecimenNo=%d" % n] if n <= 4 else ["Series=其他",
                                                                        "SpecimenNo=1"]
        if n == 2:
            series.append('Excluded=夹持处断裂, "重做"')
        with open(path[:-4] + ".ini", "w", encoding="utf-8") as f:
            f.write("\n".join(lines[:3] + series + lines[3:]))
    run = results("--format", "json", "--series", "E2E 钢丝", os.path.dirname(archive))
    check(run.returncode == 0, "the series: exit %d %s" % (run.returncode, run.stderr))
    document = json.loads(run.stdout.decode("utf-8"))
    tests = document["tests"]
    check(sorted(t["specimen_id"] for t in tests) == ["E2E 钢丝-01", "E2E 钢丝-02", "E2E 钢丝-03",
                                                     "E2E 钢丝-04"], "the series' four specimens")
    statistics = document["statistics"]
    check([e["specimen_id"] for e in statistics["excluded"]] == ["E2E 钢丝-02"] and
          statistics["excluded"][0]["reason"] == '夹持处断裂, "重做"', "the excluded specimen")
    valid = [t for t in tests if t["excluded"] is None]
    for entry in statistics["results"]:
        sample = [r["value"] for t in valid for r in t["results"]
                  if r["name"] == entry["name"] and r["value"] is not None]
        what = "statistics of " + entry["name"]
        check(entry["n"] == len(sample), what + ": n")
        if not sample:
            check(entry["mean"] is None, what + ": no mean")
            continue
        mean = sum(sample) / len(sample)
        close = lambda a, b: a is not None and abs(a - b) <= 1e-9 * max(1.0, abs(b))
        check(close(entry["mean"], mean) and entry["minimum"] == min(sample) and
              entry["maximum"] == max(sample), what + ": mean, minimum, maximum")
        if len(sample) < 2:
            continue
        sd = math.sqrt(sum((v - mean) ** 2 for v in sample) / (len(sample) - 1))
        half = T975[len(sample) - 2] * sd / math.sqrt(len(sample))
        check(close(entry["deviation"], sd) and close(entry["confidence95"][0], mean - half) and
              close(entry["confidence95"][1], mean + half), what + ": deviation, interval")
        if mean != 0:
            check(close(entry["variation"], 100 * sd / abs(mean)), what + ": CV")
    check(any(e["name"] == "最大力 Fm" and e["n"] == 3 for e in statistics["results"]),
          "three valid specimens counted")
    table = results("--series", "E2E 钢丝", os.path.dirname(archive)).stdout.decode("utf-8")
    check("统计：3 个有效试样" in table and "已排除：E2E 钢丝-02" in table,
          "the table's statistics and exclusion")

    if not failures:
        shutil.rmtree(scratch, ignore_errors=True)
    else:
        print("files kept in " + scratch)


main()
sys.exit(1 if failures else 0)
