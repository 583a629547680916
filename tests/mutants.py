#!/usr/bin/env python3
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Mutation testing: plants one small fault at a time into src/, builds, runs the offscreen tests and counts the
# faults they catch. The mutation score is the measure of the test suite.
# Usage (from anywhere; DIR is a configured build of the tree this file lives in, default build/):
#   tests/mutants.py --diff main [--sample N]    only the lines the change since main touched (before stopping)
#   tests/mutants.py --files src/store/numbers.cpp [more files] [--sample N --seed S]
#   tests/mutants.py --sample 300 --seed 1 --report survivors.txt     the whole tree, by folder
#   tests/mutants.py --rerun survivors.txt       the survivors of an earlier report again, by their keys
#   ... --resume: go on where a stopped run with the same arguments stopped; --list: print the chosen mutants only
# The last line printed is: killed K of N (P %), survived S, equivalent E, not built B. N counts the mutants that
# built and are not equivalent, K those the tests failed on or that ran past three times the clean run's time.
# Design: only C++ code is mutated (not comments, preprocessor lines, asserts, characters; a string only emptied),
# and nowhere that leaves the same program or a change no one sees: template brackets, an rvalue reference's &&, an
# array's size, a twips:: length on the same pixel, a QColor channel within 0 to 255, code the compiler does not
# see here (files with #if go through the preprocessor). Mutants in tests/mutants-equivalent.txt are drawn, so that
# a draw stays the same when the list grows, but never built. The state is kept in DIR/mutants-<hash>.json.
import argparse, collections, contextlib, difflib, hashlib, json, os, random, re, shlex, signal, subprocess, sys, time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
EQUIVALENTS, TESTS_TARGET = ROOT / "tests" / "mutants-equivalent.txt", "tankedosan_offscreen_tests"
MIN_PER_FOLDER, BUILD_TIMEOUT, TWIPS_PER_PIXEL = 3, 1800, 15  # the last is twips::kPerPixel
STOP_SIGNALS = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}
IDENT = r"[A-Za-z_\u0080-\uffff][\w\u0080-\uffff]*"
TOKEN = re.compile(  # tried in this order: a string's prefix is not an identifier
    rf"""(?P<nl>\n)|(?P<ws>[ \t\r\f\v]|\\\n)|(?P<comment>//[^\n]*|/\*(?:.*?\*/|.*))
    |(?P<str>(?:u8|u|U|L)?R"(?P<delim>[^(]*)\(.*?\)(?P=delim)"(?:{IDENT})?|(?:u8|u|U|L)?"(?:\\.|[^"\\])*"(?:{IDENT})?)
    |(?P<chr>(?:u8|u|U|L)?'(?:\\.|[^'\\])*'(?:{IDENT})?)|(?P<id>{IDENT})|(?P<num>\.?\d(?:'?[\w.]|[eEpP][+-])*)
    |(?P<punct><=>|>>=|<<=|->\*|\.\.\.|::|->|\+\+|--|<<|>>|[-+*/%&|^<>=!]=|&&|\|\||\.\*|\#\#
    |[-{{}}\[\]();:?.+*/%^&|~!=<>,\#])|(?P<other>.)""", re.S | re.X)
DIRECTIVE = re.compile(r"(?P<directive>#(?:[^\n]*\\\r*\n)*[^\n]*\n?)")
INTEGER = re.compile(r"(0[xX][0-9a-fA-F']+|0[bB][01']+|\d[\d']*)([uUlLzZ]*)$")
KEYWORDS = set("""alignas alignof and asm auto bool break case catch char char8_t char16_t char32_t class co_await
    co_return co_yield concept const consteval constexpr constinit const_cast continue decltype default delete do
    double dynamic_cast else enum explicit export extern false float for friend goto if inline int long mutable
    namespace new noexcept not nullptr operator or private protected public register reinterpret_cast requires
    return short signed sizeof static static_assert static_cast struct switch template this thread_local throw
    true try typedef typeid typename union unsigned using virtual void volatile wchar_t while""".split())
