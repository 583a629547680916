#!/usr/bin/env python3
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Mutation testing: plants one small fault at a time into src/, builds, runs the offscreen tests and counts the
# faults they catch. The mutation score is the measure of the test suite.
#
# Usage (from anywhere; DIR is a configured build of the tree this file lives in, default build/):
#   tests/mutants.py --diff main                 only the lines the change since main touched (before stopping)
#   tests/mutants.py --files src/store/numbers.cpp [more files] [--sample N --seed S]
#   tests/mutants.py --sample 300 --seed 1 --report survivors.txt     the whole tree, by folder
#   ... --resume          go on where a stopped run with the same arguments stopped
#   tests/mutants.py --rerun survivors.txt       the survivors of an earlier report again, by their keys
#   ... --list            print the mutants the arguments choose and run nothing
#   ... --build DIR
# The last line printed is: killed K of N (P %), survived S, equivalent E, not built B
# N counts the mutants that built and are not equivalent; K counts those the tests failed on or that ran past
# three times the clean run's time. P has one decimal.
#
# The mutants, on C++ code only (never in comments, preprocessor lines, asserts, nor string or character
# literals unless said):
#   relational   < <=, > >=, each to the other      negation   == !=, each to the other
#   logical      && ||, each to the other; a ! dropped
#   offbyone     an integer literal plus and minus one; a binary "+ 1" or "- 1" dropped (then the literal 1 is
#                not also turned into 0 there, which would be the same program)
#   boolean      true false, each to the other      string     a non-empty string literal emptied
#   call         a statement that is only a call (f(x); a.b(); p->c()->d(); emit s();), however many lines it
#                takes, removed; not declarations, not macros (names in capitals), not assert()
#   early        return, continue or break removed where something could follow it: a return that is the last
#                thing its function does on that path, a continue that ends its loop's body and a break that
#                ends a switch are left alone, since without them the program is the same. The break before a
#                case label is removed like any other (falling through is a real fault).
# A statement removed on lines of its own takes those lines away; elsewhere (the body of an if without braces,
# after a label) it leaves an empty statement, so that the next statement does not become the body.
# Not treated as operators: template brackets (std::vector<int>, static_cast<int>), ->, <<, >>, operator<
# and its kin, && of an rvalue reference (the code is clang-formatted: a logical && has blanks on both sides),
# an array's size in its declaration, and a length in twips (an integer argument of a twips:: call) plus or
# minus one where that stays on the same pixel at the laid-out font (a twip is a fifteenth of one), and a
# colour's channel plus or minus one within 0 to 255 (a 255th of a channel, which no eye tells apart). Code that the compiler never sees on this machine (the other side of an
# #ifdef) is left out: the files with #if are run through the preprocessor with their own flags.
#
# Equivalent mutants are listed in tests/mutants-equivalent.txt (its header tells the format); they are drawn
# like any other, so a draw stays the same when the list grows, but never built: they count as E.
#
# Each mutant is applied alone to the source tree of the build folder, built (cmake --build DIR -j2 --target
# tankedosan_offscreen_tests: the benchmarks and tools would add a third to the time), the tests labelled
# offscreen run (ctest -L offscreen -j2; a run past three times the clean run's time is tried once more before
# it counts as timed out) and the file restored, also when the run is stopped. The original of a mutated file waits in DIR/mutants-backup/ until it is back; a run killed outright leaves it
# there, and the next run puts it back before anything else. A restored file gets a fresh mtime, so the next
# build compiles it again. State (the mutants drawn, each outcome, the clean run's time) is kept in
# DIR/mutants-<hash of the arguments>.json after each mutant, for --resume.
import argparse
import bisect
import difflib
import hashlib
import json
import os
import random
import re
import shlex
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
EQUIVALENTS = ROOT / "tests" / "mutants-equivalent.txt"
MIN_PER_FOLDER = 3
BUILD_TIMEOUT = 1800
TESTS_TARGET = "tankedosan_offscreen_tests"

# ---------------------------------------------------------------- lexing

PUNCTUATORS = sorted("""<=> >>= <<= ->* ... :: -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= .* ##
    { } [ ] ( ) ; : ? . + - * / % ^ & | ~ ! = < > , #""".split(), key=len, reverse=True)
IDENT = re.compile(r"[A-Za-z_\u0080-\uffff][\w\u0080-\uffff]*")
NUMBER = re.compile(r"\.?\d(?:'?[\w.]|[eEpP][+-])*")
INTEGER = re.compile(r"(0[xX][0-9a-fA-F']+|0[bB][01']+|\d[\d']*)([uUlLzZ]*)$")
STRING_PREFIXES = ("u8", "u", "U", "L", "")
KEYWORDS = set("""alignas alignof and asm auto bool break case catch char char8_t char16_t char32_t class co_await
    co_return co_yield concept const consteval constexpr constinit const_cast continue decltype default delete do
    double dynamic_cast else enum explicit export extern false float for friend goto if inline int long mutable
    namespace new noexcept not nullptr operator or private protected public register reinterpret_cast requires
    return short signed sizeof static static_assert static_cast struct switch template this thread_local throw
    true try typedef typeid typename union unsigned using virtual void volatile wchar_t while""".split())
