#!/usr/bin/env python3
"""Runs the mutant tables in tests/mutants/: for each mutant, a copy of the
sources with that one change is built natively and its test run; the test
must fail. Prints each mutant's fate; exits 1 when one survived (or no
longer applies, or does not build).

usage: mutants.py BUILD_FOLDER [TABLE...]   (default: every table)
"""
import configparser
import glob
import os
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def mutants(table):
    parser = configparser.ConfigParser(interpolation=None, comment_prefixes=("#",))
    parser.optionxform = str
    with open(table, encoding="utf-8") as f:
        parser.read_file(f)
    for name in parser.sections():
        yield name, parser[name]


def run(args, cwd):
    return subprocess.run(args, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True).returncode


def main():
    build = os.path.abspath(sys.argv[1])
    tables = sys.argv[2:] or sorted(glob.glob(os.path.join(ROOT, "tests", "mutants", "*.txt")))
    source = os.path.join(build, "src")
    binary = os.path.join(build, "bin")
    # A copy of the tree, so that an interrupted run never leaves a mutant
    # in the real sources. Copied without the files' times: a file edited
    # while the last run was building may be older than its object there,
    # and the build would keep the stale object.
    shutil.rmtree(source, ignore_errors=True)
    shutil.copytree(ROOT, source, ignore=shutil.ignore_patterns(".git", "build", "dist"),
                    copy_function=shutil.copy)
    if run(["cmake", "-S", source, "-B", binary, "-DCMAKE_BUILD_TYPE=Release"], build) != 0:
        sys.exit("mutants: cmake failed")
    survivors = 0
    for table in tables:
        for name, m in mutants(table):
            path = os.path.join(source, m["file"])
            with open(path, encoding="utf-8") as f:
                original = f.read()
            if original.count(m["from"]) != 1:
                print(f"STALE     {name}: its text is not in {m['file']} once")
                survivors += 1
                continue
            with open(path, "w", encoding="utf-8") as f:
                f.write(original.replace(m["from"], m["to"]))
            try:
                if run(["cmake", "--build", binary, "-j", str(os.cpu_count())], build) != 0:
                    fate = "BROKEN"  # a mutant must build to tell anything
                    survivors += 1
                elif run(["ctest", "--test-dir", binary, "-R", "^" + m["test"] + "$"], build) != 0:
                    fate = "killed"
                else:
                    fate = "SURVIVED"
                    survivors += 1
            finally:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(original)
            print(f"{fate:9} {name}")
    sys.exit(1 if survivors else 0)


if __name__ == "__main__":
    main()