ASSERTS, MACRO = {"assert", "Q_ASSERT", "Q_ASSERT_X", "static_assert"}, re.compile(r"[A-Z][A-Z0-9_]+$")
NOT_VALUES = KEYWORDS - {"this", "true", "false", "nullptr"}
TEMPLATE_PARTS, DEPTH = {"::", ",", "*", "&", "...", "<", ">", ">>", "(", "[", ")", "]"}, {"<": 1, ">": -1, ">>": -2}
SWAP = {"<": ("relational", "<="), "<=": ("relational", "<"), ">": ("relational", ">="), ">=": ("relational", ">"),
        "==": ("negation", "!="), "!=": ("negation", "=="), "&&": ("logical", "||"), "||": ("logical", "&&"),
        "!": ("logical", ""), "true": ("boolean", "false"), "false": ("boolean", "true")}
LAST_IN = {"return": {"func"}, "continue": {("ctrl", "for"), ("ctrl", "while"), ("ctrl", "do")},
           "break": {("ctrl", "switch")}}  # what each leaves
BASES = {"0x": (16, "x"), "0b": (2, "b"), "0": (8, "o"), "": (10, "d")}
Tok = collections.namedtuple("Tok", "kind text start end line")


def lex(text):
    toks, i, line, line_start = [], 0, 1, True
    while i < len(text):
        m = (DIRECTIVE if line_start and text[i] == "#" else TOKEN).match(text, i)
        kind, start, i = m.lastgroup, i, m.end()
        if kind != "ws": line_start = kind in ("nl", "directive")
        if kind in ("id", "num", "str", "chr", "punct"): toks.append(Tok(kind, m.group(), start, i, line))
        line += m.group().count("\n")
    return toks