ASSERTS = {"assert", "Q_ASSERT", "Q_ASSERT_X", "static_assert"}
MACRO = re.compile(r"[A-Z][A-Z0-9_]+$")
TWIPS_PER_PIXEL = 15  # twips::kPerPixel


class Tok:
    __slots__ = ("kind", "text", "start", "end", "line")

    def __init__(self, kind, text, start, end, line):
        self.kind, self.text, self.start, self.end, self.line = kind, text, start, end, line


def lex(text, line_starts):
    """Tokens of C++ text, without comments and preprocessor lines (those are dropped whole)."""
    toks, i, n, line_start = [], 0, len(text), True

    def add(kind, start, end):
        toks.append(Tok(kind, text[start:end], start, end, bisect.bisect_right(line_starts, start)))

    while i < n:
        c = text[i]
        if c == "\n":
            line_start, i = True, i + 1
            continue
        if c in " \t\r\f\v" or (c == "\\" and text.startswith("\n", i + 1)):
            i += 1 if c != "\\" else 2
            continue
        if c == "#" and line_start:
            while True:  # the directive and its continuation lines
                k = text.find("\n", i)
                if k < 0:
                    i = n
                    break
                i = k + 1
                if not text[:k].rstrip("\r").endswith("\\"):
                    break
            continue
        line_start = False
        if text.startswith("//", i):
            k = text.find("\n", i)
            i = n if k < 0 else k
            continue
        if text.startswith("/*", i):
            k = text.find("*/", i + 2)
            i = n if k < 0 else k + 2
            continue
        m = IDENT.match(text, i)
        if m:
            word, j = m.group(), m.end()
            if word.endswith("R") and word[:-1] in STRING_PREFIXES and text.startswith('"', j):
                k = text.index("(", j)
                close = ")" + text[j + 1:k] + '"'
                end = text.index(close, k) + len(close)
                end = IDENT.match(text, end).end() if IDENT.match(text, end) else end
                add("str", i, end)
                i = end
                continue
            if word in STRING_PREFIXES and j < n and text[j] in "\"'":
                i = lex_quoted(text, i, j, add)
                continue
            add("id", i, j)
            i = j
            continue
        if c.isdigit() or (c == "." and i + 1 < n and text[i + 1].isdigit()):
            j = NUMBER.match(text, i).end()
            add("num", i, j)
            i = j
            continue
        if c in "\"'":
            i = lex_quoted(text, i, i, add)
            continue
        for p in PUNCTUATORS:
            if text.startswith(p, i):
                add("punct", i, i + len(p))
                i += len(p)
                break
        else:
            i += 1
    return toks


def lex_quoted(text, start, quote_at, add):
    q, j = text[quote_at], quote_at + 1
    while text[j] != q:
        j += 2 if text[j] == "\\" else 1
    j += 1
    m = IDENT.match(text, j)  # a user-defined literal's suffix, as in u"..."_s
    end = m.end() if m else j
    add("str" if q == '"' else "chr", start, end)
    return end


# ---------------------------------------------------------------- the structure the operators need


