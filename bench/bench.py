#!/usr/bin/env python3
"""Throughput, scaling and memory benchmark for qvmin; started by bench/run.

The cases are run in interleaved rounds: every case has one slot in each round, in an order that
rotates from round to round, and every figure printed is a median over the counted rounds.
Ratios are taken per round, between runs made side by side, and the median of those is printed.
A warm-up round that is not counted comes first; it also checks that every command runs and
exits 0, and it sets how many timed runs a case gets in its slot: a command that takes less than
0.3 s is run 3 or 10 times in a row and the mean of those runs is the round's sample, to resolve
short times above the jitter of starting a process.

Wall time is measured around the child process from this script, and CPU time (user + system)
comes from wait4() for that child. Peak RSS is taken in one more, untimed run per slot under GNU
time (%M): GNU time forks the command from its own small process, whereas a child started
straight from this script reports this script's high-water mark as its own; and GNU time in the
timed runs would add a second process start to every time. A command that takes 0.3 s or more
is timed in its GNU time run alone, where that extra start is lost in the noise. 1 MB = 10^6 bytes throughout.

The exit status is 0 whatever the figures are; it is 1 only when a command could not be run,
exited non-zero or timed out.
"""

import argparse
import hashlib
import json
import os
import platform
import re
import shutil
import signal
import statistics
import subprocess
import sys
import threading
import time

BENCH = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(BENCH)
WORK = os.path.join(BENCH, "work")
CORPUS_DIR = os.path.join(BENCH, "corpus")
NODE_MODULES = os.path.join(BENCH, "node_modules")
QVMIN = os.path.join(ROOT, "build", "release", "qvmin")
SCAN_ONLY = os.path.join(ROOT, "build", "release", "qvmin_scan_only")
# The npm package (preset wasm): its qvmin bin, and a script timing obfuscate() in one process.
PACKAGE = os.path.join(ROOT, "build", "wasm", "package")
PACKAGE_BIN = os.path.join(PACKAGE, "bin", "qvmin.js")
PACKAGE_LIBRARY = os.path.join(BENCH, "package_library.js")
COUNT_LF = os.path.join(BENCH, "count_lf.js")
MANY_FILES = 100_000
GNU_TIME = "/usr/bin/time"

MB = 1_000_000

# The unminified library builds the corpus is made of, in corpus order.
LIBRARIES = [
    ("jquery", "dist/jquery.js"),
    ("lodash", "lodash.js"),
    ("underscore", "underscore.js"),
    ("backbone", "backbone.js"),
    ("moment", "moment.js"),
]

CORPUS_TARGET_BYTES = 18 * MB
QUICK_CORPUS_TARGET_BYTES = 4 * MB
ID_COUNTS = [1_000, 10_000, 60_000, 150_000, 1_000_000]
STRING_FILE_BYTES = 50 * MB

# Timed runs per round by the warm-up wall time: few steps, so that cases of similar length
# are run the same number of times.
INNER_RUNS = [(0.05, 10), (0.3, 3), (float("inf"), 1)]
LONG_RUN_SECONDS = 0.3

TARGET_SCAN_CP_RATIO = 2.5     # scanner-alone time / cp time, at most
TARGET_CP_RATIO = 4.0          # qvmin time / cp time, classic, at most
TARGET_MODERN_CP_RATIO = 5.0   # qvmin /syntax modern /kqn off time / cp time, at most
TARGET_ESBUILD_SCANNER = 20.0  # esbuild time / qvmin time with every identifier kept, at least
TARGET_ESBUILD_FULL = 15.0     # esbuild time / qvmin time, full run, at least
TARGET_PER_ID_RATIO = 3.0      # per-identifier time at 60,000 vs 1,000 identifiers, at most
TARGET_150K_WALL = 2.0         # seconds, below
TARGET_150K_RSS_MB = 40.0      # MB, below
TARGET_150K_PER_ID_RATIO = 1.5  # net time per identifier at 150,000 vs 10,000, at most
TARGET_1M_WALL = 1.5           # seconds, below (four-letter names)
TARGET_1M_RSS_MB = 150.0       # MB, below
TARGET_MODERN_THROUGHPUT = 0.80  # /syntax modern /kqn off throughput / classic throughput, at least
TARGET_KQN_THROUGHPUT = 0.60     # /syntax modern (quoted names kept) throughput / classic throughput, at least
TARGET_ESBUILD_MODERN = 10.0   # esbuild time / qvmin /syntax modern time, above
TARGET_MODERN_RSS_GROWTH = 1.10  # modern peak RSS on the corpus / on one copy of it, at most
TARGET_MODERN_LF_SHARE = 2.0   # percent of the modern output that is line feeds between tokens, below
TARGET_MAP_SLOWDOWN = 2.0      # wall time with /smfp / the same run without it, at most
TARGET_PACKAGE_THROUGHPUT = 0.5  # npm package throughput / native binary throughput, at least


class HarnessError(Exception):
    pass


def log(msg=""):
    print(msg, flush=True)


def rel(path):
    return os.path.relpath(path, ROOT)


# ---------------------------------------------------------------------------------------------
# Set-up: build, packages, inputs