class Source:
    def __init__(self, text, dead_lines=frozenset()):
        self.text, self.toks = text, [t for t in lex(text) if t.line not in dead_lines]
        self.n, T = len(self.toks), [t.text for t in self.toks] + [""] * 3  # a look past either end finds ""
        self.texts, self.kinds = T, [t.kind for t in self.toks] + [""] * 3
        self.partner, self.scope, self.opens, brackets, braces = {}, [], {}, [], [None]  # scope: the innermost {
        for i, x in enumerate(T[:self.n]):
            if x == "}" and len(braces) > 1: braces.pop()
            self.scope.append(braces[-1])
            if x in ("(", "[", "{"): brackets.append(i)
            if x in (")", "]", "}") and brackets: self.partner.update({(o := brackets.pop()): i, i: o})
            if x == "{":
                self.opens[i] = "init" if self.opens.get(braces[-1]) == "init" else self.brace_kind(i)
                braces.append(i)
        self.excluded, self.twips, self.channels = set(), set(), set()
        for i, x in enumerate(T[:self.n]):
            if x in ASSERTS and T[i + 1] == "(" and i + 1 in self.partner:
                self.excluded.update(range(i, self.partner[i + 1] + 1))
            if x == "operator" or (x == "extern" and self.kinds[i + 1] == "str"): self.excluded.add(i + 1)
            if x == "twips" and T[i + 1] == "::": self.twips |= self.numbers_in(i + 3)
            if x == "QColor": self.channels |= self.numbers_in(i + 1 + (self.kinds[i + 1] == "id"))  # QColor c(...)
        self.template = self.find_templates()

    def numbers_in(self, o):  # those within the ( at o and its partner
        return {k for k in range(o + 1, self.partner.get(o, o)) if self.texts[o] == "(" and self.kinds[k] == "num"}

    def brace_kind(self, i):  # func, block, init, type or ("ctrl", keyword)
        T, p = self.texts, self.texts[i - 1]
        if p == ")" and i - 1 in self.partner:
            o = self.partner[i - 1]
            before = "if" if T[o - 1] == "constexpr" and T[o - 2] == "if" else T[o - 1]
            return ("ctrl", before) if before in ("if", "for", "while", "switch", "catch") else "func"
        if p in ("else", "do", "try"): return ("ctrl", p)
        if p in (";", "{", "}", ":") or i == 0: return "block"
        if p == "]": return "func"
        words = T[next((j for j in range(i - 1, -1, -1) if T[j] in (";", "{", "}")), -1) + 1:i][::-1]
        if {"class", "struct", "union", "enum", "namespace", "extern"} & set(words): return "type"
        trailing_return_type = "->" in words and ")" in words[words.index("->"):]
        return "func" if trailing_return_type or p in ("const", "override", "final", "noexcept", "mutable") else "init"

    def find_templates(self):
        T, found = self.texts, set()
        for i in range(self.n):
            if T[i] != "<" or i in self.excluded or i in found: continue
            lenient, depth, parens = T[i - 1] == "template", 0, 0
            for j in range(i, self.n):
                depth += DEPTH.get(T[j], 0)
                parens += {"(": 1, "[": 1, ")": -1, "]": -1}.get(T[j], 0)
                if T[j] in (">", ">>") and depth <= 0 and parens == 0:
                    found.update(m for m in range(i, j + 1) if T[m] in ("<", ">", ">>"))
                    break
                if parens < 0 or T[j] in (";", "{", "}") or not (
                        lenient or self.kinds[j] in ("id", "num") or T[j] in TEMPLATE_PARTS):
                    break
        return found

    def statement_start(self, s):  # whether a statement in a function's code may begin at token s
        T, p = self.texts, self.texts[s - 1]
        if self.scope[s] is None or self.opens[self.scope[s]] in ("init", "type"): return False
        if p in (";", "{", "}", "else", "do"): return True
        if p == ")" and s - 1 in self.partner: return T[self.partner[s - 1] - 1] in ("if", "for", "while", "constexpr")
        if p != ":": return False
        j = s - 2  # back over a case or default label
        while j >= 0 and self.toks[j].line == self.toks[s - 1].line and T[j] not in (";", "{", "}"): j -= 1
        return T[j + 1] in ("case", "default")

    def end_of(self, s):  # the ; of the simple statement at s
        j = s
        while j < self.n and self.texts[j] != ";":
            if self.texts[j] in ("}", ")", "]"): return None
            j = self.partner.get(j, j) + 1
        return j if j < self.n else None

    def call_statement(self, s):  # the ; if the statement at s is a call whose value goes unused
        T, K, j = self.texts, self.kinds, s + (self.texts[s] in ("emit", "Q_EMIT"))
        j += T[j] == "::"
        if K[j] != "id" or (T[j] in KEYWORDS and T[j] != "this") or MACRO.match(T[j]) or T[j] in ASSERTS: return None
        j, called = j + 1, False
        while j < self.n:
            if T[j] in ("::", ".", "->") and K[j + 1] == "id":
                j, called = j + 2, False
            elif T[j] == "<" and j in self.template:
                depth, j, called = 1, j + 1, False
                while depth > 0 and j < self.n: depth, j = depth + DEPTH.get(T[j], 0), j + 1
            elif T[j] in ("(", "[") and j in self.partner:
                j, called = self.partner[j] + 1, T[j] == "("
            else:
                return j if T[j] == ";" and called else None

    def closes(self, k):  # what the } at token k closes
        return self.opens[self.partner[k]] if self.texts[k] == "}" and k in self.partner else None

    def needless(self, word, k):
        # control reaches the end of what the return, continue or break before k leaves anyway, with nothing done
        passed = {"block", ("ctrl", "if"), ("ctrl", "else")} | ({("ctrl", "switch")} if word != "break" else set())
        while (self.texts[k] == "else" and self.texts[k + 1] == "{") or self.closes(k) in passed:
            k = self.partner[k + 1] + 1 if self.texts[k] == "else" else k + 1
        return self.closes(k) in LAST_IN[word]


