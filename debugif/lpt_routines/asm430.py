#!/usr/bin/env python3
"""A small MSP430 assembler for the parallel-port path's RAM routines.

It knows the instructions the routines use: the double-operand and
single-operand instructions with every addressing mode (the constant
generator included), the jumps, the emulated forms (clr, inc, incd, dec,
tst, adc, nop, br) and the address forms of the 20-bit CPU (mova, adda,
suba, cmpa). Directives: `.equ NAME, expr`, `.word expr, ...`,
`.org WORDINDEX` (pads with 0 up to that word of the routine) and
`.routine NAME`, which starts a new routine assembled from address 0x0200.
Names given by `.equ` hold within their source file.

    asm430.py SOURCE... -o TABLE.cpp    writes the C++ word tables
    asm430.py SOURCE... --check TABLE.cpp   fails when TABLE.cpp is stale
    asm430.py --selftest                checks encodings against known words

Every label of a routine is exported as a word index (`<Routine>_<label>`),
so the host finds header words and the data area by name.
"""

import argparse
import re
import sys

BASE = 0x0200

DOUBLE = {"mov": 0x4, "add": 0x5, "addc": 0x6, "subc": 0x7, "sub": 0x8, "cmp": 0x9,
          "dadd": 0xA, "bit": 0xB, "bic": 0xC, "bis": 0xD, "xor": 0xE, "and": 0xF}
SINGLE = {"rrc": 0, "swpb": 1, "rra": 2, "sxt": 3, "push": 4, "call": 5}
JUMPS = {"jnz": 0, "jne": 0, "jz": 1, "jeq": 1, "jnc": 2, "jlo": 2, "jc": 3, "jhs": 3,
         "jn": 4, "jge": 5, "jl": 6, "jmp": 7}
ADDRESS = {"mova": 0, "cmpa": 1, "adda": 2, "suba": 3}
REGS = {"pc": 0, "sp": 1, "sr": 2, "cg": 3}


class AsmError(Exception):
    pass


def reg(text):
    t = text.strip().lower()
    if t in REGS:
        return REGS[t]
    m = re.fullmatch(r"r(\d+)", t)
    if m and int(m.group(1)) < 16:
        return int(m.group(1))
    return None


class Routine:
    def __init__(self, name):
        self.name = name
        self.lines = []      # (line number, label list, mnemonic, operands)
        self.labels = {}
        self.words = []
        self.equates = {}


def evaluate(expr, symbols):
    expr = expr.strip()
    if not re.fullmatch(r"[\w\s+\-*/()<>|&~]+", expr):
        raise AsmError("bad expression: " + expr)
    try:
        return int(eval(expr, {"__builtins__": {}}, dict(symbols)))
    except NameError as e:
        raise AsmError("unknown symbol in " + expr) from e


def split_operands(text):
    return [p.strip() for p in text.split(",")] if text.strip() else []


def operand(text, symbols, pc_of_word, byte):
    """Returns (mode, register, extension word or None) for a source."""
    t = text.strip()
    r = reg(t)
    if r is not None:
        return 0, r, None
    if t.startswith("#"):
        v = evaluate(t[1:], symbols) & 0xFFFF
        constants = {0: (3, 0), 1: (3, 1), 2: (3, 2), 4: (2, 2), 8: (2, 3)}
        if v in constants:
            rr, aa = constants[v]
            return aa, rr, None
        if v == 0xFFFF or (byte and v == 0xFF):
            return 3, 3, None
        return 3, 0, v
    if t.startswith("@"):
        inc = t.endswith("+")
        r = reg(t[1:-1] if inc else t[1:])
        if r is None:
            raise AsmError("bad register in " + t)
        return (3 if inc else 2), r, None
    if t.startswith("&"):
        return 1, 2, evaluate(t[1:], symbols) & 0xFFFF
    m = re.fullmatch(r"(.*)\((\w+)\)", t)
    if m:
        r = reg(m.group(2))
        if r is None:
            raise AsmError("bad register in " + t)
        return 1, r, evaluate(m.group(1) or "0", symbols) & 0xFFFF
    # Symbolic: relative to the address of the extension word.
    return 1, 0, (evaluate(t, symbols) - pc_of_word) & 0xFFFF


