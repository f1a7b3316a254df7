#!/usr/bin/env python3
"""Plants one fault at a time in the engine and the model, rebuilds the unit
tests and runs them. Prints caught/planted per file and the surviving faults.
Faults that do not build are not counted. It edits the sources in place and
restores them, so run it on a copy of the tree, with its own build folder:

  git archive HEAD | tar -x -C /tmp/tree
  cmake -S /tmp/tree -B /tmp/tree-build -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS=-O0 \
        -DTARNWICK_BUILD_UI=OFF -DTARNWICK_E2E=OFF
  scripts/mutation-score.py /tmp/tree /tmp/tree-build [--list] [--only FILE]

The faults: flipped comparisons and logic, a dropped negation, swapped axes,
floors of 1 and 0 exchanged, signs swapped, error codes ignored, guards
(return, continue) and plain statements dropped (log lines excepted).
"""
import os
import re
import subprocess
import sys

TARGETS = [
    "src/engine/WindowPlacementController.cpp",
    "src/engine/PlacementRule.cpp",
    "src/engine/ScreenGeometry.cpp",
    "src/engine/AXHelpers.cpp",
    "src/app/AppModel.cpp",
]
# Test binaries, relative to the build folder.
TESTS = {"engine_tests": "tests/engine/engine_tests",
         "tarnwick_app_tests": "tests/app/tarnwick_app_tests"}

# (kind, pattern, replacement); each match position gives one fault.
OPERATORS = [
    ("comparison", r" < ", " <= "),
    ("comparison", r" <= ", " < "),
    ("comparison", r" > ", " >= "),
    ("comparison", r" >= ", " > "),
    ("comparison", r" == ", " != "),
    ("comparison", r" != ", " == "),
    ("logic", r" && ", " || "),
    ("logic", r" \|\| ", " && "),
    ("negation", r"\(!(?!=)", "("),
    ("axis", r"\.x\b", ".y"),
    ("axis", r"\.y\b", ".x"),
    ("axis", r"\bwidth\b", "height"),
    ("axis", r"\bheight\b", "width"),
    ("axis", r"MinX\b", "MinY"),
    ("axis", r"MinY\b", "MinX"),
    ("axis", r"Width\(", "Height("),
    ("axis", r"Height\(", "Width("),
    ("floor", r", 1\)", ", 0)"),
    ("floor", r", 0\)", ", 1)"),
    ("constant", r"0\.5\b", "1.0"),
    ("arithmetic", r" - ", " + "),
    ("arithmetic", r" \+ ", " - "),
    ("error code", r"!= kAXErrorSuccess", "!= kAXErrorSuccess && false"),
    ("error code", r"== kAXErrorSuccess", "== kAXErrorSuccess || true"),
]
# Whole-line faults: a dropped guard or a dropped call.
DROP_LINE = re.compile(r"^\s*(return( std::nullopt| false)?;|continue;)\s*$")
DROP_STATEMENT = re.compile(r"^\s*(emit \w+\(\)|[a-z_][\w]*(->|\.|\s*=[^=]|\())[^;]*;\s*$")


def mutants(path, text):
    lines = text.split("\n")
    for i, line in enumerate(lines):
        stripped = line.strip()
        if (not stripped or stripped.startswith(("//", "#", "*")) or "static_assert" in line
                or stripped.startswith('"')):
            continue
        code = line.split("//")[0]
        for kind, pattern, replacement in OPERATORS:
            for m in re.finditer(pattern, code):
                new = line[:m.start()] + re.sub(pattern, replacement, m.group(0)) + line[m.end():]
                yield kind, i, line, new
        if DROP_LINE.match(line):
            yield "guard", i, line, ""
        elif (DROP_STATEMENT.match(line) and i > 0
              and lines[i - 1].rstrip().endswith((";", "{", "}", ""))
              and "reserve(" not in line and "log_." not in line
              and not line.strip().startswith("qC")):
            yield "statement", i, line, ""


def run(cmd, cwd=None, env=None, timeout=600):
    return subprocess.run(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, timeout=timeout)


def main():
    tree, build = sys.argv[1], sys.argv[2]
    only = sys.argv[sys.argv.index("--only") + 1] if "--only" in sys.argv else None
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    files = [f for f in TARGETS if os.path.exists(os.path.join(tree, f)) and (not only or only in f)]
    plan = []
    for f in files:
        text = open(os.path.join(tree, f)).read()
        plan += [(f, *m) for m in mutants(f, text)]
    if "--list" in sys.argv:
        for f, kind, i, old, new in plan:
            print(f"{f}:{i + 1} [{kind}] {old.strip()}  ->  {new.strip()}")
        print(len(plan), "faults")
        return
    results = {}
    survivors = []
    for n, (f, kind, i, old, new) in enumerate(plan):
        path = os.path.join(tree, f)
        original = open(path).read()
        lines = original.split("\n")
        lines[i] = new
        try:
            open(path, "w").write("\n".join(lines))
            b = run(["cmake", "--build", build, "-j2", "--target", *TESTS])
            if b.returncode != 0:
                outcome = "no build"
            else:
                outcome = "survived"
                for t in TESTS:
                    try:
                        r = run([os.path.join(build, TESTS[t]), "--gtest_brief=1"], env=env,
                                timeout=60)
                        ok = r.returncode == 0
                    except subprocess.TimeoutExpired:
                        ok = False
                    if not ok:
                        outcome = "caught"
                        break
        finally:
            open(path, "w").write(original)
        results.setdefault(f, []).append(outcome)
        print(f"{n + 1}/{len(plan)} {outcome:8} {f}:{i + 1} [{kind}] {old.strip()} -> {new.strip()}",
              flush=True)
        if outcome == "survived":
            survivors.append(f"{f}:{i + 1} [{kind}] {old.strip()} -> {new.strip()}")
    # Restore the build to the unmutated sources.
    run(["cmake", "--build", build, "-j2", "--target", *TESTS])
    print("\nsurvivors:")
    for s in survivors:
        print("  " + s)
    total_c = total_p = 0
    for f, outcomes in results.items():
        c = outcomes.count("caught")
        p = c + outcomes.count("survived")
        total_c += c
        total_p += p
        print(f"{f}: {c}/{p} caught ({100.0 * c / max(p, 1):.1f} %), "
              f"{outcomes.count('no build')} did not build")
    print(f"total: {total_c}/{total_p} caught ({100.0 * total_c / max(total_p, 1):.1f} %)")


if __name__ == "__main__":
    main()