def mutants_of(src):  # (start, end, replacement, op, first line)
    out, T, K, text = [], src.texts, src.kinds, src.text
    for i, (kind, x, start, end, line) in enumerate(src.toks):
        if i in src.excluded: continue
        if x in SWAP and (x not in ("<", ">") or i not in src.template) and (
                x != "&&" or (text[start - 1] in " \t\n" and text[end] in " \t\n")):
            out.append((start, end, SWAP[x][1], f"{SWAP[x][0]}:{x}:{SWAP[x][1]}", line))
        elif kind == "num" and (m := INTEGER.match(x)) and not (
                T[i - 1] == "[" and T[i + 1] == "]" and T[i + 2] in (";", "=", "{", "[") and K[i - 2] == "id"):
            prefix, digits = re.match(r"(0[xXbB]|0(?=.)|)(.*)", m.group(1).replace("'", "")).groups()
            (base, letter), case = BASES[prefix.lower()], str.upper if digits == digits.upper() else str.lower
            value = int(digits, base)
            left = T[i - 2] in (")", "]") or (K[i - 2] in ("id", "num", "str", "chr") and T[i - 2] not in NOT_VALUES)
            binary_one = value == 1 and T[i - 1] in ("+", "-") and left  # then the 1 is not also made 0: the same
            for v in (value + 1,) if binary_one else (value + 1, value - 1):
                if not (i in src.twips and round(v / TWIPS_PER_PIXEL) == round(value / TWIPS_PER_PIXEL)
                        or i in src.channels and 0 <= v <= 255):
                    new = ("-" if v < 0 else "") + prefix + case(format(abs(v), letter)) + m.group(2)
                    out.append((start, end, new, f"offbyone:{x}:{new}", line))
            if binary_one and T[i + 1] not in ("*", "/", "%", "(", "[", ".", "->"):
                out.append((src.toks[i - 2].end, end, "", f"offbyone:{T[i - 1]}1:", line))
        elif kind == "str":
            q, body_end = x.index('"'), x.rindex('"')
            body = x[x.index("(", q) + 1:x.rindex(")", q, body_end)] if x[:q].endswith("R") else x[q + 1:body_end]
            if body: out.append((start, end, x[:q].rstrip("R") + '""' + x[body_end + 1:], "string:emptied", line))
        if kind == "id" and i + 1 not in src.excluded and src.statement_start(i):
            last, op = (src.end_of(i), "early:" + x) if x in LAST_IN else (src.call_statement(i), "call:removed")
            if last is not None and not (x in LAST_IN and src.needless(x, last + 1)):
                out.append((*removal(src, i, last), op, line))
    return sorted(out, key=lambda m: (m[0], m[1], m[3], m[2]))


def removal(src, s, e):
    # On lines of its own a statement takes them away; elsewhere (an if's body) a ";" keeps the next one in place.
    text, start, end = src.text, src.toks[s].start, src.toks[e].end
    line_begin, line_end = text.rfind("\n", 0, start) + 1, re.compile(".*").match(text, end).end()
    alone = not text[line_begin:start].strip() and text[end:line_end].strip()[:2] in ("", "//")
    if alone and src.texts[s - 1] in (";", "{", "}"): return line_begin, min(line_end + 1, len(text)), ""
    return start, end, ";"


def read_source(rel): return (ROOT / rel).read_bytes().decode("utf-8", "surrogateescape")


def mutated(text, m): return text[:m["start"]] + m["repl"] + text[m["end"]:]


def candidates(paths, dead):  # every mutant of the files, in a fixed order, each with its key
    result = []
    for rel in sorted(paths):
        text = read_source(rel)
        stripped, occurrences = [line.strip() for line in text.split("\n")], collections.Counter()
        for start, end, repl, op, line in mutants_of(Source(text, dead.get(rel, frozenset()))):
            occurrences[line, op] += 1
            s = stripped[line - 1]
            where = f"@{stripped[:line].count(s)}" if stripped.count(s) > 1 else ""  # which of the lines with s
            key = f"{rel} {op}#{occurrences[line, op]}{where} {json.dumps(s, ensure_ascii=False)}"
            result.append(dict(file=rel, line=line, start=start, end=end, repl=repl, op=op, orig=text[start:end],
                               key=key, last_line=line + text[start:end].rstrip("\n").count("\n")))
    return result


def source_files():
    return sorted(str(p.relative_to(ROOT)) for p in (ROOT / "src").rglob("*") if p.suffix in (".cpp", ".h"))


def folder_of(rel): return "/".join(rel.split("/")[:2 if rel.count("/") > 1 else 1])


