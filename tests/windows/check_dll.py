#!/usr/bin/env python3
"""Static checks of the cross-built DQX7460.dll, whose 32-bit form cannot run here.

- The header compiles before and after windows.h, as C and C++, for both targets.
- The 32-bit export table is exports_i686.txt row for row (ordinal base 1, nothing else),
  every 32-bit export removes its argument bytes (each `ret $N` of its body), and the
  mangled names demangle to the signatures listed there.
- The 64-bit export table holds the same ordinals under the plain names, and the hook.
- Both DLLs import Windows system DLLs only.
- The probe, linked through DQX7460.lib, imports what the program imports: ordinals 1, 3,
  8, 9, 11, 12, 19, 20, 26, 28, 29 and the decorated names of ordinals 38 and 44 (32-bit),
  or plain names the 64-bit DLL exports.
"""
import argparse
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
HEADER_DIR = HERE.parent.parent / "devlib" / "include"
TRIPLETS = {"i686": "i686-w64-mingw32", "x86_64": "x86_64-w64-mingw32"}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll"}
PROGRAM_ORDINALS = {1, 3, 8, 9, 11, 12, 19, 20, 26, 28, 29}
PROGRAM_NAMES = {"_DQX7460_DeviceGetFeatures@8", "_DQX7460_MAIBinaryIn@8"}
HOOK_SETTER = "dqx7460_set_message_hook"

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def run(command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def expected_table():
    rows = {}
    for line in (HERE / "exports_i686.txt").read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        ordinal, name, argument_bytes, *signature = line.split(" ", 3)
        rows[int(ordinal)] = (name, int(argument_bytes), signature[0] if signature else None)
    return rows


def plain_name(exported):
    return re.match(r"^[_?]?(DQX7460_[A-Za-z0-9]+)", exported).group(1)


class Pe:
    """What `objdump -p` and `objdump -d` tell about one module."""

    def __init__(self, arch, path):
        self.arch = arch
        self.path = path
        text = run([TRIPLETS[arch] + "-objdump", "-p", str(path)])
        self.image_base = int(re.search(r"^ImageBase\s+([0-9a-f]+)", text, re.M).group(1), 16)
        self.exports = {}  # ordinal -> name
        self.export_rvas = {}  # ordinal -> rva
        self.export_counts = ()
        self.module_name = None
        self.imports = {}  # dll (lower case) -> set of ordinals (int) and names (str)
        section = None
        base = None
        dll = None
        for line in text.splitlines():
            if line.startswith("Number in:"):
                section = "counts"
                continue
            if line.startswith("Table Addresses"):
                section = None
                continue
            module = re.match(r"^Name\s+[0-9a-f]+ (\S+)$", line)
            if module:
                self.module_name = module.group(1)
                continue
            if line.startswith("Export Address Table -- Ordinal Base"):
                base = int(line.split()[-1])
                section = "rvas"
                continue
            if line.startswith("[Ordinal/Name Pointer] Table"):
                section = "names"
                continue
            named = re.match(r"^\s*DLL Name: (\S+)", line)
            if named:
                dll = named.group(1).lower()
                self.imports[dll] = set()
                section = "imports"
                continue
            if not line.strip():
                if section != "imports":
                    section = None
                continue
            if section == "counts":
                self.export_counts += (int(line.split()[-1], 16),)
            elif section == "rvas":
                row = re.match(r"^\s*\[\s*\d+\] \+base\[\s*(\d+)\]\s+([0-9a-f]+) Export RVA", line)
                if row:
                    self.export_rvas[int(row.group(1))] = int(row.group(2), 16)
            elif section == "names":
                row = re.match(r"^\s*\[\s*(\d+)\] (\S+)$", line)
                if row:
                    self.exports[int(row.group(1)) + base] = row.group(2)
            elif section == "imports":
                row = re.match(r"^\s*([0-9a-f]+)\s+(\d+)\s+(\S+)", line)
                if row and row.group(3) == "<none>":
                    self.imports[dll].add(int(row.group(2)))
                elif row:
                    self.imports[dll].add(row.group(3))
                elif not line.startswith("\tvma:"):
                    section = None
        self.ordinal_base = base

    def returns_by_function(self):
        """Start address -> the operands of every `ret` of the function starting there."""
        text = run([TRIPLETS[self.arch] + "-objdump", "-d", "--no-show-raw-insn", str(self.path)])
        functions = {}
        current = None
        for line in text.splitlines():
            label = re.match(r"^([0-9a-f]+) <.+>:$", line)
            if label:
                current = functions.setdefault(int(label.group(1), 16), [])
                continue
            instruction = re.match(r"^\s*[0-9a-f]+:\s+ret\s*(\$0x[0-9a-f]+)?", line)
            if instruction and current is not None:
                operand = instruction.group(1)
                current.append(int(operand[1:], 16) if operand else 0)
        return functions


def check_header(workdir):
    for arch, triplet in TRIPLETS.items():
        for compiler, standard in (("gcc", "c99"), ("gcc", "c11"), ("g++", "c++11"), ("g++", "c++17")):
            for first, second in (("<windows.h>", '"DQX7460.h"'), ('"DQX7460.h"', "<windows.h>")):
                source = workdir / ("order." + ("c" if compiler == "gcc" else "cpp"))
                source.write_text(
                    f"#include {first}\n#include {second}\n"
                    "LONG DQX7460_CALL DQX7460_DeviceOpen(ULONG deviceNumber, HANDLE* handle);\n"
                    "HANDLE handleValue;\nWORD wordValue;\nULONG ulongValue;\n")
                result = subprocess.run(
                    [f"{triplet}-{compiler}", f"-std={standard}", "-Wall", "-Wextra", "-Werror",
                     "-pedantic-errors", "-fsyntax-only", "-I", str(HEADER_DIR), str(source)],
                    capture_output=True, text=True)
                check(result.returncode == 0,
                      f"header {first} then {second}, {arch} {standard}:\n{result.stderr}")


def check_imports_are_system(dll):
    for name in dll.imports:
        check(name in SYSTEM_DLLS, f"{dll.arch} DLL imports {name}, not a Windows system DLL")


def check_i686(build, undname):
    expected = expected_table()
    dll = Pe("i686", build / "DQX7460.dll")
    check(dll.module_name == "DQX7460.dll", f"i686 module name {dll.module_name}")
    check(dll.ordinal_base == 1, f"i686 ordinal base {dll.ordinal_base}, not 1")
    check(dll.export_counts == (len(expected), len(expected)),
          f"i686 export counts {dll.export_counts}, not {len(expected)} addresses and names")
    for ordinal in sorted(set(expected) | set(dll.exports)):
        want = expected.get(ordinal, (None,))[0]
        check(dll.exports.get(ordinal) == want,
              f"i686 ordinal {ordinal}: exported {dll.exports.get(ordinal)}, expected {want}")

    returns = dll.returns_by_function()
    for ordinal, (name, argument_bytes, signature) in sorted(expected.items()):
        if ordinal not in dll.export_rvas:
            continue
        found = returns.get(dll.image_base + dll.export_rvas[ordinal])
        check(found is not None and found and all(n == argument_bytes for n in found),
              f"i686 {name}: returns {found}, expected every one to be ret {argument_bytes}")
        if signature:
            demangled = run([undname, name]).strip().splitlines()[-1]
            normal = lambda text: re.sub(r"\s*\*", "*", text)
            check(normal(demangled) == normal(signature),
                  f"{name} demangles to '{demangled}', expected '{signature}'")
    check_imports_are_system(dll)

    probe = Pe("i686", build / "dll_probe.exe")
    imported = probe.imports.get("dqx7460.dll", set())
    check(imported == PROGRAM_ORDINALS | PROGRAM_NAMES,
          f"i686 probe imports {sorted(map(str, imported))}, not the program's imports")
    for entry in imported:
        check(entry in dll.exports if isinstance(entry, int) else entry in dll.exports.values(),
              f"i686 probe's import {entry} is not exported")


def check_x86_64(build):
    expected = {ordinal: plain_name(name) for ordinal, (name, _, _) in expected_table().items()}
    expected[len(expected) + 1] = HOOK_SETTER
    dll = Pe("x86_64", build / "DQX7460.dll")
    check(dll.module_name == "DQX7460.dll", f"x86_64 module name {dll.module_name}")
    check(dll.ordinal_base == 1, f"x86_64 ordinal base {dll.ordinal_base}, not 1")
    check(dll.exports == expected,
          f"x86_64 exports differ: {sorted(set(dll.exports.items()) ^ set(expected.items()))}")
    check_imports_are_system(dll)
    probe = Pe("x86_64", build / "dll_probe.exe")
    for entry in probe.imports.get("dqx7460.dll", set()):
        check(entry in dll.exports.values(), f"x86_64 probe's import {entry} is not exported")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", type=pathlib.Path, help="build-windows folder")
    args = parser.parse_args()
    undname = shutil.which("llvm-undname") or shutil.which("llvm-undname-14")
    if not undname:
        sys.exit("llvm-undname is missing (Debian package llvm-14)")
    with tempfile.TemporaryDirectory() as workdir:
        check_header(pathlib.Path(workdir))
    check_i686(args.build / "i686", undname)
    check_x86_64(args.build / "x86_64")
    for failure in failures:
        print("FAILED:", failure)
    print("Windows DLL checks:", "all passed" if not failures else f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