class Source:
    def __init__(self, rel, text, dead_lines=frozenset()):
        self.rel, self.text = rel, text
        self.line_starts = [0] + [m.end() for m in re.finditer("\n", text)]
        self.lines = text.split("\n")
        self.toks = [t for t in lex(text, self.line_starts) if t.line not in dead_lines]
        self.match = {}
        stack = []
        for i, t in enumerate(self.toks):
            if t.text in ("(", "[", "{"):
                stack.append(i)
            elif t.text in (")", "]", "}") and stack:
                o = stack.pop()
                self.match[o], self.match[i] = i, o
        self.scope = [None] * len(self.toks)  # index of the innermost { around each token
        self.kind = {}  # { index -> func, block, init, type, or ("ctrl", keyword)
        stack = []
        for i, t in enumerate(self.toks):
            self.scope[i] = stack[-1] if stack else None
            if t.text == "{":
                outer = stack[-1] if stack else None
                self.kind[i] = "init" if outer is not None and self.kind[outer] == "init" else self.brace_kind(i)
                stack.append(i)
            elif t.text == "}" and stack:
                stack.pop()
                self.scope[i] = stack[-1] if stack else None
        self.excluded = set()
        for i, t in enumerate(self.toks):
            if t.text in ASSERTS and self.text_at(i + 1) == "(" and i + 1 in self.match:
                self.excluded.update(range(i, self.match[i + 1] + 1))
            if t.text == "operator":
                self.excluded.add(i + 1)
            if t.text == "extern" and self.kind_at(i + 1) == "str":
                self.excluded.add(i + 1)
        self.twips = set()  # the integer arguments of twips:: calls, lengths in fifteenths of a pixel
        for i, t in enumerate(self.toks):
            if t.text == "twips" and self.text_at(i + 1) == "::" and self.text_at(i + 3) == "(" and i + 3 in self.match:
                self.twips.update(k for k in range(i + 4, self.match[i + 3]) if self.toks[k].kind == "num")
        self.channels = set()  # the integer arguments of a QColor, each a channel of 0 to 255
        for i, t in enumerate(self.toks):
            opening = i + 1 if t.text == "QColor" and self.text_at(i + 1) == "(" else (
                i + 2 if t.text == "QColor" and self.kind_at(i + 1) == "id" and self.text_at(i + 2) == "(" else None)
            if opening is not None and opening in self.match:
                self.channels.update(k for k in range(opening + 1, self.match[opening]) if self.toks[k].kind == "num")
        self.template = self.find_templates()

    def text_at(self, i):
        return self.toks[i].text if 0 <= i < len(self.toks) else ""

    def kind_at(self, i):
        return self.toks[i].kind if 0 <= i < len(self.toks) else ""

    def brace_kind(self, i):
        p = self.text_at(i - 1)
        if p == ")" and i - 1 in self.match:
            o = self.match[i - 1]
            before = self.text_at(o - 1)
            if before == "constexpr" and self.text_at(o - 2) == "if":
                before = "if"
            return ("ctrl", before) if before in ("if", "for", "while", "switch", "catch") else "func"
        if p in ("else", "do", "try"):
            return ("ctrl", p)
        if p in (";", "{", "}", ":") or i == 0:
            return "block"
        if p == "]":
            return "func"
        words, j = [], i - 1
        while j >= 0 and self.toks[j].text not in (";", "{", "}"):
            words.append(self.toks[j].text)
            j -= 1
        if {"class", "struct", "union", "enum", "namespace", "extern"} & set(words):
            return "type"
        if p in ("const", "override", "final", "noexcept", "mutable"):
            return "func"
        if "->" in words and ")" in words[words.index("->"):]:
            return "func"  # a trailing return type
        return "init"

    def find_templates(self):
        """Indexes of the < and > (and >>) that are template brackets."""
        found = set()
        for i, t in enumerate(self.toks):
            if t.text != "<" or i in self.excluded or i in found:
                continue
            lenient = self.text_at(i - 1) == "template"
            depth, j, parens = 1, i + 1, 0
            while j < len(self.toks):
                x, k = self.toks[j].text, self.toks[j].kind
                if x == "<":
                    depth += 1
                elif x in (">", ">>"):
                    depth -= len(x)
                    if depth <= 0 and parens == 0:
                        found.update(range(i, j + 1))  # nested brackets included
                        found.difference_update(m for m in range(i, j + 1) if self.toks[m].text not in "<>>")
                        break
                elif x in ("(", "["):
                    parens += 1
                elif x in (")", "]"):
                    parens -= 1
                    if parens < 0:
                        break
                elif x in (";", "{", "}"):
                    break
                elif not lenient and not (k in ("id", "num") or x in ("::", ",", "*", "&", "...")):
                    break
                j += 1
        return found

    def statement_start(self, s):
        """Whether a statement in a function's code may begin at token s."""
        sc = self.scope[s]
        if sc is None or self.kind[sc] in ("init", "type"):
            return False
        p = self.text_at(s - 1)
        if p in (";", "{", "}", "else", "do"):
            return True
        if p == ")" and s - 1 in self.match:
            o = self.match[s - 1]
            return self.text_at(o - 1) in ("if", "for", "while", "constexpr")
        if p == ":":  # a case or default label
            j = s - 2
            while j >= 0 and self.toks[j].line == self.toks[s - 1].line and self.text_at(j) not in (";", "{", "}"):
                j -= 1
            return self.text_at(j + 1) in ("case", "default")
        return False

    def end_of(self, s):
        """Index of the ; that ends the simple statement starting at s."""
        j = s
        while j < len(self.toks) and self.toks[j].text != ";":
            if self.toks[j].text in ("(", "[", "{") and j in self.match:
                j = self.match[j]
            elif self.toks[j].text in ("}", ")", "]"):
                return None
            j += 1
        return j if j < len(self.toks) else None

    def call_statement(self, s):
        """Index of the ; if the statement at s is a call whose value goes unused, else None."""
        j = s
        if self.text_at(j) in ("emit", "Q_EMIT"):
            j += 1
        if self.text_at(j) == "::":
            j += 1
        first = self.text_at(j)
        if self.kind_at(j) != "id" or (first in KEYWORDS and first != "this") or MACRO.match(first):
            return None
        if first in ASSERTS:
            return None
        j += 1
        called = False
        while j < len(self.toks):
            x = self.toks[j].text
            if x in ("::", ".", "->") and self.kind_at(j + 1) == "id":
                j, called = j + 2, False
            elif x == "<" and j in self.template:
                depth = 0
                while j < len(self.toks):
                    depth += {"<": 1, ">": -1, ">>": -2}.get(self.toks[j].text, 0)
                    j += 1
                    if depth <= 0:
                        break
                called = False
            elif x in ("(", "[") and j in self.match:
                j, called = self.match[j] + 1, x == "("
            elif x == ";":
                return j if called else None
            else:
                return None
        return None

    def runs_on_to(self, k, stop_at_switch):
        """After the statement ending just before token k, the { of the scope whose end control reaches with
        nothing done on the way, or None when something could still be done."""
        while k < len(self.toks):
            x = self.toks[k].text
            if x == "else":
                if self.text_at(k + 1) != "{":
                    return None
                k = self.match[k + 1] + 1
                continue
            if x != "}" or k not in self.match:
                return None
            o = self.match[k]
            kind = self.kind[o]
            if kind == "block" or kind in (("ctrl", "if"), ("ctrl", "else")) or (
                    kind == ("ctrl", "switch") and not stop_at_switch):
                k += 1
                continue
            return o
        return None