def destination(text, symbols, pc_of_word):
    t = text.strip()
    r = reg(t)
    if r is not None:
        return 0, r, None
    if t.startswith("&"):
        return 1, 2, evaluate(t[1:], symbols) & 0xFFFF
    m = re.fullmatch(r"(.*)\((\w+)\)", t)
    if m:
        r = reg(m.group(2))
        if r is None:
            raise AsmError("bad register in " + t)
        return 1, r, evaluate(m.group(1) or "0", symbols) & 0xFFFF
    return 1, 0, (evaluate(t, symbols) - pc_of_word) & 0xFFFF


EMULATED = {
    "nop": ("mov", ["#0", "r3"]),
    "ret": ("mov", ["@sp+", "pc"]),
}


def expand(mnemonic, ops):
    base = mnemonic.split(".")[0]
    suffix = mnemonic[len(base):]
    if base in EMULATED:
        m, o = EMULATED[base]
        return m + suffix, o
    one = {"clr": ("mov", "#0"), "inc": ("add", "#1"), "incd": ("add", "#2"),
           "dec": ("sub", "#1"), "decd": ("sub", "#2"), "tst": ("cmp", "#0"),
           "adc": ("addc", "#0"), "inv": ("xor", "#-1")}
    if base in one:
        m, src = one[base]
        return m + suffix, [src, ops[0]]
    if base == "br":
        return "mov", [ops[0], "pc"]
    return mnemonic, ops


def encode(mnemonic, ops, symbols, pc):
    """Words of one instruction at address pc."""
    mnemonic, ops = expand(mnemonic.lower(), ops)
    base = mnemonic.split(".")[0]
    byte = mnemonic.endswith(".b")
    if base in DOUBLE:
        if len(ops) != 2:
            raise AsmError(mnemonic + " takes two operands")
        words = [0]
        as_, s, xs = operand(ops[0], symbols, pc + 2, byte)
        if xs is not None:
            words.append(xs)
        ad, d, xd = destination(ops[1], symbols, pc + 2 * len(words))
        if xd is not None:
            words.append(xd)
        words[0] = (DOUBLE[base] << 12) | (s << 8) | (ad << 7) | (int(byte) << 6) | (as_ << 4) | d
        return words
    if base in SINGLE:
        as_, r, x = operand(ops[0], symbols, pc + 2, byte)
        w = 0x1000 | (SINGLE[base] << 7) | (int(byte) << 6) | (as_ << 4) | r
        return [w] + ([x] if x is not None else [])
    if base in JUMPS:
        target = evaluate(ops[0], symbols) if ops[0].strip() != "$" else pc
        offset = (target - pc - 2) // 2
        if not -512 <= offset <= 511 or (target & 1):
            raise AsmError("jump out of reach")
        return [0x2000 | (JUMPS[base] << 10) | (offset & 0x3FF)]
    if base in ADDRESS:
        d = reg(ops[1])
        if d is None:
            raise AsmError(base + " needs a register destination")
        src = ops[0].strip()
        s = reg(src)
        if s is not None:
            return [(s << 8) | ((0xC + ADDRESS[base]) << 4) | d]
        if src.startswith("#"):
            v = evaluate(src[1:], symbols) & 0xFFFFF
            return [((v >> 16) << 8) | ((0x8 + ADDRESS[base]) << 4) | d, v & 0xFFFF]
        if base == "mova" and src.startswith("@"):
            inc = src.endswith("+")
            s = reg(src[1:-1] if inc else src[1:])
            return [(s << 8) | ((1 if inc else 0) << 4) | d]
        raise AsmError("unsupported operand for " + base)
    raise AsmError("unknown instruction " + mnemonic)