def build(log_path):
    log("building the release binary (log: %s)" % rel(log_path))
    with open(log_path, "wb") as out:
        for cmd in (["cmake", "--preset", "release"], ["cmake", "--build", "--preset", "release"],
                    ["cmake", "--build", "--preset", "release", "--target", "qvmin_scan_only"]):
            out.write(("$ %s\n" % " ".join(cmd)).encode())
            out.flush()
            rc = subprocess.call(cmd, cwd=ROOT, stdout=out, stderr=subprocess.STDOUT)
            if rc != 0:
                with open(log_path, "rb") as f:
                    sys.stdout.write(f.read()[-4000:].decode(errors="replace"))
                raise HarnessError("'%s' failed with exit status %d" % (" ".join(cmd), rc))
    for binary in (QVMIN, SCAN_ONLY):
        if not os.access(binary, os.X_OK):
            raise HarnessError("the build did not produce %s" % rel(binary))
    if shutil.which("em++") is None:
        log("emscripten is not installed: the npm package is not measured (apt-get install emscripten)")
        return
    log("building the npm package (preset wasm, log: %s)" % rel(log_path))
    with open(log_path, "ab") as out:
        for cmd in (["cmake", "--preset", "wasm"], ["cmake", "--build", "--preset", "wasm"]):
            out.write(("$ %s\n" % " ".join(cmd)).encode())
            out.flush()
            if subprocess.call(cmd, cwd=ROOT, stdout=out, stderr=subprocess.STDOUT) != 0:
                raise HarnessError("'%s' failed; see %s" % (" ".join(cmd), rel(log_path)))