# ---------------------------------------------------------------- operators


def mutants_of(src):
    out = []  # (start, end, replacement, op, first line)
    toks, text = src.toks, src.text

    def add(start, end, repl, op, line):
        out.append((start, end, repl, op, line))

    def binary_left(i):
        return src.kind_at(i) in ("id", "num", "str", "chr") and src.text_at(i) not in KEYWORDS - {
            "this", "true", "false", "nullptr"} or src.text_at(i) in (")", "]")

    for i, t in enumerate(toks):
        if i in src.excluded:
            continue
        x = t.text
        if t.kind == "punct":
            if x in ("<", ">") and i not in src.template:
                add(t.start, t.end, x + "=", f"relational:{x}:{x}=", t.line)
            elif x in ("<=", ">="):
                add(t.start, t.end, x[0], f"relational:{x}:{x[0]}", t.line)
            elif x in ("==", "!="):
                other = "!=" if x == "==" else "=="
                add(t.start, t.end, other, f"negation:{x}:{other}", t.line)
            elif x == "||" or (x == "&&" and text[t.start - 1] in " \t\n" and text[t.end] in " \t\n"):
                other = "&&" if x == "||" else "||"
                add(t.start, t.end, other, f"logical:{x}:{other}", t.line)
            elif x == "!":
                add(t.start, t.end, "", "logical:!:", t.line)
        elif t.kind == "id" and x in ("true", "false"):
            other = "false" if x == "true" else "true"
            add(t.start, t.end, other, f"boolean:{x}:{other}", t.line)
        elif t.kind == "num":
            m = INTEGER.match(x)
            if not m or (src.text_at(i - 1) == "[" and src.text_at(i + 1) == "]" and src.text_at(i + 2) in (
                    ";", "=", "{", "[") and src.kind_at(i - 2) == "id"):
                continue
            digits, suffix = m.group(1).replace("'", ""), m.group(2)
            if digits[:2] in ("0x", "0X"):
                value, fmt = int(digits, 16), (lambda v: ("-" if v < 0 else "") + digits[:2] + (
                    "%x" if any(c in "abcdef" for c in digits[2:]) else "%X") % abs(v))
            elif digits[:2] in ("0b", "0B"):
                value, fmt = int(digits[2:], 2), (lambda v: ("-" if v < 0 else "") + digits[:2] + "%s" % bin(
                    abs(v))[2:])
            elif len(digits) > 1 and digits[0] == "0":
                value, fmt = int(digits, 8), (lambda v: ("-" if v < 0 else "") + "0%o" % abs(v))
            else:
                value, fmt = int(digits), str
            binary_one = value == 1 and src.text_at(i - 1) in ("+", "-") and binary_left(i - 2)
            for delta in (1, -1):
                if binary_one and delta == -1:
                    continue
                if i in src.twips and round((value + delta) / TWIPS_PER_PIXEL) == round(value / TWIPS_PER_PIXEL):
                    continue
                if i in src.channels and 0 <= value + delta <= 255:
                    continue
                new = fmt(value + delta) + suffix
                add(t.start, t.end, new, f"offbyone:{x}:{new}", t.line)
            if binary_one and src.text_at(i + 1) not in ("*", "/", "%", "(", "[", ".", "->"):
                add(toks[i - 2].end, t.end, "", f"offbyone:{src.text_at(i - 1)}1:", t.line)
        elif t.kind == "str":
            q, body_end = x.index('"'), x.rindex('"')
            body = x[q + 1:body_end]
            if x[:q].endswith("R"):
                body = body[body.index("(") + 1:body.rindex(")")]
            if body:
                add(t.start, t.end, x[:q].rstrip("R") + '""' + x[body_end + 1:], "string:emptied", t.line)
        # whole statements
        if t.kind == "id" and src.statement_start(i) and not any(k in src.excluded for k in (i, i + 1)):
            end = None
            if x in ("return", "continue", "break"):
                end = src.end_of(i)
                if end is None:
                    continue
                if x == "return":
                    reached = src.runs_on_to(end + 1, False)
                    if reached is not None and src.kind[reached] == "func":
                        continue  # the last thing the function does on this path
                elif x == "continue":
                    reached = src.runs_on_to(end + 1, False)
                    if reached is not None and src.kind[reached] in (("ctrl", "for"), ("ctrl", "while"),
                                                                    ("ctrl", "do")):
                        continue
                else:
                    reached = src.runs_on_to(end + 1, True)
                    if reached is not None and src.kind[reached] == ("ctrl", "switch"):
                        continue
                op = "early:" + x
            else:
                end = src.call_statement(i)
                op = "call:removed"
            if end is None:
                continue
            add(*removal(src, i, end), op, t.line)
    return out