def parse(paths):
    routines = []
    current = None
    for path in paths:
        # Names given by .equ hold within their own source file.
        equates = {}
        current = None
        with open(path) as f:
            for number, raw in enumerate(f, 1):
                line = raw.split(";", 1)[0].rstrip()
                if not line.strip():
                    continue
                labels = []
                while True:
                    m = re.match(r"\s*(\w+):(.*)", line)
                    if not m:
                        break
                    labels.append(m.group(1))
                    line = m.group(2)
                parts = line.strip().split(None, 1)
                mnemonic = parts[0] if parts else ""
                rest = parts[1] if len(parts) > 1 else ""
                where = f"{path}:{number}"
                if mnemonic == ".routine":
                    current = Routine(rest.strip())
                    current.equates = equates
                    routines.append(current)
                    continue
                if mnemonic == ".equ":
                    name, value = split_operands(rest)
                    equates[name] = evaluate(value, equates)
                    continue
                if current is None:
                    raise AsmError(where + ": code before .routine")
                current.lines.append((where, labels, mnemonic, rest))
    return routines


def assemble(routine):
    equates = routine.equates
    # Two passes: sizes with labels unknown (taken as the base), then words.
    for final in (False, True):
        pc = BASE
        symbols = dict(equates)
        symbols.update(routine.labels)
        words = []
        for where, labels, mnemonic, rest in routine.lines:
            for label in labels:
                if not final:
                    routine.labels[label] = pc
                    symbols[label] = pc
            if not mnemonic:
                continue
            try:
                if mnemonic == ".word":
                    out = [evaluate(e, symbols) & 0xFFFF if final else 0 for e in split_operands(rest)]
                elif mnemonic == ".org":
                    index = evaluate(rest, symbols)
                    if index < len(words):
                        raise AsmError(f".org {index} lies behind word {len(words)}")
                    out = [0] * (index - len(words))
                else:
                    if final:
                        out = encode(mnemonic, split_operands(rest), symbols, pc)
                    else:
                        probe = {k: BASE for k in _names(rest)}
                        probe.update(symbols)
                        out = encode(mnemonic, split_operands(rest), probe, pc)
            except AsmError as e:
                raise AsmError(f"{where}: {e}") from None
            words.extend(out)
            pc += 2 * len(out)
        routine.words = words
    return routine


def _names(text):
    return set(re.findall(r"[A-Za-z_]\w*", text)) - set(REGS) - {f"r{i}" for i in range(16)}


def cpp_name(name):
    return "k" + "".join(p[:1].upper() + p[1:] for p in re.split(r"[_\s]+", name))


def render(routines, sources):
    out = ["// Generated by debugif/lpt_routines/asm430.py from "
           + ", ".join(s.split("/")[-1] for s in sources) + "; do not edit.",
           "// Rebuild: python3 debugif/lpt_routines/asm430.py debugif/lpt_routines/*.s43 "
           "-o debugif/lpt_routine_tables.cpp",
           "",
           '#include "debugif/lpt_routine_tables.h"',
           "",
           "namespace debugif {",
           ""]
    for r in routines:
        name = cpp_name(r.name)
        out.append(f"const std::array<uint16_t, {len(r.words)}> {name} = {{")
        for i in range(0, len(r.words), 8):
            out.append("    " + ", ".join(f"0x{w:04X}" for w in r.words[i:i + 8]) + ",")
        out.append("};")
        out.append("")
    out.append("} // namespace debugif")
    return "\n".join(out) + "\n"