def dead_lines(build):  # lines of src/ inside #if blocks that the compiler does not see here
    conditional = {}
    for rel in source_files():
        depth, inside = 0, set()
        for n, line in enumerate((ROOT / rel).read_text(encoding="utf-8", errors="replace").split("\n"), 1):
            d = re.match(r"\s*#\s*(if|ifdef|ifndef|endif)\b", line)
            depth += (-1 if d.group(1) == "endif" else 1) if d else 0
            if depth > 0 and not d: inside.add(n)
        if inside: conditional[rel] = inside
    compiler, commands = read_cache(build).get("CMAKE_CXX_COMPILER", "c++"), {}  # source -> its flags
    for flags in Path(build).glob("**/CMakeFiles/*.dir/flags.make"):
        f = collections.defaultdict(str, re.findall(r"^(CXX_\w+) = (.*)$", flags.read_text(), re.M))
        for rel in re.findall(re.escape(str(ROOT)) + r"/(src/[^\s:]+\.cpp)", (flags.parent / "build.make").read_text()):
            commands.setdefault(rel, shlex.split(f"{f['CXX_DEFINES']} {f['CXX_INCLUDES']} {f['CXX_FLAGS']}"))
    headers, live = [f'"{h[4:]}"' for h in conditional if h.endswith(".h")], collections.defaultdict(set)
    for rel in sorted(commands):
        if rel not in conditional and not any(h in read_source(rel) for h in headers): continue
        out = subprocess.run([compiler, *commands[rel], "-E", str(ROOT / rel)], capture_output=True, text=True,
                             errors="replace", cwd=build)
        if out.returncode: sys.exit(f"the preprocessor failed on {rel}:\n{out.stderr[-2000:]}")
        current, n = None, 0
        for line in out.stdout.split("\n"):
            if mark := re.match(rf'# (\d+) "({re.escape(str(ROOT))}/)?([^"]*)"', line):
                n, current = int(mark[1]) - 1, mark[3] if mark[2] else None
            elif current in conditional and line.strip():
                live[current].add(n)
            n += 1
    return {rel: frozenset(conditional[rel] - live[rel]) for rel in conditional if rel in live}