def removal(src, s, e):
    """The span and replacement that take away the statement from token s to token e."""
    text, start, end = src.text, src.toks[s].start, src.toks[e].end
    line_begin = src.line_starts[src.toks[s].line - 1]
    line_end = text.find("\n", end)
    line_end = len(text) if line_end < 0 else line_end
    rest = text[end:line_end].strip()
    alone = not text[line_begin:start].strip() and (not rest or rest.startswith("//"))
    if alone and src.text_at(s - 1) in (";", "{", "}"):
        return line_begin, min(line_end + 1, len(text)), ""
    return start, end, ";"


# ---------------------------------------------------------------- the candidates of the tree


def key_text(src, line):
    return src.lines[line - 1].strip()


def candidates(paths, dead):
    """Every mutant of the given files, in a fixed order, each with its key."""
    result = []
    for rel in sorted(paths):
        text = (ROOT / rel).read_bytes().decode("utf-8", "surrogateescape")
        src = Source(rel, text, dead.get(rel, frozenset()))
        seen_lines, line_rank = {}, {}
        for n, line in enumerate(src.lines, 1):
            s = line.strip()
            seen_lines[s] = seen_lines.get(s, 0) + 1
            line_rank[n] = seen_lines[s]
        occurrences = {}
        for start, end, repl, op, line in sorted(mutants_of(src), key=lambda m: (m[0], m[1], m[3], m[2])):
            n = occurrences[(line, op)] = occurrences.get((line, op), 0) + 1
            stripped = key_text(src, line)
            where = f"@{line_rank[line]}" if seen_lines[stripped] > 1 else ""
            key = f"{rel} {op}#{n}{where} {json.dumps(stripped, ensure_ascii=False)}"
            result.append({"file": rel, "line": line, "start": start, "end": end, "repl": repl, "op": op,
                           "orig": text[start:end], "key": key,
                           "last_line": line + text[start:end].rstrip("\n").count("\n")})
    return result


def source_files():
    return sorted(str(p.relative_to(ROOT)) for p in (ROOT / "src").rglob("*") if p.suffix in (".cpp", ".h"))


def folder_of(rel):
    parts = rel.split("/")
    return "/".join(parts[:2]) if len(parts) > 2 else parts[0]


def dead_lines(build):
    """Lines of src/ inside #if blocks that the compiler does not see here, from the preprocessor's output."""
    conditional = {}
    for rel in source_files():
        lines = (ROOT / rel).read_text(encoding="utf-8", errors="replace").split("\n")
        depth, inside = 0, set()
        for n, line in enumerate(lines, 1):
            d = re.match(r"\s*#\s*(if|ifdef|ifndef|endif)\b", line)
            if d:
                depth += -1 if d.group(1) == "endif" else 1
            elif depth > 0:
                inside.add(n)
        if inside:
            conditional[rel] = inside
    if not conditional:
        return {}
    compiler = read_cache(build).get("CMAKE_CXX_COMPILER", "c++")
    commands = {}  # source path -> flags
    for flags in Path(build).glob("**/CMakeFiles/*.dir/flags.make"):
        f = dict(re.findall(r"^(CXX_\w+) = (.*)$", flags.read_text(), re.M))
        build_make = (flags.parent / "build.make").read_text()
        for rel in re.findall(re.escape(str(ROOT)) + r"/(src/[^\s:]+\.cpp)", build_make):
            commands.setdefault(rel, shlex.split(" ".join(f.get(k, "") for k in (
                "CXX_DEFINES", "CXX_INCLUDES", "CXX_FLAGS"))))
    wanted = set(conditional)
    units = [rel for rel in commands if rel in wanted or any(
        f'"{h[4:]}"' in (ROOT / rel).read_text(encoding="utf-8", errors="replace") for h in wanted
        if h.endswith(".h"))]
    live = {}
    for rel in sorted(units):
        out = subprocess.run([compiler, *commands[rel], "-E", str(ROOT / rel)], capture_output=True, text=True,
                             errors="replace", cwd=build)
        if out.returncode:
            sys.exit(f"the preprocessor failed on {rel}:\n{out.stderr[-2000:]}")
        current, n = None, 0
        for line in out.stdout.split("\n"):
            mark = re.match(r'# (\d+) "([^"]*)"', line)
            if mark:
                n, path = int(mark.group(1)), mark.group(2)
                current = path[len(str(ROOT)) + 1:] if path.startswith(str(ROOT) + "/") else None
                continue
            if current in wanted and line.strip():
                live.setdefault(current, set()).add(n)
            n += 1
    return {rel: frozenset(conditional[rel] - live[rel]) for rel in conditional if rel in live}