def ensure_packages():
    """Installs the pinned npm packages into bench/node_modules unless the lock file is unchanged
    since the last install."""
    lock = os.path.join(BENCH, "package-lock.json")
    with open(lock, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    stamp = os.path.join(NODE_MODULES, ".bench-lock-sha256")
    wanted = [os.path.join(NODE_MODULES, pkg, path) for pkg, path in LIBRARIES + [("acorn", "package.json")]]
    try:
        with open(stamp) as f:
            current = f.read().strip() == digest
    except OSError:
        current = False
    if current and all(os.path.exists(p) for p in wanted) and esbuild_binary(required=False):
        return
    log("installing the npm packages pinned in bench/package-lock.json")
    # No install scripts: esbuild's only one checks the platform binary, which npm already
    # installs as an optional dependency, and this harness calls that binary directly.
    cmd = ["npm", "ci", "--ignore-scripts", "--no-audit", "--no-fund", "--loglevel=error"]
    rc = subprocess.call(cmd, cwd=BENCH)
    if rc != 0:
        raise HarnessError("'%s' failed with exit status %d" % (" ".join(cmd), rc))
    missing = [p for p in wanted if not os.path.exists(p)]
    if missing:
        raise HarnessError("npm ci did not install %s" % ", ".join(map(rel, missing)))
    with open(stamp, "w") as f:
        f.write(digest + "\n")


def ensure_gnu_time():
    if os.access(GNU_TIME, os.X_OK):
        return
    log("installing Debian's time package for %s" % GNU_TIME)
    for cmd in (["apt-get", "update", "-qq"], ["apt-get", "install", "-y", "-qq", "time"]):
        if subprocess.call(cmd) != 0:
            raise HarnessError("'%s' failed; install GNU time as %s" % (" ".join(cmd), GNU_TIME))


def esbuild_binary(required=True):
    """The native esbuild executable shipped in the platform package, called directly so that
    no node start-up is timed with it."""
    arch = {"x86_64": "x64", "amd64": "x64", "aarch64": "arm64", "arm64": "arm64"}.get(
        platform.machine().lower(), platform.machine().lower())
    system = sys.platform if sys.platform != "linux2" else "linux"
    path = os.path.join(NODE_MODULES, "@esbuild", "%s-%s" % (system, arch), "bin", "esbuild")
    if os.access(path, os.X_OK):
        return path
    if required:
        raise HarnessError("no esbuild binary at %s" % rel(path))
    return None


def package_version(pkg):
    with open(os.path.join(NODE_MODULES, pkg, "package.json")) as f:
        return json.load(f)["version"]


def write_if_changed(path, data):
    """Writes data unless the file already holds exactly it (compared by size, then content),
    so that repeated runs leave the inputs and their page-cache state alone."""
    try:
        if os.path.getsize(path) == len(data):
            with open(path, "rb") as f:
                if f.read() == data:
                    return
    except OSError:
        pass
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def write_list(path, names):
    write_if_changed(path, "".join(n + "\n" for n in names).encode())


def id_name(n):
    """A distinct letters-only identifier for every n >= 0: 'id' followed by n in bijective
    base 26 (a..z, aa..zz, ...). No such name is a JavaScript word or a reserved name."""
    letters = []
    n += 1
    while n > 0:
        n, r = divmod(n - 1, 26)
        letters.append(chr(ord("a") + r))
    return "id" + "".join(reversed(letters))


def synthetic_source(count):
    """count statements over count distinct identifiers, each used twice:
    var ida = 0; var idb = ida + 1; var idc = idb + 1; ..."""
    lines = ["var %s = 0;" % id_name(0)]
    for n in range(1, count):
        lines.append("var %s = %s + 1;" % (id_name(n), id_name(n - 1)))
    return ("\n".join(lines) + "\n").encode()


def string_source(total):
    """One line of exactly `total` bytes: a variable set to a long plain string literal."""
    head, tail = b'var bigString = "', b'";\n'
    body_len = total - len(head) - len(tail)
    unit = b"The quick brown fox jumps over the lazy dog 0123456789; "
    body = (unit * (body_len // len(unit) + 1))[:body_len]
    return head + body + tail


IDENTIFIER_RE = re.compile(rb"[A-Za-z_$][A-Za-z0-9_$]*")


def reserved_keywords():
    """The built-in keyword table as the source declares it; such names may not be listed again
    in an exclusion list. Names missed here are dropped later, when qvmin rejects them."""
    path = os.path.join(ROOT, "src", "tables", "keyword_table.cc")
    try:
        with open(path) as f:
            text = f.read()
    except OSError:
        return set()
    m = re.search(r"kReservedKeywords\[\]\s*=\s*\{(.*?)\};", text, re.S)
    return set(re.findall(r'"([^"\\]*)"', m.group(1))) if m else set()


def prepare_inputs(quick):
    os.makedirs(CORPUS_DIR, exist_ok=True)
    parts, described = [], []
    for pkg, path in LIBRARIES:
        with open(os.path.join(NODE_MODULES, pkg, path), "rb") as f:
            data = f.read()
        if not data.endswith(b"\n"):
            data += b"\n"
        parts.append(data)
        described.append("%s %s" % (pkg, package_version(pkg)))
    base = b"".join(parts)
    target = QUICK_CORPUS_TARGET_BYTES if quick else CORPUS_TARGET_BYTES
    copies = max(1, round(target / len(base)))
    name = "corpus-quick" if quick else "corpus"
    corpus = os.path.join(CORPUS_DIR, name + ".js")
    write_if_changed(corpus, base * copies)
    write_list(os.path.join(CORPUS_DIR, name + ".list"), [name + ".js"])
    # One copy alone, for the peak RSS against the whole corpus.
    piece = os.path.join(CORPUS_DIR, "corpus-1.js")
    write_if_changed(piece, base)
    write_list(os.path.join(CORPUS_DIR, "corpus-1.list"), ["corpus-1.js"])

    # Every word of the corpus that could be scanned as an identifier, for the run that keeps
    # all identifiers (only the scanner and the keyword look-up then remain). The regular
    # expression over the raw text also picks up words in strings, comments and numbers, which
    # does no harm: the list only has to be a superset.
    reserved = reserved_keywords()
    words = sorted({w.decode() for w in IDENTIFIER_RE.findall(base)} - reserved)
    words_path = os.path.join(CORPUS_DIR, "corpus-words.txt")
    write_list(words_path, words)

    synthetic = []
    for count in [1] + ID_COUNTS:
        stem = "ids-%d" % count
        write_if_changed(os.path.join(CORPUS_DIR, stem + ".js"), synthetic_source(count))
        write_list(os.path.join(CORPUS_DIR, stem + ".list"), [stem + ".js"])
        synthetic.append((count, stem))

    string_path = os.path.join(CORPUS_DIR, "string-50mb.js")
    write_if_changed(string_path, string_source(STRING_FILE_BYTES))
    write_list(os.path.join(CORPUS_DIR, "string-50mb.list"), ["string-50mb.js"])

    # 100,000 small listed files, for the cost of opening, reading and closing each.
    many_dir = os.path.join(CORPUS_DIR, "many")
    os.makedirs(many_dir, exist_ok=True)
    many_names = ["m%d.js" % i for i in range(MANY_FILES)]
    for i, file_name in enumerate(many_names):
        path = os.path.join(many_dir, file_name)
        if not os.path.exists(path):
            with open(path, "wb") as f:
                f.write(b"// file %d\nvar value%d = value%d + 1;\n" % (i, i % 100, (i + 1) % 100))
    write_list(os.path.join(many_dir, "many.list"), many_names)

    return {
        "many_dir": many_dir,
        "corpus": corpus, "corpus_name": name, "corpus_bytes": len(base) * copies, "piece": piece,
        "base_bytes": len(base), "copies": copies, "libraries": described,
        "words": words_path, "word_count": len(words), "synthetic": synthetic,
        "string": string_path,
    }


# ---------------------------------------------------------------------------------------------
# Running and timing


class Case:
    def __init__(self, key, argv, cwd, outputs, input_bytes=None):
        self.key = key
        self.argv = argv
        self.cwd = cwd
        self.outputs = outputs
        self.input_bytes = input_bytes
        self.dir = os.path.join(WORK, key)
        self.samples = []      # (wall s, cpu s, peak RSS bytes) per counted round
        self.inner = 1         # runs per round, set from the warm-up round
        self.timed_out = False


def qvmin_case(key, list_dir, list_name, input_bytes, exclusions=None, modern=False, extra=(), source_map=False,
               command=(QVMIN,)):
    out_dir = os.path.join(WORK, key)
    out = os.path.join(out_dir, "out.js")
    trans = os.path.join(out_dir, "translation.txt")
    argv = list(command) + ["/sflfp", list_name, "/ofp", out, "/oktfp", trans]
    outputs = [out, trans]
    if exclusions:
        argv += ["/kelfp", exclusions]
    if modern:
        argv += ["/syntax", "modern"]
    if source_map:
        argv += ["/smfp", os.path.join(out_dir, "out.js.map")]
        outputs.append(os.path.join(out_dir, "out.js.map"))
    argv += list(extra)
    return Case(key, argv, list_dir, outputs, input_bytes)


def count_kept_names(info, timeout):
    """Translation file lines of modern runs with neither /env nor /kqn, with /env universal, and with
    both (the corpus_modern and corpus_modern_kqn outputs): the differences are the names each keeps."""
    def lines(key):
        path = os.path.join(WORK, key, "translation.txt")
        if not os.path.exists(path):
            return float("nan")
        with open(path, "rb") as f:
            return sum(1 for _ in f)
    bare = qvmin_case("corpus_modern_bare", CORPUS_DIR, info["corpus_name"] + ".list", info["corpus_bytes"],
                      modern=True, extra=("/env", "none", "/kqn", "off"))
    if run_once(bare, timeout) is None:
        log("    %s timed out after %.0f s" % (bare.key, timeout))
    return {"none": lines("corpus_modern_bare"), "env": lines("corpus_modern"), "both": lines("corpus_modern_kqn")}


def run_once(case, timeout, rss=False):
    """Runs the case once with fresh outputs; returns (wall s, cpu s), or with rss the peak RSS in
    bytes from a run under GNU time; None after a time-out."""
    os.makedirs(case.dir, exist_ok=True)
    for path in case.outputs:
        try:
            os.unlink(path)
        except FileNotFoundError:
            pass
    stdout_path = os.path.join(case.dir, "stdout.txt")
    stderr_path = os.path.join(case.dir, "stderr.txt")
    rss_path = os.path.join(case.dir, "peak-rss-kb.txt")
    argv = ([GNU_TIME, "-f", "%M", "-o", rss_path, "--"] if rss else []) + case.argv
    killed = []
    with open(stdout_path, "wb") as so, open(stderr_path, "wb") as se:
        start = time.perf_counter()
        try:
            proc = subprocess.Popen(argv, cwd=case.cwd, stdin=subprocess.DEVNULL, stdout=so, stderr=se,
                                    start_new_session=True)
        except OSError as e:
            raise HarnessError("%s: cannot start %s: %s" % (case.key, argv[0], e))

        def kill():
            killed.append(True)
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass

        timer = threading.Timer(timeout, kill)
        timer.start()
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        timer.cancel()
    proc.returncode = os.waitstatus_to_exitcode(status)  # reaped here, not by Popen
    if killed:
        case.timed_out = True
        return None
    if proc.returncode != 0:
        tail = ""
        for path in (stdout_path, stderr_path, rss_path):
            if os.path.exists(path):
                with open(path, "rb") as f:
                    tail += f.read()[-2000:].decode(errors="replace")
        raise HarnessError("%s exited with status %d: %s\n%s" % (case.key, proc.returncode, " ".join(case.argv), tail))
    # Under GNU time the CPU time still covers the command: wait4() adds that of the children a
    # process has waited for.
    cpu = usage.ru_utime + usage.ru_stime
    if rss:
        with open(rss_path) as f:
            return wall, cpu, int(f.read().split()[-1]) * 1024
    return wall, cpu


def run_batch(case, timeout):
    """One run under GNU time for the peak RSS, then case.inner timed runs in a row; returns
    (mean wall s, mean cpu s, peak RSS bytes), or None after a time-out. A long command (one timed
    run per slot) is timed in its GNU time run instead: the extra process start is then lost in
    the noise."""
    first = run_once(case, timeout, rss=True)
    if first is None:
        return None
    if case.inner == 1 and first[0] >= LONG_RUN_SECONDS:
        return first
    peak = first[2]
    runs = []
    for _ in range(case.inner):
        sample = run_once(case, timeout)
        if sample is None:
            return None
        runs.append(sample)
    n = len(runs)
    return (sum(r[0] for r in runs) / n, sum(r[1] for r in runs) / n, peak)


DUPLICATE_RE = re.compile(r"A duplicate keyword \((.*)\) was found!")


def settle_exclusions(case, words_path, timeout):
    """Runs the keep-all-identifiers case until qvmin accepts its exclusion list, dropping each
    name that it reports as already a keyword (the built-in table is read from the source; this
    only catches what that reading missed)."""
    for _ in range(400):
        try:
            return run_once(case, timeout, rss=True)
        except HarnessError:
            with open(os.path.join(case.dir, "stdout.txt"), "rb") as f:
                m = DUPLICATE_RE.search(f.read().decode(errors="replace"))
            if not m:
                raise
            with open(words_path) as f:
                words = [w for w in f.read().split("\n") if w and w != m.group(1)]
            write_list(words_path, words)
    raise HarnessError("%s: the exclusion list is still rejected" % case.key)


def run_rounds(cases, rounds, timeout, tied=()):
    """tied: groups of case keys whose ratios are printed; each group is given the fewest timed
    runs per slot of its members, so that a case run 10 times in a row (its caches warm) is not
    set beside one run 3 times."""
    for r in range(rounds + 1):
        label = "warm-up round" if r == 0 else "round %d/%d" % (r, rounds)
        log("  %s" % label)
        shift = r % len(cases)
        for case in cases[shift:] + cases[:shift]:
            if case.timed_out:
                continue
            sample = run_batch(case, timeout)
            if sample is None:
                log("    %s timed out after %.0f s; not run again" % (case.key, timeout))
            elif r > 0:
                case.samples.append(sample)
            else:
                case.inner = next(n for limit, n in INNER_RUNS if sample[0] < limit)
        if r == 0:
            by_key = {case.key: case for case in cases}
            for group in tied:
                inner = min(by_key[key].inner for key in group)
                for key in group:
                    by_key[key].inner = inner


def count_line_feeds(path, timeout):
    """The line feeds of a minified file that stand between tokens, counted by bench/count_lf.js
    with acorn's tokenizer: a dict (bytes, tokens, lf_between, lf_total)."""
    argv = ["node", COUNT_LF, path]
    try:
        out = subprocess.run(argv, cwd=BENCH, stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        raise HarnessError("'%s' timed out after %.0f s" % (" ".join(map(rel, argv)), timeout))
    if out.returncode != 0:
        raise HarnessError("'%s' exited with status %d:\n%s" % (
            " ".join(map(rel, argv)), out.returncode, out.stderr.decode(errors="replace")[-2000:]))
    return json.loads(out.stdout)


# ---------------------------------------------------------------------------------------------
# Report


def med(values):
    return statistics.median(values) if values else float("nan")


def per_round(a, b, fn):
    """fn applied to the samples of two cases taken in the same round; the median of those."""
    n = min(len(a.samples), len(b.samples))
    return med([fn(a.samples[i], b.samples[i]) for i in range(n)])


def verdict(ok):
    if ok is None:
        return "n/a"
    return "PASS" if ok else "FAIL"


def num(value, fmt):
    return fmt % value if value == value else "-"


def fmt_ms(seconds):
    return "%.1f" % (seconds * 1000) if seconds == seconds else "-"


def spread(case, idx=0, scale=1000.0):
    vals = [s[idx] * scale for s in case.samples]
    if not vals:
        return "timed out" if case.timed_out else "-"
    return "%9.1f  (%.1f..%.1f)" % (med(vals), min(vals), max(vals))


def runs(case):
    return "x%d" % case.inner


def git_revision():
    try:
        rev = subprocess.check_output(["git", "rev-parse", "--short", "HEAD"], cwd=ROOT, text=True).strip()
        dirty = subprocess.call(["git", "diff", "--quiet", "HEAD", "--", "src", "CMakeLists.txt"], cwd=ROOT)
        return rev + ("+changes" if dirty else "")
    except (OSError, subprocess.CalledProcessError):
        return "unknown"


def time_package_library(info, timeout):
    """obfuscate() of the npm package on the corpus, timed inside one node process after a warm-up
    run: wall seconds per run (median), classic and modern; None without the package."""
    if not os.path.exists(PACKAGE_BIN):
        return None
    try:
        out = subprocess.run(["node", PACKAGE_LIBRARY, PACKAGE, info["corpus"]], capture_output=True,
                             timeout=timeout * 4, check=True).stdout
    except (subprocess.SubprocessError, OSError) as e:
        raise HarnessError("%s failed: %s" % (rel(PACKAGE_LIBRARY), e))
    return json.loads(out)


def package_report(info, c, out, cmp_row):
    """The npm package beside the native binary on the corpus."""
    if "corpus_package" not in c:
        out("The npm package was not measured: emscripten is not installed")
        out("")
        return
    corpus_mb = info["corpus_bytes"] / MB
    out("The npm package (WebAssembly) beside the native binary on the corpus")
    for native, package, label in (("corpus_full", "corpus_package", "classic"),
                                   ("corpus_modern_kqn", "corpus_package_modern", "/syntax modern")):
        ratio = per_round(c[native], c[package], lambda n, p: n[0] / p[0])
        cmp_row("%s: qvmin bin under node / native throughput" % label, ratio,
                ">= %.2f" % TARGET_PACKAGE_THROUGHPUT, ratio >= TARGET_PACKAGE_THROUGHPUT)
    library = info.get("package_library")
    for key, native, label in (("classic", "corpus_full", "classic"), ("modern", "corpus_modern_kqn", "/syntax modern")):
        wall = med([s[0] for s in c[native].samples])
        seconds = library[key]
        ratio = wall / seconds
        out("  %-52s %8.2f   %.1f ms, %.0f MB/s (in one node process, after a warm-up run; for reference)" % (
            "%s: obfuscate() / native throughput" % label, ratio, seconds * 1000, corpus_mb / seconds))
    out("")


def report(info, cases, rounds, quick, esbuild_path):
    c = cases
    lines = []
    out = lines.append
    corpus_mb = info["corpus_bytes"] / MB
    out("qvmin benchmark  %s  qvmin %s  esbuild %s  %d cores%s" % (
        time.strftime("%Y-%m-%d %H:%M"), git_revision(), package_version("esbuild"), os.cpu_count() or 0,
        "  (quick)" if quick else ""))
    out("%d interleaved rounds after a warm-up; medians, with (min..max) of the rounds; 1 MB = 10^6 bytes"
        % rounds)
    out("")
    out("Corpus: %s, %.2f MB = %d copies of %.2f MB (%s)" % (
        rel(info["corpus"]), corpus_mb, info["copies"], info["base_bytes"] / MB, ", ".join(info["libraries"])))
    out("")
    out("  %-44s %-28s %4s %7s %9s %10s" % ("command", "wall ms (min..max)", "runs", "MB/s", "cpu ms", "peak RSS"))
    rows = [
        ("corpus_scan", "scanner alone (identifiers unchanged)"),
        ("corpus_full", "qvmin (classic)"),
        ("corpus_modern", "qvmin /syntax modern /kqn off"),
        ("corpus_modern_kqn", "qvmin /syntax modern (/kqn on)"),
        ("corpus_map", "qvmin /smfp (classic)"),
        ("corpus_modern_map", "qvmin /syntax modern /smfp"),
        ("corpus_keep", "qvmin, every identifier excluded (%d names)" % info["word_count"]),
        ("corpus_cp", "cp"),
        ("corpus_esbuild", "esbuild --minify-whitespace"),
        ("corpus_package", "npm package: node bin/qvmin.js (classic)"),
        ("corpus_package_modern", "npm package: node bin/qvmin.js /syntax modern"),
    ]
    rows = [row for row in rows if row[0] in c]
    for key, label in rows:
        case = c[key]
        wall = med([s[0] for s in case.samples])
        mbps = corpus_mb / wall if case.samples else float("nan")
        out("  %-44s %-28s %4s %7s %9s %10s" % (
            label, spread(case), runs(case), num(mbps, "%.0f"), fmt_ms(med([s[1] for s in case.samples])),
            num(med([s[2] for s in case.samples]) / MB, "%.1f MB")))
    out("")

    scan_cp_ratio = per_round(c["corpus_scan"], c["corpus_cp"], lambda q, p: q[0] / p[0])
    es_scan = per_round(c["corpus_esbuild"], c["corpus_scan"], lambda e, q: e[0] / q[0])
    cp_ratio = per_round(c["corpus_full"], c["corpus_cp"], lambda q, p: q[0] / p[0])
    keep_cp_ratio = per_round(c["corpus_keep"], c["corpus_cp"], lambda q, p: q[0] / p[0])
    es_keep = per_round(c["corpus_esbuild"], c["corpus_keep"], lambda e, q: e[0] / q[0])
    es_full = per_round(c["corpus_esbuild"], c["corpus_full"], lambda e, q: e[0] / q[0])
    es_full_cpu = per_round(c["corpus_esbuild"], c["corpus_full"], lambda e, q: e[1] / q[1] if q[1] else float("inf"))

    def cmp_row(label, value, target_text, ok):
        out("  %-52s %8.2f   target %-8s %s" % (label, value, target_text, verdict(ok if value == value else None)))

    out("Ratios on the corpus (median of the per-round ratios, wall time)")
    cmp_row("scanner alone / cp", scan_cp_ratio, "<= %g" % TARGET_SCAN_CP_RATIO, scan_cp_ratio <= TARGET_SCAN_CP_RATIO)
    cmp_row("esbuild / scanner alone", es_scan, ">= %g" % TARGET_ESBUILD_SCANNER, es_scan >= TARGET_ESBUILD_SCANNER)
    cmp_row("qvmin / cp", cp_ratio, "<= %g" % TARGET_CP_RATIO, cp_ratio <= TARGET_CP_RATIO)
    modern_cp_ratio = per_round(c["corpus_modern"], c["corpus_cp"], lambda q, p: q[0] / p[0])
    cmp_row("qvmin /syntax modern /kqn off / cp", modern_cp_ratio, "<= %g" % TARGET_MODERN_CP_RATIO,
            modern_cp_ratio <= TARGET_MODERN_CP_RATIO)
    out("  %-52s %8.2f" % ("qvmin, every identifier excluded / cp", keep_cp_ratio))
    cmp_row("esbuild / qvmin, every identifier excluded (scanner)", es_keep, ">= %g" % TARGET_ESBUILD_SCANNER,
            es_keep >= TARGET_ESBUILD_SCANNER)
    cmp_row("esbuild / qvmin (full pipeline)", es_full, ">= %g" % TARGET_ESBUILD_FULL, es_full >= TARGET_ESBUILD_FULL)
    out("  %-52s %8.2f   (CPU time, for reference)" % ("esbuild / qvmin (full pipeline), user+sys", es_full_cpu))
    out("")

    # /syntax modern beside the classic grammar: throughput, memory, output size.
    modern_ratio = per_round(c["corpus_full"], c["corpus_modern"], lambda q, m: q[0] / m[0])
    modern_cpu = per_round(c["corpus_full"], c["corpus_modern"], lambda q, m: q[1] / m[1] if m[1] else float("inf"))
    es_modern = per_round(c["corpus_esbuild"], c["corpus_modern"], lambda e, m: e[0] / m[0])
    out("/syntax modern beside classic on the corpus (median of the per-round ratios, wall time)")
    cmp_row("modern throughput / classic throughput", modern_ratio, ">= %.2f" % TARGET_MODERN_THROUGHPUT,
            modern_ratio >= TARGET_MODERN_THROUGHPUT)
    out("  %-52s %8.2f   (CPU time, for reference)" % ("modern throughput / classic throughput, user+sys", modern_cpu))
    cmp_row("esbuild / qvmin /syntax modern", es_modern, "> %g" % TARGET_ESBUILD_MODERN, es_modern > TARGET_ESBUILD_MODERN)
    kqn_ratio = per_round(c["corpus_full"], c["corpus_modern_kqn"], lambda q, m: q[0] / m[0])
    cmp_row("modern with quoted names kept / classic throughput", kqn_ratio, ">= %.2f" % TARGET_KQN_THROUGHPUT,
            kqn_ratio >= TARGET_KQN_THROUGHPUT)
    kept = info["kept_names"]
    out("  names the modern run keeps on the corpus: %s by /env universal, %s more by /kqn on "
        "(translation file lines: %s with neither, %s with /env, %s with both)" % (
            num(kept["none"] - kept["env"], "%d"), num(kept["env"] - kept["both"], "%d"),
            num(kept["none"], "%d"), num(kept["env"], "%d"), num(kept["both"], "%d")))

    def rss_mb(key):
        return med([s[2] for s in c[key].samples]) / MB if c[key].samples else float("nan")

    piece_rss, modern_rss = rss_mb("piece_modern"), rss_mb("corpus_modern")
    rss_growth = modern_rss / piece_rss
    out("  peak RSS MB: classic %.1f, modern %.1f on %.2f MB; modern %.1f on one copy (%.2f MB, %s)" % (
        rss_mb("corpus_full"), modern_rss, corpus_mb, piece_rss, info["base_bytes"] / MB, rel(info["piece"])))
    cmp_row("modern peak RSS, corpus / one copy", rss_growth, "<= %.2f" % TARGET_MODERN_RSS_GROWTH,
            rss_growth <= TARGET_MODERN_RSS_GROWTH)
    out("")

    package_report(info, c, out, cmp_row)

    # /smfp beside the same run without it.
    out("Source maps (/smfp) on the corpus (median of the per-round ratios, wall time)")
    for plain, mapped, label in (("corpus_full", "corpus_map", "classic"),
                                 ("corpus_modern_kqn", "corpus_modern_map", "/syntax modern")):
        slowdown = per_round(c[plain], c[mapped], lambda p, m: m[0] / p[0])
        cmp_row("%s: time with /smfp / without" % label, slowdown, "<= %.2f" % TARGET_MAP_SLOWDOWN,
                slowdown <= TARGET_MAP_SLOWDOWN)
        out_path = os.path.join(WORK, mapped, "out.js")
        map_path = out_path + ".map"
        if os.path.exists(map_path):
            out_size, map_size = os.path.getsize(out_path), os.path.getsize(map_path)
            out("  %-52s %12d bytes beside %d of output (%.2f x), %d of them sourcesContent" % (
                "%s: source map" % label, map_size, out_size, map_size / out_size, info["corpus_bytes"]))
    out("")

    out("Output size on the corpus (%d bytes)" % info["corpus_bytes"])
    out("  %-44s %12s %9s" % ("output", "bytes", "of input"))
    for key, label in (("corpus_full", "qvmin (classic)"), ("corpus_modern", "qvmin /syntax modern"),
                       ("corpus_esbuild", "esbuild --minify-whitespace"),
                       ("corpus_esbuild_minify", "esbuild --minify (run once, untimed)")):
        path = os.path.join(WORK, key, "out.js")
        size = os.path.getsize(path) if os.path.exists(path) else float("nan")
        out("  %-44s %12s %8s%%" % (label, num(size, "%d"), num(100.0 * size / info["corpus_bytes"], "%.1f")))
    lf = info["line_feeds"]
    lf_share = 100.0 * lf["lf_between"] / lf["bytes"] if lf["bytes"] else float("nan")
    out("  line feeds of the modern output between tokens (acorn's tokenizer): %d of %d bytes; %d in all"
        % (lf["lf_between"], lf["bytes"], lf["lf_total"]))
    cmp_row("kept line feeds, percent of the modern output", lf_share, "< %g" % TARGET_MODERN_LF_SHARE,
            lf_share < TARGET_MODERN_LF_SHARE)
    out("")

    out("Distinct identifiers: 'var idX = idW + 1;' per identifier; start-up = the same with one")
    out("identifier; net = wall minus start-up of the same round")
    out("  %-9s %9s %-28s %4s %11s %11s %10s" % ("ids", "size MB", "wall ms (min..max)", "runs", "us/id",
                                                 "net us/id", "peak RSS"))
    start_case = c["ids_1"]
    net = {}
    for count, _ in info["synthetic"]:
        case = c["ids_%d" % count]
        wall = med([s[0] for s in case.samples])
        if count > 1 and case.samples:
            net[count] = per_round(case, start_case, lambda a, b: a[0] - b[0])
        per_id = wall / count * 1e6 if case.samples else float("nan")
        net_per_id = net[count] / count * 1e6 if count in net else float("nan")
        out("  %-9s %9.2f %-28s %4s %11s %11s %7.1f MB" % (
            "{:,}".format(count) if count > 1 else "start-up", os.path.getsize(os.path.join(CORPUS_DIR, "ids-%d.js" % count)) / MB,
            spread(case), runs(case), "%.3f" % per_id if count > 1 else "-", "%.3f" % net_per_id if net_per_id == net_per_id else "-",
            med([s[2] for s in case.samples]) / MB))
    # Judged only when both runs are above start-up in every one of at least 3 rounds; otherwise
    # the net figures are jitter and their ratio means nothing.
    def nets(count):
        case = c["ids_%d" % count]
        n = min(len(case.samples), len(start_case.samples))
        return [case.samples[i][0] - start_case.samples[i][0] for i in range(n)]

    def per_id_row(low, high, target):
        label = "per-identifier time, {:,} vs {:,} (net)".format(high, low)
        low_nets, high_nets = nets(low), nets(high)
        if len(low_nets) >= 3 and len(high_nets) >= 3 and min(low_nets + high_nets) > 0:
            net_ratio = (net[high] / high) / (net[low] / low)
            cmp_row(label, net_ratio, "<= %g" % target, net_ratio <= target)
        else:
            out("  %-52s %8s   target %-8s n/a: not above start-up in every round (3 or more)"
                % (label, "-", "<= %g" % target))

    low, high = ID_COUNTS[0], 60_000
    raw_ratio = (med([s[0] for s in c["ids_%d" % high].samples]) / high) / \
        (med([s[0] for s in c["ids_%d" % low].samples]) / low)
    per_id_row(low, high, TARGET_PER_ID_RATIO)
    out("  %-52s %8.2f   (start-up included, for reference)" % ("per-identifier time, 60,000 vs 1,000 (raw)",
                                                                   raw_ratio))
    # Past 140,608 identifiers the names take four letters: drawing them must cost no more.
    per_id_row(10_000, 150_000, TARGET_150K_PER_ID_RATIO)

    def wall_and_rss(count):
        case = c["ids_%d" % count]
        if not case.samples:
            return float("inf"), float("inf")
        return med([s[0] for s in case.samples]), med([s[2] for s in case.samples]) / MB

    big_wall, big_rss = wall_and_rss(150_000)
    cmp_row("150,000 identifiers: wall s", big_wall, "< %g" % TARGET_150K_WALL, big_wall < TARGET_150K_WALL)
    cmp_row("150,000 identifiers: peak RSS MB", big_rss, "< %g" % TARGET_150K_RSS_MB, big_rss < TARGET_150K_RSS_MB)
    huge_wall, huge_rss = wall_and_rss(1_000_000)
    cmp_row("1,000,000 identifiers: wall s", huge_wall, "< %g" % TARGET_1M_WALL, huge_wall < TARGET_1M_WALL)
    cmp_row("1,000,000 identifiers: peak RSS MB", huge_rss, "< %g" % TARGET_1M_RSS_MB, huge_rss < TARGET_1M_RSS_MB)
    out("")

    s = c["string"]
    s_wall = med([x[0] for x in s.samples])
    out("50 MB single-line string (%s): wall ms %s %s, %.0f MB/s, peak RSS %.1f MB" % (
        rel(info["string"]), spread(s).strip(), runs(s), (STRING_FILE_BYTES / MB) / s_wall if s.samples else float("nan"),
        med([x[2] for x in s.samples]) / MB))
    m = c["many"]
    out("%s listed files of ~40 bytes: wall ms %s %s, peak RSS %.1f MB" % (
        "{:,}".format(MANY_FILES), spread(m).strip(), runs(m), med([x[2] for x in m.samples]) / MB))
    out("")
    out("esbuild binary: %s" % rel(esbuild_path))
    out("work files (outputs of the last round, stdout of every command): %s" % rel(WORK))
    return "\n".join(lines) + "\n"


# ---------------------------------------------------------------------------------------------


def main():
    ap = argparse.ArgumentParser(prog="bench/run", description=__doc__.split("\n\n")[0])
    ap.add_argument("--quick", action="store_true", help="3 rounds and a ~4 MB corpus, for a fast check")
    ap.add_argument("--rounds", type=int, help="counted rounds (default 7, or 3 with --quick)")
    ap.add_argument("--no-build", action="store_true", help="use build/release/qvmin as it is")
    ap.add_argument("--timeout", type=float, default=120.0, help="seconds before one command is killed (120)")
    args = ap.parse_args()
    rounds = args.rounds or (3 if args.quick else 7)
    if rounds < 1:
        ap.error("--rounds must be at least 1")

    if os.path.isdir(WORK):
        shutil.rmtree(WORK)
    os.makedirs(WORK)

    if not args.no_build:
        build(os.path.join(WORK, "build.log"))
    elif not os.access(QVMIN, os.X_OK):
        raise HarnessError("%s does not exist; run without --no-build" % rel(QVMIN))
    ensure_gnu_time()
    ensure_packages()
    esbuild = esbuild_binary()
    log("preparing inputs in %s" % rel(CORPUS_DIR))
    info = prepare_inputs(args.quick)

    cases = {}
    scan_out = os.path.join(WORK, "corpus_scan", "out.js")
    cases["corpus_scan"] = Case("corpus_scan", [SCAN_ONLY, info["corpus"], scan_out], WORK, [scan_out],
                                info["corpus_bytes"])
    cases["corpus_full"] = qvmin_case("corpus_full", CORPUS_DIR, info["corpus_name"] + ".list", info["corpus_bytes"])
    cases["corpus_keep"] = qvmin_case("corpus_keep", CORPUS_DIR, info["corpus_name"] + ".list", info["corpus_bytes"],
                                      exclusions=info["words"])
    cases["corpus_modern"] = qvmin_case("corpus_modern", CORPUS_DIR, info["corpus_name"] + ".list",
                                        info["corpus_bytes"], modern=True, extra=("/kqn", "off"))
    cases["corpus_modern_kqn"] = qvmin_case("corpus_modern_kqn", CORPUS_DIR, info["corpus_name"] + ".list",
                                            info["corpus_bytes"], modern=True)
    cases["corpus_map"] = qvmin_case("corpus_map", CORPUS_DIR, info["corpus_name"] + ".list", info["corpus_bytes"],
                                     source_map=True)
    cases["corpus_modern_map"] = qvmin_case("corpus_modern_map", CORPUS_DIR, info["corpus_name"] + ".list",
                                            info["corpus_bytes"], modern=True, source_map=True)
    if os.path.exists(PACKAGE_BIN):
        node = shutil.which("node")
        cases["corpus_package"] = qvmin_case("corpus_package", CORPUS_DIR, info["corpus_name"] + ".list",
                                             info["corpus_bytes"], command=(node, PACKAGE_BIN))
        cases["corpus_package_modern"] = qvmin_case("corpus_package_modern", CORPUS_DIR, info["corpus_name"] + ".list",
                                                    info["corpus_bytes"], modern=True, command=(node, PACKAGE_BIN))
    cases["piece_modern"] = qvmin_case("piece_modern", CORPUS_DIR, "corpus-1.list", info["base_bytes"], modern=True)
    cp_out = os.path.join(WORK, "corpus_cp", "copy.js")
    cases["corpus_cp"] = Case("corpus_cp", ["cp", info["corpus"], cp_out], WORK, [cp_out], info["corpus_bytes"])
    es_out = os.path.join(WORK, "corpus_esbuild", "out.js")
    cases["corpus_esbuild"] = Case("corpus_esbuild", [esbuild, "--minify-whitespace", info["corpus"],
                                                      "--outfile=" + es_out, "--log-level=error"],
                                   WORK, [es_out], info["corpus_bytes"])
    for count, stem in info["synthetic"]:
        key = "ids_%d" % count
        cases[key] = qvmin_case(key, CORPUS_DIR, stem + ".list", None)
    cases["string"] = qvmin_case("string", CORPUS_DIR, "string-50mb.list", STRING_FILE_BYTES)
    cases["many"] = qvmin_case("many", info["many_dir"], "many.list", None)

    settle_exclusions(cases["corpus_keep"], info["words"], args.timeout)
    with open(info["words"]) as f:
        info["word_count"] = sum(1 for line in f if line.strip())

    log("running %d rounds of %d commands" % (rounds, len(cases)))
    run_rounds(list(cases.values()), rounds, args.timeout,
               tied=[("corpus_full", "corpus_modern", "corpus_modern_kqn", "corpus_map", "corpus_modern_map")])
    info["package_library"] = time_package_library(info, args.timeout)

    # Output sizes beside esbuild's full minification, which is run once and not timed.
    es_min_out = os.path.join(WORK, "corpus_esbuild_minify", "out.js")
    es_min = Case("corpus_esbuild_minify", [esbuild, "--minify", info["corpus"], "--outfile=" + es_min_out,
                                            "--log-level=error"], WORK, [es_min_out], info["corpus_bytes"])
    if run_once(es_min, args.timeout) is None:
        log("    %s timed out after %.0f s" % (es_min.key, args.timeout))
    info["line_feeds"] = count_line_feeds(os.path.join(WORK, "corpus_modern", "out.js"), args.timeout)
    info["kept_names"] = count_kept_names(info, args.timeout)

    text = report(info, cases, rounds, args.quick, esbuild)
    with open(os.path.join(WORK, "report.txt"), "w") as f:
        f.write(text)
    with open(os.path.join(WORK, "samples.json"), "w") as f:
        json.dump({k: {"argv": v.argv, "timed_out": v.timed_out,
                       "samples": [{"wall_s": w, "cpu_s": u, "peak_rss_bytes": r} for w, u, r in v.samples]}
                   for k, v in cases.items()}, f, indent=1)
    log("")
    sys.stdout.write(text)

    # A genericized name in the keep-everything run means the exclusion list missed a word.
    trans = os.path.join(WORK, "corpus_keep", "translation.txt")
    if os.path.exists(trans) and os.path.getsize(trans) > 0:
        with open(trans, "rb") as f:
            n = f.read().count(b"\n")
        log("note: the run with every identifier excluded still genericized %d names (see %s)" % (n, rel(trans)))

    timed_out = [k for k, v in cases.items() if v.timed_out] + (["corpus_esbuild_minify"] if es_min.timed_out else [])
    if timed_out:
        log("timed out: %s" % ", ".join(timed_out))
        return 1
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except HarnessError as e:
        print("bench: %s" % e, file=sys.stderr)
        sys.exit(1)
    except KeyboardInterrupt:
        sys.exit(130)