def render_header(routines):
    out = ["#pragma once",
           "// The parallel-port path's RAM routines as word tables, assembled from",
           "// debugif/lpt_routines/*.s43 by debugif/lpt_routines/asm430.py (which",
           "// also writes this header; do not edit). Each is held for load address",
           "// 0x0200; the word indexes of its labels follow it.",
           "",
           "#include <array>",
           "#include <cstdint>",
           "",
           "namespace debugif {",
           ""]
    for r in routines:
        name = cpp_name(r.name)
        out.append(f"extern const std::array<uint16_t, {len(r.words)}> {name};")
        for label, address in sorted(r.labels.items(), key=lambda kv: kv[1]):
            out.append(f"inline constexpr uint32_t {name}_{label} = {(address - BASE) // 2};")
        out.append("")
    out.append("} // namespace debugif")
    return "\n".join(out) + "\n"


# Instructions with their words as the MSP430 instruction set encodes them.
KNOWN = [
    ("mov #0x5A80, &0x0120", [0x40B2, 0x5A80, 0x0120]),
    ("jmp $", [0x3FFF]),
    ("clr r8", [0x4308]),
    ("inc r5", [0x5315]),
    ("dec r5", [0x8315]),
    ("incd r7", [0x5327]),
    ("tst r5", [0x9305]),
    ("adc r10", [0x630A]),
    ("add #4, r9", [0x5229]),
    ("bis #0x10, r9", [0xD039, 0x0010]),
    ("bit #1, 4(r4)", [0xB394, 0x0004]),
    ("mov @r6+, 0(r7)", [0x46B7, 0x0000]),
    ("mov.b @r5+, 0(r4)", [0x45F4, 0x0000]),
    ("mov r9, 4(r4)", [0x4984, 0x0004]),
    ("mov 4(r4), r10", [0x441A, 0x0004]),
    ("mov &0x0188, r10", [0x421A, 0x0188]),
    ("and #0x86, r8", [0xF038, 0x0086]),
    ("nop", [0x4303]),
    ("mova @r7, r7", [0x0707]),
    ("mova @r7+, r5", [0x0715]),
    ("mova r5, r7", [0x05C7]),
    ("adda #2, r7", [0x00A7, 0x0002]),
    ("suba #1, r8", [0x00B8, 0x0001]),
    ("cmpa #0, r8", [0x0098, 0x0000]),
]


def selftest():
    bad = 0
    for text, want in KNOWN:
        parts = text.split(None, 1)
        got = encode(parts[0], split_operands(parts[1] if len(parts) > 1 else ""), {}, BASE)
        if got != want:
            print(f"asm430: {text}: {[hex(w) for w in got]} instead of {[hex(w) for w in want]}",
                  file=sys.stderr)
            bad += 1
    # Symbolic operands count from their own extension word.
    got = encode("mov", ["0x0210", "r5"], {}, 0x0200)
    if got != [0x4015, 0x000E]:
        print(f"asm430: symbolic source gives {[hex(w) for w in got]}", file=sys.stderr)
        bad += 1
    return 1 if bad else 0


def main():
    if sys.argv[1:] == ["--selftest"]:
        return selftest()
    ap = argparse.ArgumentParser()
    ap.add_argument("sources", nargs="+")
    ap.add_argument("-o", dest="output")
    ap.add_argument("--check", dest="check")
    args = ap.parse_args()
    try:
        routines = parse(args.sources)
        for r in routines:
            assemble(r)
    except AsmError as e:
        print("asm430: " + str(e), file=sys.stderr)
        return 1
    target = args.output or args.check
    if target is None:
        ap.error("give -o or --check")
    header = target[:-4] + ".h" if target.endswith(".cpp") else target + ".h"
    texts = {target: render(routines, args.sources), header: render_header(routines)}
    if args.check:
        for path, text in texts.items():
            try:
                with open(path) as f:
                    if f.read() != text:
                        print(f"asm430: {path} is stale", file=sys.stderr)
                        return 1
            except OSError:
                print(f"asm430: {path} is missing", file=sys.stderr)
                return 1
        return 0
    for path, text in texts.items():
        with open(path, "w") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