# ---------------------------------------------------------------- choosing


def draw_sample(cands, count, seed):
    rng = random.Random(seed)
    by_folder = {}
    for c in cands:
        by_folder.setdefault(folder_of(c["file"]), []).append(c)
    total = len(cands)
    count = min(count, total)
    share = {f: count * len(cs) / total for f, cs in by_folder.items()}
    least = {f: min(MIN_PER_FOLDER, len(cs), count // len(by_folder)) for f, cs in by_folder.items()}
    quota = {f: max(least[f], int(share[f])) for f in by_folder}
    while sum(quota.values()) < count:
        f = max((f for f in quota if quota[f] < len(by_folder[f])), key=lambda f: (share[f] - quota[f], f))
        quota[f] += 1
    while sum(quota.values()) > count:
        f = max((f for f in quota if quota[f] > least[f]),
                key=lambda f: (quota[f] - share[f], f))
        quota[f] -= 1
    chosen = []
    for f in sorted(by_folder):
        chosen += rng.sample(by_folder[f], quota[f])
    return sorted(chosen, key=lambda c: (c["file"], c["start"], c["op"], c["repl"]))


def changed_lines(rev):
    diff = subprocess.run(["git", "diff", "-U0", rev, "--", "src/"], cwd=ROOT, capture_output=True, text=True,
                          check=True).stdout
    lines, current = {}, None
    for line in diff.split("\n"):
        if line.startswith("+++ "):
            current = line[6:] if line.startswith("+++ b/") else None
        elif line.startswith("@@") and current:
            m = re.match(r"@@ -\S+ \+(\d+)(?:,(\d+))? @@", line)
            first, n = int(m.group(1)), int(m.group(2) or 1)
            lines.setdefault(current, set()).update(range(first, first + n))
    return lines


def load_equivalents():
    keys = set()
    if EQUIVALENTS.exists():
        for line in EQUIVALENTS.read_text(encoding="utf-8").split("\n"):
            if line.strip() and not line.startswith("#"):
                m = re.match(r'(\S+ \S+ "(?:[^"\\]|\\.)*")', line)
                if not m:
                    sys.exit(f"{EQUIVALENTS.name}: cannot read: {line}")
                keys.add(m.group(1))
    return keys


# ---------------------------------------------------------------- building and testing


class Stopped(Exception):
    pass


def on_signal(signum, frame):
    raise Stopped(signal.Signals(signum).name)


def read_cache(build):
    cache = Path(build) / "CMakeCache.txt"
    if not cache.exists():
        sys.exit(f"{cache} not found: configure the build first (cmake -S {ROOT} -B {build})")
    return dict(re.findall(r"^(\w+):\w+=(.*)$", cache.read_text(errors="replace"), re.M))


def run(cmd, log, timeout=None):
    """Runs cmd in a process group of its own, output to log. Returns the exit code, or None on timeout.
    A stop on the way ends the whole group before it goes on."""
    with open(log, "wb") as out:
        p = subprocess.Popen(cmd, stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        try:
            return p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            end_group(p)
            return None
        except BaseException:
            end_group(p)
            raise


def end_group(p):
    for sig, wait in ((signal.SIGTERM, 10), (signal.SIGKILL, None)):
        try:
            os.killpg(p.pid, sig)
        except ProcessLookupError:
            return
        try:
            p.wait(timeout=wait)
            return
        except subprocess.TimeoutExpired:
            pass


class Tree:
    """Applies one mutant at a time to the tree and always puts the original back."""

    def __init__(self, build):
        self.backup = Path(build) / "mutants-backup"

    def restore_leftover(self):
        marker, original = self.backup / "path", self.backup / "original"
        if marker.exists():
            rel = marker.read_text()
            print(f"restoring {rel} from a run that was stopped", flush=True)
            self.put_back(rel)
        original.unlink(missing_ok=True)

    def apply(self, m):
        path = ROOT / m["file"]
        data = path.read_bytes()
        text = data.decode("utf-8", "surrogateescape")
        if text[m["start"]:m["end"]] != m["orig"]:
            raise SystemExit(f"{m['file']}:{m['line']} has changed since the mutants were drawn: start anew")
        self.backup.mkdir(exist_ok=True)
        tmp = self.backup / "original.tmp"
        tmp.write_bytes(data)
        os.replace(tmp, self.backup / "original")
        (self.backup / "path.tmp").write_text(m["file"])
        os.replace(self.backup / "path.tmp", self.backup / "path")
        mutated = text[:m["start"]] + m["repl"] + text[m["end"]:]
        path.write_bytes(mutated.encode("utf-8", "surrogateescape"))

    def put_back(self, rel):
        path = ROOT / rel
        path.write_bytes((self.backup / "original").read_bytes())
        # A fresh mtime, later than any object built from the mutant, so the next build compiles it again.
        now = time.time_ns()
        os.utime(path, ns=(now, now))
        (self.backup / "path").unlink()
        (self.backup / "original").unlink()


def masked(fn, *args):
    """Runs fn with the stop signals held back, so that a file is never left half written."""
    old = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT, signal.SIGTERM, signal.SIGHUP})
    try:
        return fn(*args)
    finally:
        signal.pthread_sigmask(signal.SIG_SETMASK, old)


def build_tree(build, tests_only=False):
    """Builds everything, or for a mutant only what the offscreen tests run where the tree offers that target."""
    cmd = ["cmake", "--build", build, "-j2"]
    targets = Path(build) / "CMakeFiles" / "TargetDirectories.txt"
    if tests_only and targets.exists() and f"/{TESTS_TARGET}.dir" in targets.read_text():
        cmd += ["--target", TESTS_TARGET]
    return run(cmd, Path(build) / "mutants-build.log", BUILD_TIMEOUT) == 0


def run_suite(build, timeout):
    """(outcome, failed tests): passed, failed or timeout."""
    failed_log = Path(build) / "Testing" / "Temporary" / "LastTestsFailed.log"
    failed_log.unlink(missing_ok=True)
    code = run(["ctest", "--test-dir", build, "-L", "offscreen", "-j2", "--no-tests=error"],
               Path(build) / "mutants-ctest.log", timeout)
    if code is None:
        return "timeout", []
    if code == 0:
        return "passed", []
    failed = []
    if failed_log.exists():
        failed = [line.split(":", 1)[1] for line in failed_log.read_text().split("\n") if ":" in line]
    return "failed", failed or ["ctest exit %d" % code]


# ---------------------------------------------------------------- the run


def summary(state, equivalents, report):
    rows, survivors = {}, []
    totals = {"killed": 0, "survived": 0, "equivalent": 0, "not built": 0, "timeout": 0}
    for m in state["mutants"]:
        outcome = m.get("outcome")
        if outcome is None:
            continue
        if m["key"] in equivalents:
            outcome = "equivalent"
        totals[outcome] += 1
        row = rows.setdefault(folder_of(m["file"]), [0, 0])
        if outcome in ("killed", "timeout", "survived"):
            row[1] += 1
            row[0] += outcome != "survived"
        if outcome == "survived":
            survivors.append(m)
    print(f"{'folder':<18} {'killed':>6} {'of':>5} {'%':>6}")
    for folder in sorted(rows):
        k, n = rows[folder]
        print(f"{folder:<18} {k:>6} {n:>5} {percent(k, n):>6}")
    print(f"timed out (counted as killed): {totals['timeout']}")
    if report:
        write_report(report, survivors)
        print(f"survivors: {report}")
    print(f"not built: {totals['not built']}")


def percent(k, n):
    return f"{100 * k / n:.1f}" if n else "-"


def write_report(report, survivors):
    parts = [f"# {len(survivors)} mutants survived. To list one as equivalent, copy its key line into "
             f"tests/mutants-equivalent.txt and add the reason.\n"]
    for m in survivors:
        path = ROOT / m["file"]
        text = path.read_bytes().decode("utf-8", "surrogateescape")
        mutated = text[:m["start"]] + m["repl"] + text[m["end"]:]
        diff = difflib.unified_diff(text.splitlines(True), mutated.splitlines(True), f"a/{m['file']}",
                                    f"b/{m['file']}", n=2)
        parts.append(f"\n{m['file']}:{m['line']} {m['op']}\nkey: {m['key']}\n" + "".join(diff))
    Path(report).write_text("".join(parts), encoding="utf-8")


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
    home = read_cache(build).get("CMAKE_HOME_DIRECTORY", "")
    if Path(home).resolve() != ROOT:
        sys.exit(f"{build} is a build of {home or 'nothing'}, not of {ROOT}")
    tree = Tree(build)
    masked(tree.restore_leftover)  # before anything reads the sources

    if args.files:
        rels = []
        for f in args.files:
            rel = str(Path(f).resolve().relative_to(ROOT))
            if not rel.startswith("src/") or Path(rel).suffix not in (".cpp", ".h") or not (ROOT / rel).exists():
                sys.exit(f"{f}: not a .cpp or .h file under src/")
            rels.append(rel)
        what = "files " + " ".join(sorted(set(rels))) + (f" sample {args.sample} seed {args.seed}" if args.sample else "")
    elif args.diff:
        touched = changed_lines(args.diff)
        rels = [r for r in touched if Path(r).suffix in (".cpp", ".h") and (ROOT / r).exists()]
        what = f"diff {args.diff}"
    elif args.rerun:
        keys = set(re.findall(r"^key: (.*)$", Path(args.rerun).read_text(encoding="utf-8"), re.M))
        rels = sorted({key.split(" ", 1)[0] for key in keys if (ROOT / key.split(" ", 1)[0]).exists()})
        what = f"rerun {hashlib.sha1(''.join(sorted(keys)).encode()).hexdigest()[:12]}"
    else:
        rels = source_files()
        what = f"sample {args.sample} seed {args.seed}"
    state_file = Path(build) / f"mutants-{hashlib.sha1(what.encode()).hexdigest()[:12]}.json"
    equivalents = load_equivalents()

    state = None
    if args.resume and state_file.exists():
        state = json.loads(state_file.read_text())
        print(f"resuming {what}: {sum(m.get('outcome') is not None for m in state['mutants'])} of "
              f"{len(state['mutants'])} done", flush=True)
    if state is None:
        cands = candidates(set(rels), dead_lines(build))
        if args.diff:
            chosen = [c for c in cands if touched.get(c["file"], set()) & set(range(c["line"], c["last_line"] + 1))]
        elif args.rerun:
            chosen = [c for c in cands if c["key"] in keys]
            if len(chosen) < len(keys):
                print(f"{len(keys) - len(chosen)} of the report's mutants are no longer in the code", flush=True)
        else:
            chosen = cands
        if args.sample is not None and not (args.diff or args.rerun):
            chosen = draw_sample(chosen, args.sample, args.seed)
        state = {"args": what, "clean_seconds": None, "mutants": chosen}
    if args.list:
        for m in state["mutants"]:
            mark = " (equivalent)" if m["key"] in equivalents else ""
            print(f"{m['file']}:{m['line']} {m['op']} {m['orig'].strip()!r} -> {m['repl']!r}{mark}")
        print(f"{len(state['mutants'])} mutants ({what})")
        return

    def save():
        tmp = state_file.with_suffix(".tmp")
        tmp.write_text(json.dumps(state, ensure_ascii=False))
        os.replace(tmp, state_file)

    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, on_signal)
    try:
        print("building the clean tree", flush=True)
        if not build_tree(build):
            sys.exit(f"the clean tree does not build: see {build}/mutants-build.log")
        if state["clean_seconds"] is None:
            began = time.monotonic()
            outcome, failed = run_suite(build, None)
            if outcome != "passed":
                sys.exit(f"the tests fail on the clean tree ({', '.join(failed)}): see {build}/mutants-ctest.log")
            state["clean_seconds"] = round(time.monotonic() - began, 1)
            save()
        timeout = 3 * state["clean_seconds"]
        print(f"the clean tests take {state['clean_seconds']} s; a mutant's run stops after {timeout:.0f} s",
              flush=True)
        todo = state["mutants"]
        for number, m in enumerate(todo, 1):
            if m.get("outcome") is not None:
                continue
            began = time.monotonic()
            if m["key"] in equivalents:
                m["outcome"], failed = "equivalent", []
            else:
                masked(tree.apply, m)
                try:
                    if not build_tree(build, tests_only=True):
                        m["outcome"], failed = "not built", []
                    else:
                        outcome, failed = run_suite(build, timeout)
                        if outcome == "timeout":  # once more, so that a busy machine is not taken for a hang
                            outcome, failed = run_suite(build, timeout)
                        m["outcome"] = {"passed": "survived", "failed": "killed"}.get(outcome, outcome)
                finally:
                    masked(tree.put_back, m["file"])
            m["failed"], m["seconds"] = failed, round(time.monotonic() - began, 1)
            save()
            print(f"[{number}/{len(todo)}] {m['outcome']} {m['file']}:{m['line']} {m['op']}"
                  + (f" ({', '.join(failed)})" if failed else "") + f" {m['seconds']:.0f} s", flush=True)
        print("building the clean tree again", flush=True)
        if not build_tree(build):
            sys.exit(f"the clean tree does not build again: see {build}/mutants-build.log")
    except Stopped as stop:
        masked(tree.restore_leftover)
        save()
        sys.exit(f"stopped ({stop}); the tree is restored. Go on with --resume")
    summary(state, equivalents, args.report)
    done = [m["seconds"] for m in state["mutants"] if m.get("outcome") not in (None, "equivalent")]
    if done:
        print(f"{sum(done) / len(done):.0f} s a mutant on average")
    summary_line_last(state, equivalents)


def summary_line_last(state, equivalents):
    """The score is the last line printed."""
    totals = {}
    for m in state["mutants"]:
        o = "equivalent" if m["key"] in equivalents else m.get("outcome")
        totals[o] = totals.get(o, 0) + 1
    killed = totals.get("killed", 0) + totals.get("timeout", 0)
    n = killed + totals.get("survived", 0)
    print(f"killed {killed} of {n} ({percent(killed, n)} %), survived {totals.get('survived', 0)}, "
          f"equivalent {totals.get('equivalent', 0)}, not built {totals.get('not built', 0)}", flush=True)


if __name__ == "__main__":
    main()
