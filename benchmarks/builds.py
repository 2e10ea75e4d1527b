"""Ratio of varnolt.pseudo_semistabilizers between two builds, in one run:

    .venv/bin/python benchmarks/builds.py OTHER_PYTHON [--runs N]

OTHER_PYTHON is the interpreter of another installation of varnolt (an earlier
commit installed into a venv of its own, say). One child interpreter of each
build stays up for the whole run; for each case of benchmarks/run.py they take
turns (the order swapped every round, so that the machine's load falls on both
alike), each timing enough calls to take at least 20 ms of CPU time
(time.process_time, the announcement on file descriptor 1 sent to /dev/null).
It prints the median time per call of each build and the median of the
rounds' ratios, this build over the other, and the geometric mean of those.
"""

import argparse
import json
import math
import statistics
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from run import CASES  # noqa: E402

# A worker: reads {"v": [r, c, d], "calls": k} lines and answers each with the
# CPU seconds of the k calls, on a copy of its standard output made before file
# descriptor 1 goes to /dev/null.
WORKER = r"""
import json, os, sys, time
import varnolt
answers = os.fdopen(os.dup(1), "w")
os.dup2(os.open(os.devnull, os.O_WRONLY), 1)
for line in sys.stdin:
    job = json.loads(line)
    v, seconds = tuple(job["v"]), 0.0
    for _ in range(job["calls"]):
        start = time.process_time()
        result = varnolt.pseudo_semistabilizers(*v)
        seconds += time.process_time() - start
        del result
    print(json.dumps(seconds), file=answers, flush=True)
"""

SAMPLE_SECONDS = 0.02


class Worker:
    def __init__(self, python):
        # -I and cwd /: the installed varnolt, never a copy on the path.
        self.process = subprocess.Popen([python, "-I", "-c", WORKER], cwd="/", text=True,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    def seconds(self, v, calls):
        self.process.stdin.write(json.dumps({"v": list(v), "calls": calls}) + "\n")
        self.process.stdin.flush()
        return json.loads(self.process.stdout.readline())

    def close(self):
        self.process.stdin.close()
        self.process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("other_python", help="the interpreter of the other build")
    parser.add_argument("--runs", type=int, default=15, help="timed samples of each build per case (median)")
    args = parser.parse_args()
    this, other = Worker(sys.executable), Worker(args.other_python)
    print(f"{'v':>26} {'calls':>6} {'this µs':>11} {'other µs':>11} {'ratio':>6}")
    ratios = []
    for v in CASES:
        calls = 1  # doubled until a sample of the slower build takes SAMPLE_SECONDS; warms both
        while max(this.seconds(v, calls), other.seconds(v, calls)) < SAMPLE_SECONDS:
            calls *= 2
        samples = {this: [], other: []}
        for round_ in range(args.runs):
            for worker in (this, other) if round_ % 2 == 0 else (other, this):
                samples[worker].append(worker.seconds(v, calls) / calls)
        this_s, other_s = statistics.median(samples[this]), statistics.median(samples[other])
        # Each round's two samples are taken back to back: the median of their
        # ratios cancels the slower drifts of a shared machine's load.
        ratios.append(statistics.median(a / b for a, b in zip(samples[this], samples[other])))
        print(f"{str(v):>26} {calls:6d} {this_s * 1e6:11.1f} {other_s * 1e6:11.1f} {ratios[-1]:6.3f}",
              flush=True)
    print(f"geometric mean of the ratios: {math.exp(statistics.fmean(map(math.log, ratios))):.3f}")
    this.close()
    other.close()


if __name__ == "__main__":
    main()