def draw_sample(cands, count, seed):  # by folder, at least a few from each
    rng, by_folder, count = random.Random(seed), collections.defaultdict(list), min(count, len(cands))
    for c in cands: by_folder[folder_of(c["file"])].append(c)
    share = {f: count * len(cs) / len(cands) for f, cs in by_folder.items()}
    least = {f: min(MIN_PER_FOLDER, len(cs), count // len(by_folder)) for f, cs in by_folder.items()}
    quota = {f: max(least[f], int(share[f])) for f in by_folder}
    while sum(quota.values()) < count:
        quota[max((f for f in quota if quota[f] < len(by_folder[f])), key=lambda f: (share[f] - quota[f], f))] += 1
    while sum(quota.values()) > count:
        quota[max((f for f in quota if quota[f] > least[f]), key=lambda f: (quota[f] - share[f], f))] -= 1
    chosen = [c for f in sorted(by_folder) for c in rng.sample(by_folder[f], quota[f])]
    return sorted(chosen, key=lambda c: (c["file"], c["start"], c["op"], c["repl"]))


def changed_lines(rev):
    diff = subprocess.run(["git", "diff", "-U0", rev, "--", "src/"], cwd=ROOT, capture_output=True, text=True,
                          check=True).stdout
    lines, current = collections.defaultdict(set), None
    for path, first, n in re.findall(r"^\+\+\+ (?:b/(.*)|.*)$|^@@ -\S+ \+(\d+)(?:,(\d+))? @@", diff, re.M):
        if first and current: lines[current].update(range(int(first), int(first) + int(n or 1)))
        if not first: current = path or None
    return lines


def load_equivalents():
    keys = set()
    for line in (EQUIVALENTS.read_text(encoding="utf-8").split("\n") if EQUIVALENTS.exists() else []):
        if line.strip() and not line.startswith("#"):
            m = re.match(r'(\S+ \S+ "(?:[^"\\]|\\.)*")', line) or sys.exit(f"{EQUIVALENTS.name}: cannot read: {line}")
            keys.add(m.group(1))
    return keys


class Stopped(Exception): pass


def on_signal(signum, frame): raise Stopped(signal.Signals(signum).name)


def masked(fn, *args):  # with the stop signals held back, so that no file is left half written
    old = signal.pthread_sigmask(signal.SIG_BLOCK, STOP_SIGNALS)
    try:
        return fn(*args)
    finally:
        signal.pthread_sigmask(signal.SIG_SETMASK, old)


def read_cache(build):
    cache = Path(build) / "CMakeCache.txt"
    if not cache.exists(): sys.exit(f"{cache} not found: configure the build first (cmake -S {ROOT} -B {build})")
    return dict(re.findall(r"^(\w+):\w+=(.*)$", cache.read_text(errors="replace"), re.M))


def run(cmd, log, timeout=None):  # the exit code, None on timeout
    with open(log, "wb") as out:
        p = subprocess.Popen(cmd, stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        try:
            return p.wait(timeout=timeout)
        except BaseException as e:  # a timeout or a stop ends the whole process group before it goes on
            with contextlib.suppress(ProcessLookupError):
                os.killpg(p.pid, signal.SIGTERM)
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    os.killpg(p.pid, signal.SIGKILL)
                    p.wait()
            if not isinstance(e, subprocess.TimeoutExpired): raise


def replace(tmp, path, data):  # the old file or the new one whole, never half of it
    (tmp.write_bytes if isinstance(data, bytes) else tmp.write_text)(data)
    os.replace(tmp, path)


def apply(backup, m):
    text = read_source(m["file"])
    if text[m["start"]:m["end"]] != m["orig"]:
        raise SystemExit(f"{m['file']}:{m['line']} has changed since the mutants were drawn: start anew")
    backup.mkdir(exist_ok=True)
    replace(backup / "original.tmp", backup / "original", text.encode("utf-8", "surrogateescape"))
    replace(backup / "path.tmp", backup / "path", m["file"])
    (ROOT / m["file"]).write_bytes(mutated(text, m).encode("utf-8", "surrogateescape"))


def put_back(backup, leftover=False):
    if (backup / "path").exists():
        rel = (backup / "path").read_text()
        if leftover: print(f"restoring {rel} from a run that was stopped", flush=True)
        (ROOT / rel).write_bytes((backup / "original").read_bytes())
        os.utime(ROOT / rel, ns=(time.time_ns(),) * 2)  # later than any object built from the mutant: rebuilt
        (backup / "path").unlink()
    (backup / "original").unlink(missing_ok=True)


def build_tree(build, tests_only=False):  # for a mutant only what the offscreen tests run, if the tree has that
    cmd, targets = ["cmake", "--build", build, "-j2"], Path(build) / "CMakeFiles" / "TargetDirectories.txt"
    if tests_only and targets.exists() and f"/{TESTS_TARGET}.dir" in targets.read_text():
        cmd += ["--target", TESTS_TARGET]
    return run(cmd, Path(build) / "mutants-build.log", BUILD_TIMEOUT) == 0


def run_suite(build, timeout, near=None):  # passed, failed or timeout, and the failed tests
    # A mutant is most often caught by the tests beside its code, so those run first; a suite stops at its first
    # failure. Only a survivor runs every test.
    for select in ([["-R", near, "--no-tests=ignore"], ["-E", near, "--no-tests=error"]] if near else
                   [["--no-tests=error"]]):
        failed_log = Path(build) / "Testing" / "Temporary" / "LastTestsFailed.log"
        failed_log.unlink(missing_ok=True)
        code = run(["ctest", "--test-dir", build, "-L", "offscreen", "-j2", "--stop-on-failure", *select],
                   Path(build) / "mutants-ctest.log", timeout)
        if code is None: return "timeout", []
        if code != 0:
            failed = failed_log.read_text().split("\n") if failed_log.exists() else []
            return "failed", [line.split(":", 1)[1] for line in failed if ":" in line] or ["ctest exit %d" % code]
    return "passed", []


def near_tests(rel):  # the tests of the mutated file's folder, as a ctest pattern; None where it has none
    names = sorted(p.stem for p in (ROOT / "tests" / Path(rel).parent.relative_to("src")).glob("tst_*.cpp"))
    return f"^({'|'.join(names)})(_|$)" if names else None


def test(build, backup, m, timeout):  # the outcome and the failed tests
    masked(apply, backup, m)
    try:
        if not build_tree(build, tests_only=True): return "not built", []
        outcome, failed = run_suite(build, timeout, near_tests(m["file"]))
        if outcome == "timeout":  # once more, so that a busy machine is not taken for a hang
            outcome, failed = run_suite(build, timeout, near_tests(m["file"]))
        return {"passed": "survived", "failed": "killed"}.get(outcome, outcome), failed
    finally:
        masked(put_back, backup)


def percent(k, n): return f"{100 * k / n:.1f}" if n else "-"


def summary(state, equivalents, report):
    totals, rows, survivors = collections.Counter(), {}, []
    for m in state["mutants"]:  # all have an outcome by now
        outcome = "equivalent" if m["key"] in equivalents else m["outcome"]
        totals[outcome] += 1
        row = rows.setdefault(folder_of(m["file"]), [0, 0])
        if outcome in ("killed", "timeout", "survived"): row[:] = row[0] + (outcome != "survived"), row[1] + 1
        if outcome == "survived": survivors.append(m)
    print(f"{'folder':<18} {'killed':>6} {'of':>5} {'%':>6}")
    for folder, (k, n) in sorted(rows.items()): print(f"{folder:<18} {k:>6} {n:>5} {percent(k, n):>6}")
    print(f"timed out (counted as killed): {totals['timeout']}")
    if report:
        parts = [f"# {len(survivors)} mutants survived. To list one as equivalent, copy its key line into "
                 f"tests/mutants-equivalent.txt and add the reason.\n"]
        for m in survivors:
            text = read_source(m["file"])
            diff = difflib.unified_diff(text.splitlines(True), mutated(text, m).splitlines(True), f"a/{m['file']}",
                                        f"b/{m['file']}", n=2)
            parts.append(f"\n{m['file']}:{m['line']} {m['op']}\nkey: {m['key']}\n" + "".join(diff))
        Path(report).write_text("".join(parts), encoding="utf-8")
        print(f"survivors: {report}")
    print(f"not built: {totals['not built']}")
    done = [m["seconds"] for m in state["mutants"] if m["outcome"] != "equivalent"]
    if done: print(f"{sum(done) / len(done):.0f} s a mutant on average")
    killed, survived = totals["killed"] + totals["timeout"], totals["survived"]
    print(f"killed {killed} of {killed + survived} ({percent(killed, killed + survived)} %), survived {survived}, "
          f"equivalent {totals['equivalent']}, not built {totals['not built']}", flush=True)


def main():
    ap = argparse.ArgumentParser(description="Mutation testing of src/ against the offscreen tests.")
    where = ap.add_mutually_exclusive_group()
    where.add_argument("--files", nargs="+", metavar="F")
    where.add_argument("--diff", metavar="REV")
    where.add_argument("--rerun", metavar="REPORT")
    ap.add_argument("--sample", type=int, metavar="N", help="N drawn, by folder, from all of src/ or from --files")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--build", default="build", metavar="DIR")
    ap.add_argument("--report", metavar="FILE")
    ap.add_argument("--resume", action="store_true")
    ap.add_argument("--list", action="store_true")
    args = ap.parse_args()
    if not (args.files or args.diff or args.rerun or args.sample is not None):
        ap.error("one of --files, --diff, --rerun or --sample is required")
    build = str(Path(args.build).resolve())
    backup, home = Path(build) / "mutants-backup", read_cache(build).get("CMAKE_HOME_DIRECTORY", "")
    if Path(home).resolve() != ROOT: sys.exit(f"{build} is a build of {home or 'nothing'}, not of {ROOT}")
    masked(put_back, backup, True)  # before anything reads the sources

    if args.files:
        rels = []
        for f in args.files:
            rel = str(Path(f).resolve().relative_to(ROOT))
            if not rel.startswith("src/") or Path(rel).suffix not in (".cpp", ".h") or not (ROOT / rel).exists():
                sys.exit(f"{f}: not a .cpp or .h file under src/")
            rels.append(rel)
        what = " ".join(["files", *sorted(set(rels))] + [f"sample {args.sample} seed {args.seed}"] * bool(args.sample))
    elif args.diff:
        touched, what = changed_lines(args.diff), f"diff {args.diff}" + f" sample {args.sample} seed {args.seed}" * (
            args.sample is not None)
        rels = [r for r in touched if Path(r).suffix in (".cpp", ".h") and (ROOT / r).exists()]
    elif args.rerun:
        keys = set(re.findall(r"^key: (.*)$", Path(args.rerun).read_text(encoding="utf-8"), re.M))
        rels = {key.split(" ", 1)[0] for key in keys if (ROOT / key.split(" ", 1)[0]).exists()}
        what = f"rerun {hashlib.sha1(''.join(sorted(keys)).encode()).hexdigest()[:12]}"
    else:
        rels, what = source_files(), f"sample {args.sample} seed {args.seed}"
    state_file = Path(build) / f"mutants-{hashlib.sha1(what.encode()).hexdigest()[:12]}.json"
    equivalents = load_equivalents()

    if args.resume and state_file.exists():
        state = json.loads(state_file.read_text())
        print(f"resuming {what}: {sum(m.get('outcome') is not None for m in state['mutants'])} of "
              f"{len(state['mutants'])} done", flush=True)
    else:
        chosen = candidates(set(rels), dead_lines(build))
        if args.diff:
            chosen = [c for c in chosen if not touched[c["file"]].isdisjoint(range(c["line"], c["last_line"] + 1))]
            if args.sample is not None:  # a large change: N of its mutants
                chosen = draw_sample(chosen, args.sample, args.seed)
        elif args.rerun:
            chosen = [c for c in chosen if c["key"] in keys]
            if len(chosen) < len(keys):
                print(f"{len(keys) - len(chosen)} of the report's mutants are no longer in the code", flush=True)
        elif args.sample is not None:
            chosen = draw_sample(chosen, args.sample, args.seed)
        state = {"args": what, "clean_seconds": None, "mutants": chosen}
    if args.list:
        for m in state["mutants"]:
            mark = " (equivalent)" if m["key"] in equivalents else ""
            print(f"{m['file']}:{m['line']} {m['op']} {m['orig'].strip()!r} -> {m['repl']!r}{mark}")
        print(f"{len(state['mutants'])} mutants ({what})")
        return

    def save():
        replace(state_file.with_suffix(".tmp"), state_file, json.dumps(state, ensure_ascii=False))

    for sig in STOP_SIGNALS: signal.signal(sig, on_signal)
    try:
        print("building the clean tree", flush=True)
        if not build_tree(build): sys.exit(f"the clean tree does not build: see {build}/mutants-build.log")
        if state["clean_seconds"] is None:
            began, (outcome, failed) = time.monotonic(), run_suite(build, None)
            if outcome != "passed":
                sys.exit(f"the tests fail on the clean tree ({', '.join(failed)}): see {build}/mutants-ctest.log")
            state["clean_seconds"] = round(time.monotonic() - began, 1)
            save()
        timeout = 3 * state["clean_seconds"]
        print(f"the clean tests take {state['clean_seconds']} s; a mutant's run stops after {timeout:.0f} s",
              flush=True)
        for number, m in enumerate(state["mutants"], 1):
            if m.get("outcome") is not None: continue
            began = time.monotonic()
            m["outcome"], failed = ("equivalent", []) if m["key"] in equivalents else test(build, backup, m, timeout)
            m["failed"], m["seconds"] = failed, round(time.monotonic() - began, 1)
            save()
            print(f"[{number}/{len(state['mutants'])}] {m['outcome']} {m['file']}:{m['line']} {m['op']}"
                  + (f" ({', '.join(failed)})" if failed else "") + f" {m['seconds']:.0f} s", flush=True)
        print("building the clean tree again", flush=True)
        if not build_tree(build): sys.exit(f"the clean tree does not build again: see {build}/mutants-build.log")
    except Stopped as stop:
        masked(put_back, backup, True)
        save()
        sys.exit(f"stopped ({stop}); the tree is restored. Go on with --resume")
    summary(state, equivalents, args.report)


if __name__ == "__main__": main()
