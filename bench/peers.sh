#!/usr/bin/env bash
# bench/peers.sh [TALLIX] [N]: tallix eval side by side with genius, calc (apcalc) and bc.
#
# Generates N expressions (default 10,000: numbers, + − × ÷, powers, parentheses, and sqrt, ln,
# exp, sin and cos of a number) in each tool's syntax and in tallix's keys, runs each tool once
# on the whole file and once on one trivial expression, checks every answer against a reference
# computed here with python3's decimal at 60 digits, and prints one table: µs per expression
# ((batch time − start-up time) / N), start-up time, and the count of answers that disagree with
# the reference beyond the tool's tolerance; the times once more as processor time, which a
# loaded machine disturbs less (PEERS_SHOW=N prints the first N of each tool).
#
# The expressions stay inside what every tool takes: exponents are integers from 0 to 6 and the
# arguments of exp are at most 50, so bc never meets a power that exhausts its memory (such as
# exp(62128*(-25733))); every value on the way lies within 1e-100 and 1e100 in magnitude (tallix's
# decimal ends at 1e127); calc runs with -c so that an error (a division by zero) does not stop it.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tallix=${1:-$here/../build/release/tallix}
count=${2:-10000}

missing=()
command -v genius >/dev/null || missing+=(genius)
command -v calc >/dev/null || missing+=(apcalc)
command -v bc >/dev/null || missing+=(bc)
if ((${#missing[@]})); then
  if [ "$(id -u)" = 0 ]; then
    apt-get install -y "${missing[@]}"
  else
    sudo apt-get install -y "${missing[@]}"
  fi
fi
[ -x "$tallix" ] || { echo "peers.sh: no tallix at $tallix (build the release preset)" >&2; exit 2; }

exec python3 - "$tallix" "$count" <<'PY'
import decimal
import os
import random
import resource
import statistics
import subprocess
import sys
import tempfile
import time
from decimal import Decimal

tallix, count = sys.argv[1], int(sys.argv[2])
decimal.getcontext().prec = 60
D = Decimal


# --- the reference: 60-digit decimals -----------------------------------------------------------

def pi():
    decimal.getcontext().prec += 5
    three = D(3)
    lasts, t, s, n, na, d, da = 0, three, 3, 1, 0, 0, 24
    while s != lasts:
        lasts = s
        n, na = n + na, na + 8
        d, da = d + da, da + 32
        t = (t * n) / d
        s += t
    decimal.getcontext().prec -= 5
    return +s


PI = pi()


def sin_cos(x, cosine):
    decimal.getcontext().prec += 10
    x = x % (2 * PI)
    term = D(1) if cosine else x
    total, i, squared = term, (0 if cosine else 1), x * x
    while True:
        term = -term * squared / ((i + 1) * (i + 2))
        i += 2
        if abs(term) < D(10) ** -75:
            break
        total += term
    decimal.getcontext().prec -= 10
    return +total


FUNCTIONS = {
    'sqrt': lambda x: x.sqrt(),
    'ln': lambda x: x.ln(),
    'exp': lambda x: x.exp(),
    'sin': lambda x: sin_cos(x, False),
    'cos': lambda x: sin_cos(x, True),
}


# --- expressions --------------------------------------------------------------------------------
# Trees: ('n', text), ('op', sign, left, right) for a chain step, ('pow', base, exponent),
# ('fn', name, number text), ('group', tree).

rng = random.Random(20261206)


def number():
    text = str(rng.randint(1, 99999))
    if rng.random() < 0.5:
        text += '.' + str(rng.randint(0, 999))
    return ('n', text)


def operand(depth):
    r = rng.randrange(10)
    if r == 0 and depth < 2:
        return ('group', chain(depth + 1))
    if r == 1:
        base = ('group', chain(depth + 1)) if depth < 2 and rng.random() < 0.2 else number()
        return ('pow', base, rng.randint(0, 6))
    if r == 2:
        name = rng.choice(['sqrt', 'ln'])
        return ('fn', name, number()[1])
    if r == 3:
        return ('fn', rng.choice(['sin', 'cos']), str(rng.randint(0, 100)))
    if r == 4:
        return ('fn', 'exp', str(rng.randint(0, 50)) + '.' + str(rng.randint(0, 9)))
    return number()


def chain(depth=0):
    tree = operand(depth)
    items = [tree]
    for _ in range(rng.randint(0, 3)):
        items += [rng.choice('+-*/'), operand(depth)]
    return ('chain', items)


LIMIT = D(10) ** 100


class OutOfRange(Exception):
    pass


def value(tree):
    v = unchecked_value(tree)
    if abs(v) > LIMIT or (v and abs(v) < 1 / LIMIT):
        raise OutOfRange()
    return v


def unchecked_value(tree):
    kind = tree[0]
    if kind == 'n':
        return D(tree[1])
    if kind == 'group':
        return value(tree[1])
    if kind == 'pow':
        return value(tree[1]) ** tree[2]
    if kind == 'fn':
        return FUNCTIONS[tree[1]](D(tree[2]))
    # A chain: × ÷ before + −, left to right.
    items = tree[1]
    terms, signs = [value(items[0])], []
    for sign, item in zip(items[1::2], items[2::2]):
        v = value(item)
        if sign == '*':
            terms[-1] *= v
        elif sign == '/':
            terms[-1] /= v
        else:
            signs.append(sign)
            terms.append(v)
    total = terms[0]
    for sign, term in zip(signs, terms[1:]):
        total = total + term if sign == '+' else total - term
    return total


def render(tree, tool):
    kind = tree[0]
    if kind == 'n':
        return tree[1] + ('.0' if tool == 'genius' and '.' not in tree[1] else '')
    if kind == 'group':
        return '(' + render(tree[1], tool) + ')'
    if kind == 'pow':
        return render(tree[1], tool) + '^' + str(tree[2])
    if kind == 'fn':
        name, argument = tree[1], render(('n', tree[2]), tool)
        if tool == 'tallix':
            return argument + ' ' + name
        if tool == 'bc':
            name = {'ln': 'l', 'exp': 'e', 'sin': 's', 'cos': 'c'}.get(name, name)
        return name + '(' + argument + ')'
    items = tree[1]
    text = render(items[0], tool)
    for sign, item in zip(items[1::2], items[2::2]):
        text += sign + render(item, tool)
    return text


# Every value on the way stays within 1e-100 and 1e100 in magnitude (or is zero): inside the
# range of every tool (tallix's decimal ends at 1e127).
trees, references = [], []
while len(trees) < count:
    tree = chain()
    try:
        references.append(value(tree))
    except OutOfRange:
        continue
    except (decimal.DivisionByZero, decimal.InvalidOperation, ZeroDivisionError):
        references.append(None)
    trees.append(tree)


# --- tools ----------------------------------------------------------------------------------------

MARK = '@'


def tool_input(tool, lines):
    if tool == 'tallix':
        return ''.join(line + '\n' for line in lines)
    if tool == 'bc':
        return 'scale=40\n' + ''.join('print "%s\\n"\n%s\n' % (MARK, line) for line in lines)
    if tool == 'calc':
        return ''.join('print "%s";\n%s\n' % (MARK, line) for line in lines)
    if tool == 'genius':
        return 'MaxDigits=0;\n' + ''.join('print("%s");\n%s\n' % (MARK, line) for line in lines)
    raise ValueError(tool)


def command(tool, path):
    return {
        'tallix': [tallix, 'eval', '--radians'],
        'bc': ['bc', '-l', '-q', path],
        'calc': ['calc', '-c', '-q', '-f', path],
        'genius': ['genius', path],
    }[tool]


def run(tool, lines, folder):
    path = os.path.join(folder, tool + '.in')
    with open(path, 'w') as f:
        f.write(tool_input(tool, lines))
    env = dict(os.environ, BC_LINE_LENGTH='0', LC_ALL='C', TALLIX_APPLICATION_SUPPORT=folder)
    with open(path) as stdin:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        done = subprocess.run(command(tool, path), stdin=stdin, capture_output=True, env=env)
        seconds = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
    processor = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return seconds, processor, done.stdout.decode('utf-8', 'replace')


def answers(tool, output, n):
    """The answer text of each expression, None where the tool printed none."""
    if tool == 'tallix':
        lines = output.split('\n')[:n]
        return [line.rsplit(' = ', 1)[-1] if ' = ' in line else None for line in lines]
    parts = output.split(MARK + '\n')[1:]
    result = []
    for part in parts[:n]:
        text = ''.join(part.split()).lstrip('~')
        result.append(text or None)
    return result + [None] * (n - len(result))


def number_of(text):
    if text is None:
        return None
    text = text.replace(',', '')
    try:
        return D(text)
    except decimal.InvalidOperation:
        return None


TOLERANCE = {'tallix': D('1e-9'), 'genius': D('1e-30'), 'calc': D('1e-15'), 'bc': D('1e-15')}


SHOW = int(os.environ.get('PEERS_SHOW', '0'))


def disagreements(tool, lines, texts):
    wrong = 0
    for line, reference, text in zip(lines, references, texts):
        got = number_of(text)
        if reference is None or got is None:
            agrees = (reference is None) == (got is None)
        else:
            # Relative to the result, and absolute below 1.
            agrees = abs(got - reference) <= TOLERANCE[tool] * max(abs(reference), D(1))
        if not agrees:
            wrong += 1
            if wrong <= SHOW:
                sys.stderr.write('%s: %s\n    got %s, reference %s\n' % (
                    tool, line, text, reference if reference is None else '%.20g' % reference))
    return wrong


rows = []
with tempfile.TemporaryDirectory(prefix='tallix-peers-') as folder:
    for tool in ['tallix', 'genius', 'calc', 'bc']:
        lines = [render(tree, tool) for tree in trees]
        startups = [run(tool, [render(('n', '1'), tool)], folder) for _ in range(5)]
        startup = statistics.median(r[0] for r in startups)
        startup_processor = statistics.median(r[1] for r in startups)
        batches = [run(tool, lines, folder) for _ in range(3)]
        batch = statistics.median(r[0] for r in batches)
        batch_processor = statistics.median(r[1] for r in batches)
        texts = answers(tool, batches[0][2], count)
        rows.append((tool, max(0.0, batch - startup) / count * 1e6, startup * 1e3,
                     max(0.0, batch_processor - startup_processor) / count * 1e6,
                     startup_processor * 1e3, disagreements(tool, lines, texts)))

print('%d expressions; µs per expression = (batch time − start-up time) / %d, medians of 3 batch'
      ' and 5 start-up runs; wall clock, then processor time (user + system)' % (count, count))
print('%-8s %12s %12s %12s %12s %12s' % ('tool', 'µs/expr', 'start-up ms', 'CPU µs/expr',
                                         'CPU start ms', 'disagreeing'))
for tool, per_expression, startup, processor, startup_processor, wrong in rows:
    print('%-8s %12.2f %12.1f %12.2f %12.1f %12d' % (tool, per_expression, startup, processor,
                                                   startup_processor, wrong))
PY
